#include "editor/define_tools.h"

#include "definitions/define_text.h"
#include "definitions/definition_table.h"
#include "editor/editor_files.h"
#include "editor/editor_scroll.h"
#include "editor/file_list.h"
#include "editor/program_file.h"
#include "platform/desktop.h"
#include "platform/text_format.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::editor {

namespace {

constexpr int kHeadingColor = 13;
constexpr int kWarningColor = 5;

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

int UpdateDefines(EditorContext& ctx) {
  ctx.terminal.TerminalAddLine("", kHeadingColor);
  ctx.terminal.TerminalAddLine("Updating #DEFINEs...", kHeadingColor);
  int count = 0;
  if (!ctx.state.editorText.empty()) {
    count = DefineFromText(ctx.state.editorText, ctx.definitions, ctx.terminal);
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
    for (const std::string& line : UserDefinitionLines(table)) add(line);
    return text;
  }
  const int kind = CategoryKind(category);
  if (kind < 0) return text;
  const VariableKind k = kVariableKinds[static_cast<std::size_t>(kind)];
  for (const std::string& line : VariableDefinitionLines(table, k)) add(line);
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
