#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "diagnostics/diagnostic_script.h"
#include "platform/canvas.h"

namespace bl::diagnostics {

// Item coordinates are page coordinates: the page's drawing area starts here in the client area
// of a diagnostic-style window.
inline constexpr int kPageLeft = 4;
inline constexpr int kPageTop = 35;

// The window around a page of width x height.
constexpr platform::Size PageWindowSize(int width, int height) { return {width + 10, height + 41}; }

// The frame every diagnostic-style window draws around its page of width x height: grey
// window, the page area in the palette fill colour, the blue title bar with the title in the
// large font, the close box at the right and the live indicator, whose green bar moves up and
// down with the live counter (0..100). The window is width + 10 by height + 41.
void PaintPageFrame(platform::Canvas& canvas, int width, int height, int fill,
                    std::string_view title, int liveCount);

// The text of a value in a precision: decimals, or for a negative precision "$" and that many
// upper-case hexadecimal digits of the value truncated to an integer.
std::string ValueText(double value, int precision);

// One item of kind 2 to 10 drawn in the state its value gives (step by kind, then its text),
// its box offset by the page origin. A pressed button is drawn sunken, its text moved by (1, 1).
// Shapes are drawn where the record says: MovedShape gives the record after its motion.
void PaintItem(platform::Canvas& canvas, const DiagnosticItem& item, double value, bool pressed);

// A shape's record moved by its own motion and by that of each parent in its chain (moves, and
// turns about the parent's centre), truncated to whole pixels and degrees. Other kinds, and
// indices outside the table, come back as they are.
DiagnosticItem MovedShape(const DiagnosticTables& tables, int itemIndex);

// The page record of a page (1 for the first), or null when the script has no such page.
const DiagnosticItem* PageRecord(const DiagnosticTables& tables, int page);

// The window size for a page: its record's width + 10 by height + 41; nothing for a page the
// script does not have.
std::optional<platform::Size> DiagnosticWindowSize(const DiagnosticTables& tables, int page);

// The whole window for the current page: cleared to black, then its page record's frame and
// every item on it in table order, the items clipped to the drawing area. pressedItem is the
// item index of the button shown pressed, or -1.
void PaintDiagnosticPage(platform::Canvas& canvas, const DiagnosticTables& tables, int page,
                         int pressedItem, int liveCount);

}  // namespace bl::diagnostics
