#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace bl::platform {

// The program's folder in the user's configuration folder ($XDG_CONFIG_HOME or ~/.config), for
// the settings kept between runs. Not created here.
std::string ConfigFolder();

// Replaces the file at path with bytes: written beside it, flushed to the disk, then renamed over
// it, so that a failed write (a full disk, a vanished folder) leaves the old file whole. The
// folder must exist. On failure returns false with a sentence in error and removes the partial
// copy.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error);

// Reads at most maxBytes of a regular file into bytes; tooLong tells whether more followed.
// False with a sentence in error when it cannot be read (missing, a folder, a device, no rights).
bool ReadFileBounded(const std::string& path, std::size_t maxBytes, std::string& bytes,
                     bool& tooLong, std::string& error);

}  // namespace bl::platform
