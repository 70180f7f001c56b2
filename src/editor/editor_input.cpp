#include "editor/editor_input.h"

#include <algorithm>
#include <string>

#include "editor/editor_edit.h"
#include "editor/editor_scroll.h"
#include "editor/editor_text.h"

namespace bl::editor {

namespace {

constexpr char kCtrlC = 3;
constexpr char kCtrlV = 22;
constexpr char kCtrlX = 24;
constexpr char kCtrlZ = 26;
constexpr int kTabWidth = 5;

int Length(const EditorState& s) { return static_cast<int>(s.editorText.size()); }

// Other code may replace the text without resetting the caret; never act outside it.
void KeepInsideText(EditorState& s) {
  s.caret = std::clamp(s.caret, 0, Length(s));
  s.anchor = std::clamp(s.anchor, 0, Length(s));
}

void DeleteSelection(EditorState& s) {
  if (s.caret != s.anchor) DeleteRange(s, s.caret, s.anchor, false);
}

void DeleteOne(EditorState& s, int from) {
  std::int32_t lo = from;
  std::int32_t hi = from + 1;
  DeleteRange(s, lo, hi, false);
  s.caret = s.anchor = lo;
}

void InsertAtCaret(EditorState& s, std::string_view text) {
  s.caret = s.anchor = InsertText(s, text, s.caret, false);
}

// Moves the caret for a navigation key; false when the key is no navigation key.
bool MoveCaret(EditorState& s, const KeyEvent& e) {
  const std::string_view text = s.editorText;
  const LineColumn at = LineColumnOf(text, s.caret);
  switch (e.key) {
    case EditorKey::PageUp:
    case EditorKey::PageDown: {
      const int rows = VisibleRows(s);
      const int step = e.key == EditorKey::PageUp ? -rows : rows;
      const int target = std::clamp(at.line + step, 0, LastLineIndex(text));
      s.caret = PositionAt(text, at.column, target);
      break;
    }
    case EditorKey::Home:
      s.caret = e.control ? 0 : s.caret - at.column;
      s.desiredColumn = -1;
      break;
    case EditorKey::End:
      s.caret = e.control ? Length(s) : PositionAt(text, kTextAreaSize, at.line);
      s.desiredColumn = -1;
      break;
    case EditorKey::Left:
      s.caret = std::max(s.caret - 1, 0);
      s.desiredColumn = -1;
      break;
    case EditorKey::Right:
      s.caret = std::min(s.caret + 1, Length(s));
      s.desiredColumn = -1;
      break;
    case EditorKey::Up:
      if (s.desiredColumn == -1) s.desiredColumn = at.column;
      s.caret = at.line == 0 ? 0 : PositionAt(text, s.desiredColumn, at.line - 1);
      if (s.caret == 0) s.desiredColumn = -1;
      break;
    case EditorKey::Down:
      if (s.desiredColumn == -1) s.desiredColumn = at.column;
      s.caret = at.line == LastLineIndex(text) ? Length(s)
                                               : PositionAt(text, s.desiredColumn, at.line + 1);
      if (s.caret == Length(s)) s.desiredColumn = -1;
      break;
    default:
      return false;
  }
  if (!e.shift) s.anchor = s.caret;
  return true;
}

}  // namespace

void OnChar(EditorState& s, platform::Desktop& desktop, char c) {
  KeepInsideText(s);
  switch (c) {
    case kCtrlC:
      EditCopy(s, desktop);
      return;
    case kCtrlV:
      EditPaste(s, desktop);
      return;
    case kCtrlX:
      EditCut(s, desktop);
      return;
    case kCtrlZ:
      EditUndo(s, desktop);
      return;
    default:
      break;
  }
  if (c < 32 || c > 126) return;
  DeleteSelection(s);
  InsertAtCaret(s, std::string_view(&c, 1));
  s.desiredColumn = -1;
  EnsureCaretVisible(s);
}

void OnTypedCharacter(EditorState& s, platform::Desktop& desktop, char32_t c) {
  if (c > 0xFF) return;
  OnChar(s, desktop, static_cast<char>(static_cast<unsigned char>(c)));
}

void OnKeyDown(EditorState& s, platform::Desktop& desktop, const KeyEvent& e) {
  KeepInsideText(s);
  if (MoveCaret(s, e)) {
    EnsureCaretVisible(s);
    return;
  }
  const bool selection = s.caret != s.anchor;
  switch (e.key) {
    case EditorKey::Backspace:
      if (selection)
        DeleteSelection(s);
      else if (s.caret > 0)
        DeleteOne(s, s.caret - 1);
      s.desiredColumn = -1;
      break;
    case EditorKey::Tab: {
      // The selection stays: only spaces up to the next multiple of five columns.
      const int column = LineColumnOf(s.editorText, s.caret).column;
      InsertAtCaret(s, std::string(static_cast<std::size_t>(kTabWidth - column % kTabWidth), ' '));
      break;
    }
    case EditorKey::Enter:
      DeleteSelection(s);
      InsertAtCaret(s, "\n");
      break;
    case EditorKey::Insert:
      if (e.control)
        EditCopy(s, desktop);
      else if (e.shift)
        EditPaste(s, desktop);
      return;
    case EditorKey::Delete:
      if (!selection) {
        if (s.caret < Length(s)) DeleteOne(s, s.caret);
      } else if (e.shift && !e.control) {
        EditCut(s, desktop);
      } else {
        DeleteSelection(s);
      }
      s.desiredColumn = -1;
      break;
    default:
      return;
  }
  EnsureCaretVisible(s);
}

int PositionUnder(const EditorState& s, int x, int y) {
  // Integer division truncates toward zero, as the cell arithmetic expects.
  const int column =
      std::max(0, (x - (kGutterWidth - kCellWidth / 2)) / kCellWidth + s.firstColumn);
  const int line = y / kLineHeight + s.firstLine;
  return PositionAt(s.editorText, column, line);
}

void OnLeftButtonDown(EditorState& s, const MouseEvent& e) {
  s.caret = PositionUnder(s, e.x, e.y);
  if (!e.shift) s.anchor = s.caret;
  s.dragging = true;
  EnsureCaretVisible(s);
  s.desiredColumn = -1;
}

void OnMouseMove(EditorState& s, const MouseEvent& e) {
  if (!s.dragging) return;
  s.caret = PositionUnder(s, e.x, e.y);
  EnsureCaretVisible(s);
  s.desiredColumn = -1;
}

void OnLeftButtonUp(EditorState& s) { s.dragging = false; }

void OnFocusChange(EditorState& s, bool hasFocus) {
  s.hasFocus = hasFocus;
  Repaint(s);
}

}  // namespace bl::editor
