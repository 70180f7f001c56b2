#include "editor/define_tools.h"

#include "definitions/clean_line.h"
#include "definitions/definition_table.h"
#include "editor/editor_files.h"
#include "editor/editor_scroll.h"
#include "editor/file_list.h"
#include "editor/program_file.h"
#include "platform/desktop.h"
#include "platform/text_format.h"
#include "terminal/terminal_lines.h"

namespace bl::editor {

namespace {

constexpr int kHeadingColor = 13;
constexpr int kWarningColor = 5;
// The line buffer of the scan holds 254 characters and its terminator.
constexpr std::size_t kScanLine = 254;

void Call(const std::function<void()>& hook) {
  if (hook) hook();
}

// The kind a category lists, or -1 for the user definitions.
int CategoryKind(std::string_view category) {
  for (std::size_t i = 1; i < kDefinitionCategories.size(); ++i)
    if (category == kDefinitionCategories[i]) return static_cast<int>(i) - 1;
  return -1;
}

}  // namespace

int ScanDefines(std::string_view text, DefinitionTable& table, Terminal& terminal) {
  int lineNumber = 0;
  int count = 0;
  bool open = false;
  std::string line;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t lf = text.find('\n', start);
    const std::size_t end = lf == std::string_view::npos ? text.size() : lf;
    line.assign(text.substr(start, std::min(end - start, kScanLine)));
    ++lineNumber;
    open = CleanLine(line, open);
    if (table.DefineLine(line, lineNumber, terminal) == kDefineRedefined) ++count;
    if (lf == std::string_view::npos) break;
    start = lf + 1;
  }
  return count;
}

int UpdateDefines(EditorContext& ctx) {
  ctx.terminal.TerminalAddLine("", kHeadingColor);
  ctx.terminal.TerminalAddLine("Updating #DEFINEs...", kHeadingColor);
  int count = 0;
  if (!ctx.state.editorText.empty()) {
    count = ScanDefines(ctx.state.editorText, ctx.definitions, ctx.terminal);
    if (count > 0) {
      ctx.desktop.ShowMessage(
          "A duplicate #DEFINE was found.  Details are shown in the terminal window.",
          "Update #DEFINEs Warning");
    }
  }
  Call(ctx.state.repaintMainWindow);
  return count;
}

std::string DefinitionListing(const DefinitionTable& table, std::string_view category, bool& cut) {
  cut = false;
  std::string text = "; " + std::string(category) + "\n\n";
  const auto add = [&](const std::string& line) {
    if (cut || text.size() + line.size() > kMaxProgramText) {
      cut = true;
      return;
    }
    text += line;
  };
  if (category == kDefinitionCategories[0]) {
    for (const DefinitionTable::UserDefinition& d : table.UserDefinitions())
      add(platform::Format("#DEFINE %-32s %-32s\n", d.name.c_str(), d.text.c_str()));
    return text;
  }
  const int kind = CategoryKind(category);
  if (kind < 0) return text;
  const VariableKind k = kVariableKinds[static_cast<std::size_t>(kind)];
  for (int n = 0; n < table.SlotCount() && !cut; ++n) {
    const std::string_view name = table.NameOf(k, n);
    if (name.empty()) continue;
    // "#DEFINE %-32s P%d\n" and its Q, M and I companions.
    add(platform::Format("#DEFINE %-32s %c%d\n", std::string(name).c_str(), VariableLetter(k), n));
  }
  return text;
}

void ListDefinitions(EditorContext& ctx, std::string_view category) {
  if (ConfirmUnsaved(ctx) != 0) return;
  EditorState& s = ctx.state;
  bool cut = false;
  s.editorText = DefinitionListing(ctx.definitions, category, cut);
  s.currentFile.clear();
  if (cut) {
    ctx.terminal.TerminalAddLine(
        "  Warning: The listing was cut at the editor's 499,999 characters.", kWarningColor);
  }
  Call(s.showEditorView);
  s.caret = s.anchor = 0;
  s.desiredColumn = -1;
  Call(s.focusEditor);
  EnsureCaretVisible(s);
}

}  // namespace bl::editor
