#pragma once

#include <string>

#include "editor/editor_state.h"

namespace bl::editor::test {

// An editor of 700 x 320 client pixels (80 columns, 20 rows) holding text, caret at position.
inline EditorState Editor(std::string text, int caret = 0) {
  EditorState s;
  s.editorText = std::move(text);
  s.caret = s.anchor = caret;
  s.width = 700;
  s.height = 320;
  return s;
}

}  // namespace bl::editor::test
