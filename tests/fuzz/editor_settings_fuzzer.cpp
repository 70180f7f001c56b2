// The editor's settings file: any text parses, with few warnings, into preferences that write
// out and read back the same, silently, and write out the same a second time.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/editor_settings.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  std::vector<std::string> warnings;
  const bl::editor::EditorPreferences p = bl::editor::ParseEditorSettings(text, &warnings);
  BL_FUZZ_CHECK(warnings.size() <= 50);

  const std::string written = bl::editor::FormatEditorSettings(p);
  std::vector<std::string> again;
  const bl::editor::EditorPreferences reread = bl::editor::ParseEditorSettings(written, &again);
  BL_FUZZ_CHECK(again.empty());
  BL_FUZZ_CHECK(reread == p);
  BL_FUZZ_CHECK(bl::editor::FormatEditorSettings(reread) == written);
  return 0;
}
