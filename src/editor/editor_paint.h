#pragma once

#include "editor/editor_state.h"
#include "platform/canvas.h"

namespace bl {
class DefinitionTable;
}

namespace bl::editor {

// Composes the editor window on the canvas (its size is the client area): the coloured lines
// from FirstLine with red frames around lines whose parentheses do not balance and the selection
// inverted in blue, the gutter with line numbers and the caret's line marked, and the caret.
void PaintEditor(platform::Canvas& canvas, const EditorState& s, const DefinitionTable& table);

}  // namespace bl::editor
