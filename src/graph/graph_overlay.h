#pragma once

#include <string>
#include <utility>
#include <vector>

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
// left button is down; on the first pane of the time graph with metrics chosen, the step-metrics
// table; then, with the cursor on, a circle at each slot's point under the cursor and the
// readout box. plot is the rectangle DrawPane returned for this pane.
// The step-metrics table's rows (label, value). With the cursor on, two more rows read the
// actual position under the cursor: its time after the step began and how far it has come, in
// percent of the step. A run that cannot be measured gives one row with the reason (no value).
std::vector<std::pair<std::string, std::string>> MetricsTable(const GraphView& view,
                                                               const series::SeriesTable& table);

void DrawGraphOverlay(platform::Canvas& canvas, const GraphView& view,
                      const series::SeriesTable& table, const platform::Rect& pane, int paneIndex,
                      const PlotRect& plot);

}  // namespace bl::graph
