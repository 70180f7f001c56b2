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
  switch (action) {
    case ScrollAction::LineBack:
      s.firstLine -= 1;
      break;
    case ScrollAction::LineForward:
      s.firstLine += 1;
      break;
    case ScrollAction::PageBack:
      s.firstLine -= rows;
      break;
    case ScrollAction::PageForward:
      s.firstLine += rows;
      break;
    case ScrollAction::Thumb:
      s.firstLine = thumb;
      break;
    case ScrollAction::Start:
      s.firstLine = 0;
      break;
    case ScrollAction::End:
      s.firstLine = LastLineIndex(s.editorText);
      break;
  }
  ClampFirstLine(s);
  Repaint(s);
}

void ScrollHorizontal(EditorState& s, ScrollAction action, int thumb) {
  const int cols = VisibleColumns(s);
  switch (action) {
    case ScrollAction::LineBack:
      s.firstColumn -= 1;
      break;
    case ScrollAction::LineForward:
      s.firstColumn += 1;
      break;
    case ScrollAction::PageBack:
      s.firstColumn -= cols;
      break;
    case ScrollAction::PageForward:
      s.firstColumn += cols;
      break;
    case ScrollAction::Thumb:
      s.firstColumn = thumb / kCellWidth;
      break;
    case ScrollAction::Start:
      s.firstColumn = 0;
      break;
    case ScrollAction::End:
      s.firstColumn = kMaxLineColumns;
      break;
  }
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
