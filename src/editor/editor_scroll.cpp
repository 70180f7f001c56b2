#include "editor/editor_scroll.h"

#include <algorithm>

#include "editor/editor_text.h"

namespace bl::editor {

void ClampFirstLine(EditorState& s) {
  s.firstLine = std::min(s.firstLine, LastLineIndex(s.editorText) - VisibleRows(s) + 1);
  s.firstLine = std::max(s.firstLine, 0);
}

void ClampFirstColumn(EditorState& s) {
  s.firstColumn = std::min(s.firstColumn, kMaxLineColumns - VisibleColumns(s));
  s.firstColumn = std::max(s.firstColumn, 0);
}

void EnsureCaretVisible(EditorState& s) {
  const int rows = VisibleRows(s);
  const int cols = VisibleColumns(s);
  const LineColumn at = LineColumnOf(s.editorText, s.caret);
  // Only the lines after the caret are left to count for the last line's index.
  const std::string_view after = std::string_view(s.editorText)
                                     .substr(static_cast<std::size_t>(std::clamp(
                                         s.caret, 0, static_cast<int>(s.editorText.size()))));
  const int lastLine = at.line + LastLineIndex(after);
  s.firstLine = std::min(s.firstLine, lastLine - rows + 1);
  s.firstLine = std::max(s.firstLine, at.line - rows + 1);
  s.firstLine = std::min(s.firstLine, at.line);
  s.firstLine = std::max(s.firstLine, 0);
  s.firstColumn = std::max(s.firstColumn, at.column - cols + 1);
  s.firstColumn = std::min(s.firstColumn, at.column);
  s.firstColumn = std::max(s.firstColumn, 0);
  Repaint(s);
}

void ScrollVertical(EditorState& s, ScrollAction action, int thumb) {
  const int rows = VisibleRows(s);
  s.firstLine =
      platform::ScrolledPosition(action, s.firstLine, rows, thumb, 0, LastLineIndex(s.editorText));
  ClampFirstLine(s);
  Repaint(s);
}

void ScrollHorizontal(EditorState& s, ScrollAction action, int thumb) {
  const int cols = VisibleColumns(s);
  s.firstColumn = platform::ScrolledPosition(action, s.firstColumn, cols, thumb / kCellWidth, 0,
                                             kMaxLineColumns);
  ClampFirstColumn(s);
  Repaint(s);
}

void ScrollWheel(EditorState& s, int delta) {
  // 3 lines per notch of 120.
  s.firstLine -= delta / 40;
  ClampFirstLine(s);
  Repaint(s);
}

ScrollBarSettings VerticalBar(const EditorState& s) {
  return {0, LastLineIndex(s.editorText), VisibleRows(s), s.firstLine};
}

ScrollBarSettings HorizontalBar(const EditorState& s) {
  return {0, kMaxLineColumns * kCellWidth, s.width - kGutterWidth, s.firstColumn * kCellWidth};
}

}  // namespace bl::editor
