#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace bl::editor {

// A program line holds at most this many characters.
inline constexpr std::size_t kMaxProgramLine = 255;
// The loaded text holds at most this many characters (the text area less its terminator).
inline constexpr std::size_t kMaxProgramText = 499999;
// A path (CurrentFile, a file list entry) holds at most this many characters.
inline constexpr std::size_t kMaxPathLength = 259;
// A program file is read whole up to this size: twice over the text area's worth of full lines
// with CR LF, and then some. What lies beyond is reported and left unread.
inline constexpr std::size_t kMaxProgramFileBytes = 8 * 1024 * 1024;

// A line that begins with "#include " (case ignored), as the reading rules kept it.
struct IncludeLine {
  int lineNumber = 0;
  std::string line;
};

// A program file's bytes turned into editor text.
struct ProgramFileText {
  // LF-separated lines of characters 32..126, each line ending with LF, at most 499,999
  // characters in all.
  std::string text;
  // Terminal lines for the user, in order: overlong lines, a text too long for the editor, a
  // file that looks binary.
  std::vector<std::string> warnings;
  std::vector<IncludeLine> includes;
  // Bytes dropped because they are no text (control characters other than tab, CR and LF, and
  // bytes 127..255).
  std::size_t droppedBytes = 0;
};

// The reading rules: LF ends a line (so CR LF does too, the CR being dropped); a tab becomes one
// space; characters 32..126 are kept and every other byte is dropped; a line keeps its first 255
// characters and the rest is skipped with a warning naming the line; a last line without a line
// end counts like the others; the text ends at 499,999 characters, the rest of the file being
// read on for its warnings and #include lines.
ProgramFileText ReadProgramText(std::string_view bytes);

// Reads the file at path (at most kMaxProgramFileBytes, the rest reported in the warnings) and
// applies the reading rules. False with a sentence in error when it cannot be read; then out is
// left as it was.
bool LoadProgramFile(const std::string& path, ProgramFileText& out, std::string& error);

// The text with every LF written as CR LF.
std::string ProgramFileBytes(std::string_view text);

// Saves text as a program file (LF as CR LF). The file is written beside the old one and then
// renamed over it, so a failed write leaves the old file whole. False with a sentence in error.
bool WriteProgramText(const std::string& path, std::string_view text, std::string& error);

}  // namespace bl::editor
