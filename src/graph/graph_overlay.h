#pragma once

#include "graph/graph_input.h"
#include "graph/graph_settings.h"
#include "platform/canvas.h"

namespace bl::series {
class SeriesTable;
}

namespace bl::graph {

// The mark around a slot's point under the cursor: a circle of this radius.
inline constexpr int kCursorMarkRadius = 6;

// Draws what lies over a pane once DrawPane has drawn it: the drag rectangle while the pane's
// left button is down, then, with the cursor on, a circle at each slot's point under the cursor
// and the readout box. plot is the rectangle DrawPane returned for this pane.
void DrawGraphOverlay(platform::Canvas& canvas, const GraphView& view,
                      const series::SeriesTable& table, const platform::Rect& pane, int paneIndex,
                      const PlotRect& plot);

}  // namespace bl::graph
