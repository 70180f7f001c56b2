#pragma once

#include "platform/canvas.h"

namespace bl {

inline constexpr int kToolbarButtonCount = 10;
inline constexpr int kToolbarImageWidth = 48;
inline constexpr int kToolbarImageHeight = 41;

// Draws toolbar picture 0..9 on a 48 x 41 canvas: terminal, editor, data, the three
// spreadsheets, the four graph types.
void PaintToolbarImage(platform::Canvas& canvas, int index);

// The tooltip of toolbar button 0..9.
const char* ToolbarTip(int index);

}  // namespace bl
