// The #DEFINE update over an editor text, through CleanLine and the DefinitionTable: it never
// counts more re-definitions than lines, and the listings of the table it fills, taken into an
// empty table, give the same table back without a re-definition.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "definitions/define_text.h"
#include "definitions/definition_table.h"
#include "editor/define_tools.h"
#include "editor/file_list.h"
#include "editor/program_file.h"
#include "fuzz/fuzz_check.h"
#include "platform/fake/fake_desktop.h"
#include "terminal_lines/terminal_lines.h"

namespace {

using bl::DefinitionTable;

void CheckSameTable(const DefinitionTable& a, const DefinitionTable& b) {
  BL_FUZZ_CHECK(a.UserDefinitions().size() == b.UserDefinitions().size());
  for (std::size_t i = 0; i < a.UserDefinitions().size(); ++i) {
    BL_FUZZ_CHECK(a.UserDefinitions()[i].name == b.UserDefinitions()[i].name);
    BL_FUZZ_CHECK(a.UserDefinitions()[i].text == b.UserDefinitions()[i].text);
  }
  for (bl::VariableKind kind : bl::kVariableKinds)
    for (int n = 0; n < a.SlotCount(); ++n) BL_FUZZ_CHECK(a.NameOf(kind, n) == b.NameOf(kind, n));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const int slots = data.ConsumeBool() ? 1024 : 8192;
  bl::editor::EditorState state;
  state.editorText = data.ConsumeRemainingBytesAsString();
  bl::Terminal terminal;
  DefinitionTable table;
  table.SetSlotCount(slots);
  bl::platform::FakeDesktop desktop;
  bl::editor::EditorContext ctx{state, table, terminal, desktop};

  const int count = bl::editor::UpdateDefines(ctx);
  const std::string& text = state.editorText;
  const long lines = std::count(text.begin(), text.end(), '\n') + 1;
  BL_FUZZ_CHECK(count >= 0 && count <= lines);
  BL_FUZZ_CHECK(desktop.messages.size() == (count > 0 ? 1u : 0u));

  // The listings hold every definition (the table is far below the editor's size here) and feed
  // back into an empty table as the same definitions.
  DefinitionTable fresh;
  fresh.SetSlotCount(slots);
  bool cut = false;
  std::string listings;
  for (std::string_view category : bl::editor::kDefinitionCategories) {
    listings += bl::editor::DefinitionListing(table, category, cut);
    if (cut) return 0;
  }
  BL_FUZZ_CHECK(bl::DefineFromText(listings, fresh, terminal) == 0);
  CheckSameTable(table, fresh);
  return 0;
}
