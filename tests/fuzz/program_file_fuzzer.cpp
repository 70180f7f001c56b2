// A program file's bytes as the editor reads them: whatever the file holds, the text has only
// printable characters and line ends, no line over 255 characters and no more than 499,999
// characters; every #include line reported is one the rules kept; and a text read whole is what
// the saved file reads back as.
#include <cstdint>
#include <string>
#include <string_view>

#include "editor/program_file.h"
#include "fuzz/fuzz_check.h"
#include "platform/text_format.h"

namespace {

using bl::editor::kMaxProgramLine;
using bl::editor::kMaxProgramText;

bool Printable(char c) { return c >= 32 && c <= 126; }

bool StartsWithInclude(std::string_view line) {
  return bl::platform::StartsWithNoCase(line, "#include ");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(bytes), size);
  const bl::editor::ProgramFileText t = bl::editor::ReadProgramText(input);

  BL_FUZZ_CHECK(t.text.size() <= kMaxProgramText);
  std::size_t lineLength = 0;
  for (char c : t.text) {
    if (c == '\n') {
      lineLength = 0;
      continue;
    }
    BL_FUZZ_CHECK(Printable(c));
    BL_FUZZ_CHECK(++lineLength <= kMaxProgramLine);
  }
  // A text that was not cut at the limit ends with its last line's LF.
  if (t.text.size() < kMaxProgramText) BL_FUZZ_CHECK(t.text.empty() || t.text.back() == '\n');
  BL_FUZZ_CHECK(t.droppedBytes <= size);

  int lastLine = 0;
  for (const auto& include : t.includes) {
    BL_FUZZ_CHECK(include.lineNumber > lastLine);
    lastLine = include.lineNumber;
    BL_FUZZ_CHECK(include.line.size() <= kMaxProgramLine);
    BL_FUZZ_CHECK(StartsWithInclude(include.line));
    for (char c : include.line) BL_FUZZ_CHECK(Printable(c));
  }

  // Nothing cut and nothing warned about: the file written from the text reads back the same,
  // and writing it again gives the same bytes.
  if (t.warnings.empty()) {
    const std::string written = bl::editor::ProgramFileBytes(t.text);
    const bl::editor::ProgramFileText again = bl::editor::ReadProgramText(written);
    BL_FUZZ_CHECK(again.text == t.text);
    BL_FUZZ_CHECK(again.warnings.empty() && again.droppedBytes == 0);
    BL_FUZZ_CHECK(bl::editor::ProgramFileBytes(again.text) == written);
  }
  return 0;
}
