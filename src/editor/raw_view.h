#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "editor/editor_scroll.h"
#include "editor/editor_state.h"
#include "platform/canvas.h"

namespace bl {
class DefinitionTable;
}

namespace bl::editor {

// The raw view ("EditorRaw") shows the editor's lines from FirstLine as the controller receives
// them: without comments, with defined names replaced. It scrolls horizontally on its own.

// One line as the raw view shows it, or nothing for a #define or #include line (its row stays
// empty). open carries the block-comment state from line to line.
std::optional<std::string> RawLineText(std::string_view line, bool& open,
                                       const DefinitionTable& table);

void PaintRawView(platform::Canvas& canvas, const EditorState& s, const DefinitionTable& table);

// clientWidth is the raw view's client width in pixels.
ScrollBarSettings RawHorizontalBar(const EditorState& s, int clientWidth);
void ScrollRaw(EditorState& s, ScrollAction action, int thumb, int clientWidth);

// Dragging anywhere in the raw view moves its left edge: RawWidth grows by the distance the
// pointer moved left, kept within 10..mainWidth - 100 (mainWidth, the main window's client width).
void RawDragBegin(EditorState& s, int x);
void RawDragMove(EditorState& s, int x, int mainWidth);
void RawDragEnd(EditorState& s);

}  // namespace bl::editor
