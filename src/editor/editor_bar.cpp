#include "editor/editor_bar.h"

#include <algorithm>

#include "editor/editor_state.h"

namespace bl::editor {

std::array<platform::Rect, kEditorBarButtons> EditorBarButtons(int w) {
  constexpr double kLefts[kEditorBarButtons] = {0.01, 0.21, 0.41, 0.61, 0.81};
  const int width = static_cast<int>(0.18 * w);
  std::array<platform::Rect, kEditorBarButtons> buttons;
  for (int i = 0; i < kEditorBarButtons; ++i) {
    const int left = static_cast<int>(kLefts[i] * w);
    buttons[static_cast<std::size_t>(i)] = {left, 2, left + width, 27};
  }
  return buttons;
}

void ToggleFileList(EditorState& s) {
  s.fileListHeight = s.fileListHeight < 1 ? 140 : 0;
  if (s.relayout) s.relayout();
}

void ToggleRawCode(EditorState& s, int w) {
  s.rawWidth = s.rawWidth != 0 ? 0 : static_cast<int>(0.33 * w);
  if (s.relayout) s.relayout();
  Repaint(s);
}

void DragEditorBar(EditorState& s, int dy, int h) {
  s.fileListHeight = std::clamp(s.fileListHeight - dy, 0, std::max(0, h - 105));
  if (s.relayout) s.relayout();
  Repaint(s);
}

}  // namespace bl::editor
