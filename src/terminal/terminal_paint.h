#pragma once

#include "platform/canvas.h"

namespace bl {

class Terminal;

// A scroll bar's settings as the view sets them on every drawing. A bar without room to scroll
// is shown disabled rather than hidden.
struct ScrollBarSettings {
  int minimum = 0;
  int maximum = 0;
  int page = 0;
  int position = 0;
  bool Enabled() const { return maximum - minimum + 1 > page; }
};

struct TerminalScrollBars {
  ScrollBarSettings vertical;
  ScrollBarSettings horizontal;
};

inline constexpr int kStatusBoxWidth = 110;

// Draws the terminal view over its whole client area (the canvas): the rows of the line store,
// newest at the bottom, and the status box at the top right. Returns the scroll bar settings
// that go with the drawing.
TerminalScrollBars PaintTerminal(platform::Canvas& canvas, const Terminal& terminal);

enum class ScrollAction { LineBack, LineForward, PageBack, PageForward, Thumb, Start, End };

// Scroll bar actions on the terminal view of the given client size. Back is up (older lines)
// or left. Vertical Start (the top) changes nothing; End scrolls to the newest line.
void ScrollTerminalVertical(Terminal& terminal, ScrollAction action, int thumb, int viewHeight);
void ScrollTerminalHorizontal(Terminal& terminal, ScrollAction action, int thumb, int viewWidth);

}  // namespace bl
