#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace bl::platform {

// The program's folder in the user's configuration folder ($XDG_CONFIG_HOME or ~/.config), for
// the settings kept between runs. Not created here.
std::string ConfigFolder();
// The program's folder in the user's data folder ($XDG_DATA_HOME or ~/.local/share), for what
// the program collects as it is used (the tuning history). Not created here.
std::string DataFolder();

// Replaces the file at path with bytes: written beside it, flushed to the disk, then renamed over
// it, so that a failed write (a full disk, a vanished folder) leaves the old file whole. The
// folder must exist. On failure returns false with a sentence in error and removes the partial
// copy.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error);

// The same replacement for a file written piece by piece over a longer job: Open creates the
// copy beside path, Write appends to it, Commit puts it in place. Whatever is not committed
// (a failed write, Discard, the writer going away) is removed and the old file stays whole.
// Every call after a failure fails too.
class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  ~AtomicFileWriter() { Discard(); }
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  bool Open(const std::string& path, std::string& error);
  bool Write(std::string_view bytes, std::string& error);
  bool Commit(std::string& error);
  void Discard();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  bool Fail(const std::string& what, int code, std::string& error);

  std::string path_;
  std::string temporary_;
  int fd_ = -1;
};

// Reads at most maxBytes of a regular file into bytes; tooLong tells whether more followed.
// False with a sentence in error when it cannot be read (missing, a folder, a device, no rights).
bool ReadFileBounded(const std::string& path, std::size_t maxBytes, std::string& bytes,
                     bool& tooLong, std::string& error);

}  // namespace bl::platform
