#include "editor/program_file.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/text_format.h"

namespace bl::editor {

namespace {

constexpr std::string_view kIncludePrefix = "#include ";

bool IsIncludeLine(std::string_view line) {
  return platform::StartsWithNoCase(line, kIncludePrefix);
}

// A file looks binary when at least a tenth of it (and more than a stray byte or two) was no
// text: worth a word, since such a file loads as a jumble of its printable bytes.
bool LooksBinary(std::size_t dropped, std::size_t total) {
  return dropped >= 16 && dropped * 10 >= total;
}

}  // namespace

ProgramFileText ReadProgramText(std::string_view bytes) {
  ProgramFileText out;
  out.text.reserve(std::min(bytes.size() + 1, kMaxProgramText));
  std::string line;
  line.reserve(kMaxProgramLine);
  int lineNumber = 1;
  bool skipping = false;  // past the 255th character of this line
  bool full = false;      // the text area has no more room

  const auto endLine = [&] {
    if (IsIncludeLine(line)) out.includes.push_back({lineNumber, line});
    if (!full) {
      const std::size_t room = kMaxProgramText - out.text.size();
      if (line.size() + 1 <= room) {
        out.text += line;
        out.text += '\n';
      } else {
        // The text keeps what fits, character by character; the file is read on for its
        // warnings and #include lines.
        out.text.append(line, 0, room);
        full = true;
        out.warnings.push_back(platform::Format(
            "  Warning: The editor holds 499,999 characters; the file is cut at line %d.",
            lineNumber));
      }
    }
    line.clear();
    skipping = false;
    ++lineNumber;
  };

  for (const char byte : bytes) {
    unsigned char c = static_cast<unsigned char>(byte);
    if (c == '\n') {
      endLine();
      continue;
    }
    if (c == '\t') c = ' ';
    if (c < 32 || c > 126) {
      if (c != '\r') ++out.droppedBytes;
      continue;
    }
    if (skipping) continue;
    if (line.size() == kMaxProgramLine) {
      skipping = true;
      out.warnings.push_back(
          platform::Format("  Warning: Line %d was truncated to 255 characters.", lineNumber));
      continue;
    }
    line += static_cast<char>(c);
  }
  if (!line.empty()) endLine();

  if (LooksBinary(out.droppedBytes, bytes.size())) {
    out.warnings.push_back(platform::Format(
        "  Warning: %zu bytes that are not text were dropped; the file looks binary.",
        out.droppedBytes));
  }
  return out;
}

bool LoadProgramFile(const std::string& path, ProgramFileText& out, std::string& error) {
  std::string bytes;
  bool tooLong = false;
  if (!platform::ReadFileBounded(path, kMaxProgramFileBytes, bytes, tooLong, error)) return false;
  out = ReadProgramText(bytes);
  if (tooLong) {
    out.warnings.push_back(platform::Format(
        "  Warning: Only the first %zu bytes of the file were read.", kMaxProgramFileBytes));
  }
  return true;
}

std::string ProgramFileBytes(std::string_view text) {
  const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  std::string bytes;
  bytes.reserve(text.size() + lines);
  for (const char c : text) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  return bytes;
}

bool WriteProgramText(const std::string& path, std::string_view text, std::string& error) {
  return platform::WriteFileAtomically(path, ProgramFileBytes(text), error);
}

}  // namespace bl::editor
