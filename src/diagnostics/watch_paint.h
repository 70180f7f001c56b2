#pragma once

#include <string>
#include <string_view>

#include "diagnostics/watch_table.h"
#include "platform/canvas.h"

namespace bl {
class DefinitionTable;
}

namespace bl::diagnostics {

// The frame every diagnostic-style window draws around its page of width x height: grey
// window, the page area in the palette fill colour, the blue title bar with the title in the
// large font, the close box at the right and the live indicator, whose green bar moves up and
// down with the live counter (0..100). The window is width + 10 by height + 41.
void PaintPageFrame(platform::Canvas& canvas, int width, int height, int fill,
                    std::string_view title, int liveCount);

// The watch window for its used items: (488, 25 n + 66).
inline constexpr int kWatchWindowWidth = 488;
platform::Size WatchWindowSize(int usedCount);

// The whole watch window: frame, "Insert" button, header, one row per used item (variable, its
// defined name, the value drawn as its display type) and the selected row's red frame
// (selectedRow -1 for none).
void PaintWatchWindow(platform::Canvas& canvas, const WatchTable::Items& items,
                      const DefinitionTable& definitions, int liveCount, int selectedRow);

// The text of a value in a precision: decimals, or for a negative precision "$" and that many
// upper-case hexadecimal digits of the value truncated to an integer.
std::string ValueText(double value, int precision);

// The active state of a watch value: within minimum..maximum, or with no range (both equal) not
// below the maximum.
bool WatchActive(const WatchItem& item);

}  // namespace bl::diagnostics
