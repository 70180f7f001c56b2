#pragma once

#include <string>
#include <string_view>

#include "diagnostics/diagnostic_paint.h"
#include "diagnostics/watch_table.h"
#include "platform/canvas.h"

namespace bl {
class DefinitionTable;
}

namespace bl::diagnostics {

// The watch window for its used items: (488, 25 n + 66).
inline constexpr int kWatchWindowWidth = 488;
platform::Size WatchWindowSize(int usedCount);

// The whole watch window: frame, "Insert" button, header, one row per used item (variable, its
// defined name, the value drawn as its display type) and the selected row's red frame
// (selectedRow -1 for none).
void PaintWatchWindow(platform::Canvas& canvas, const WatchTable::Items& items,
                      const DefinitionTable& definitions, int liveCount, int selectedRow);

}  // namespace bl::diagnostics
