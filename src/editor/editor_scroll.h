#pragma once

#include "editor/editor_state.h"
#include "platform/scroll_bar.h"

namespace bl::editor {

using platform::ScrollAction;
using platform::ScrollBarSettings;

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
