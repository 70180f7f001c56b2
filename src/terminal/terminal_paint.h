#pragma once

#include "platform/canvas.h"
#include "platform/scroll_bar.h"

namespace bl {

class Terminal;

using platform::ScrollAction;
using platform::ScrollBarSettings;

struct TerminalScrollBars {
  ScrollBarSettings vertical;
  ScrollBarSettings horizontal;
};

inline constexpr int kStatusBoxWidth = 110;

// Draws the terminal view over its whole client area (the canvas): the rows of the line store,
// newest at the bottom, and the status box at the top right. Returns the scroll bar settings
// that go with the drawing.
TerminalScrollBars PaintTerminal(platform::Canvas& canvas, const Terminal& terminal);

// Scroll bar actions on the terminal view of the given client size. Back is up (older lines)
// or left. Vertical Start (the top) changes nothing; End scrolls to the newest line.
void ScrollTerminalVertical(Terminal& terminal, ScrollAction action, int thumb, int viewHeight);
void ScrollTerminalHorizontal(Terminal& terminal, ScrollAction action, int thumb, int viewWidth);

}  // namespace bl
