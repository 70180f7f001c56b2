#pragma once

#include <array>

#include "platform/geometry.h"

namespace bl::editor {

struct EditorState;

inline constexpr int kEditorBarButtons = 5;
inline constexpr std::array<const char*, kEditorBarButtons> kEditorBarTexts = {
    "Save File", "Update #Defines", "Toggle File List", "Toggle Raw Code", "Jump to Program"};

// The buttons of the editor bar for a main window client width w, in bar coordinates.
std::array<platform::Rect, kEditorBarButtons> EditorBarButtons(int w);

// "Toggle File List": the file list comes back at 140 pixels, or goes.
void ToggleFileList(EditorState& s);
// "Toggle Raw Code": the raw view comes back at a third of the client width w, or goes.
void ToggleRawCode(EditorState& s, int w);
// Dragging the bar by dy pixels (negative upwards) resizes the file list, kept within
// 0..h - 105 for a client height h.
void DragEditorBar(EditorState& s, int dy, int h);

}  // namespace bl::editor
