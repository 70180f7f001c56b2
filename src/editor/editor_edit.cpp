#include "editor/editor_edit.h"

#include <algorithm>
#include <array>

#include "editor/editor_scroll.h"
#include "editor/editor_text.h"

namespace bl::editor {

namespace {

bool HasSelection(const EditorState& s) { return s.caret != s.anchor; }

void CopySelection(EditorState& s, platform::Desktop& desktop) {
  const int length = static_cast<int>(s.editorText.size());
  const int lo = std::clamp(std::min(s.caret, s.anchor), 0, length);
  const int hi = std::clamp(std::max(s.caret, s.anchor), 0, length);
  s.clipText.assign(s.editorText, static_cast<std::size_t>(lo), static_cast<std::size_t>(hi - lo));
  ClipboardPut(desktop, s.clipText);
}

constexpr std::array<MenuItem, 10> kContextMenu = {{
    {cmd::kCut, "Cut", false},
    {cmd::kCopy, "Copy", false},
    {cmd::kPaste, "Paste", false},
    {cmd::kDelete, "Delete", false},
    {cmd::kUndo, "&Undo", true},
    {cmd::kFindReplace, "Find and Replace", true},
    {cmd::kInsertP, "Insert P-Variable Definition", true},
    {cmd::kInsertQ, "Insert Q-Variable Definition", false},
    {cmd::kInsertM, "Insert M-Variable Definition", false},
    {cmd::kInsertI, "Insert I-Variable Definition", false},
}};

}  // namespace

void EditCopy(EditorState& s, platform::Desktop& desktop) {
  if (!HasSelection(s)) return;
  CopySelection(s, desktop);
}

void EditCut(EditorState& s, platform::Desktop& desktop) {
  if (!HasSelection(s)) return;
  CopySelection(s, desktop);
  DeleteRange(s, s.caret, s.anchor, false);
  EnsureCaretVisible(s);
}

void EditClear(EditorState& s) {
  if (!HasSelection(s)) return;
  DeleteRange(s, s.caret, s.anchor, false);
  s.desiredColumn = -1;
  EnsureCaretVisible(s);
}

void EditPaste(EditorState& s, platform::Desktop& desktop) {
  const bool replaced = HasSelection(s);
  if (replaced) DeleteRange(s, s.caret, s.anchor, false);
  ClipboardGet(desktop, s.clipText, kTextAreaSize);
  if (s.clipText.empty()) {
    // The selection is gone even when nothing arrives: show that.
    if (replaced) {
      s.desiredColumn = -1;
      EnsureCaretVisible(s);
    }
    return;
  }
  s.caret = s.anchor = InsertText(s, s.clipText, s.caret, false);
  EnsureCaretVisible(s);
  s.desiredColumn = -1;
}

void EditUndo(EditorState& s, platform::Desktop& desktop) {
  s.caret = s.anchor = UndoLast(s, desktop, s.caret, false);
  s.desiredColumn = -1;
  EnsureCaretVisible(s);
}

void InsertDefinedName(EditorState& s, platform::Desktop& desktop, std::string_view name) {
  if (name.empty()) return;
  ClipboardPut(desktop, name);
  EditPaste(s, desktop);
  if (s.focusEditor) s.focusEditor();
}

bool RunEditCommand(EditorState& s, platform::Desktop& desktop, int command) {
  switch (command) {
    case cmd::kCut:
      EditCut(s, desktop);
      return true;
    case cmd::kCopy:
      EditCopy(s, desktop);
      return true;
    case cmd::kPaste:
      EditPaste(s, desktop);
      return true;
    case cmd::kDelete:
      EditClear(s);
      return true;
    case cmd::kUndo:
      EditUndo(s, desktop);
      return true;
    default:
      return false;
  }
}

int InsertKindOf(int command) {
  switch (command) {
    case cmd::kInsertP:
      return 1;
    case cmd::kInsertQ:
      return 2;
    case cmd::kInsertM:
      return 3;
    case cmd::kInsertI:
      return 4;
    default:
      return 0;
  }
}

std::span<const MenuItem> EditorContextMenu() { return kContextMenu; }

}  // namespace bl::editor
