#pragma once

#include <span>
#include <string_view>

#include "editor/editor_state.h"
#include "commands/command_ids.h"

namespace bl::platform {
class Desktop;
}

namespace bl::editor {

// The edit requests. Copy, cut and clear do nothing without a selection.
void EditCopy(EditorState& s, platform::Desktop& desktop);
void EditCut(EditorState& s, platform::Desktop& desktop);
void EditClear(EditorState& s);
// Replaces the selection by the clipboard's text; CR LF from other programs arrives as " \n".
void EditPaste(EditorState& s, platform::Desktop& desktop);
void EditUndo(EditorState& s, platform::Desktop& desktop);

// Puts a chosen variable name at the caret in place of the selection, the way the "Select PMAC
// Variable" dialog does it: through the clipboard, so the name is also left there.
void InsertDefinedName(EditorState& s, platform::Desktop& desktop, std::string_view name);

// Runs cut, copy, paste, delete or undo; false for any other command (Find and Replace and the
// Insert commands belong to their dialogs).
bool RunEditCommand(EditorState& s, platform::Desktop& desktop, int command);

// The "Select PMAC Variable" kind (1 P, 2 Q, 3 M, 4 I) of an Insert command, else 0.
int InsertKindOf(int command);

struct MenuItem {
  int command = 0;
  std::string_view text;
  bool separatorBefore = false;
};
// The editor's context menu, in order.
std::span<const MenuItem> EditorContextMenu();

}  // namespace bl::editor
