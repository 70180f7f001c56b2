#pragma once

#include "editor/editor_state.h"

namespace bl::editor {

// What a scroll bar asks for. Start and End come from the bar's own menu.
enum class ScrollAction { LineBack, LineForward, PageBack, PageForward, Thumb, Start, End };

// A scroll bar as the editor sets it: the range minimum..maximum with a page of that many units,
// the thumb at position. The bar stays visible and is disabled when the page covers the range.
struct ScrollBarSettings {
  int minimum = 0;
  int maximum = 0;
  int page = 0;
  int position = 0;
  bool Enabled() const { return page < maximum - minimum + 1; }
  friend bool operator==(const ScrollBarSettings&, const ScrollBarSettings&) = default;
};

// Whole rows and columns of text that fit the editor's client area.
inline int VisibleRows(const EditorState& s) { return s.height / kLineHeight; }
inline int VisibleColumns(const EditorState& s) { return (s.width - kGutterWidth) / kCellWidth; }

// Scrolls so that the caret's cell shows, then repaints.
void EnsureCaretVisible(EditorState& s);

// FirstLine within 0..LastLineIndex - rows + 1 and FirstColumn within 0..255 - columns; the lower
// bound is applied last so neither is ever negative.
void ClampFirstLine(EditorState& s);
void ClampFirstColumn(EditorState& s);

// Scroll bar and wheel input; thumb is the bar's position for ScrollAction::Thumb.
void ScrollVertical(EditorState& s, ScrollAction action, int thumb);
void ScrollHorizontal(EditorState& s, ScrollAction action, int thumb);
void ScrollWheel(EditorState& s, int delta);

ScrollBarSettings VerticalBar(const EditorState& s);
ScrollBarSettings HorizontalBar(const EditorState& s);

}  // namespace bl::editor
