#pragma once

#include <array>
#include <string>
#include <string_view>

#include "graph/draw_pane.h"
#include "graph/graph_settings.h"
#include "platform/geometry.h"

namespace bl::platform {
class Canvas;
class Desktop;
}  // namespace bl::platform
namespace bl::series {
class SeriesTable;
}

namespace bl::graph {

// The graph view as one picture: its panes (the second only for the frequency graph) in the
// style they are drawn with, and, on paper, the legend of the four slots beneath them.
struct GraphPicture {
  std::array<platform::Rect, 2> panes;
  int paneCount = 1;
  PaneStyle style;
  bool legend = false;
  platform::Rect legendFrame;
  std::array<platform::Rect, kSlotCount> legendRows;
  int legendFontHeight = 0;
};

// The printed page of W x H device pixels: the graph from 5 % to 95 % of W, the panes from 5 %
// to 80 % of H (5..40 % and 45..80 % for the frequency graph), the legend from 85 % to 95 %.
GraphPicture LayOutPrintedGraph(int width, int height, int graphType);
// The picture as the screen shows it, on an image of the given size: the panes fill it (split in
// halves for the frequency graph) and are drawn as on screen. No legend.
GraphPicture LayOutScreenGraph(platform::Size size, int graphType);

// A legend row's text: "#%d: ", then "No Series Selected" for a slot that is not drawn, or its
// series' title with " + ", " - ", " * " or " / " and the second series' title.
std::string LegendText(const GraphSettings& settings, const series::SeriesTable& table, int slot);
// Where a row's marker and line sample goes: the right end of the row.
platform::Rect LegendSample(const platform::Rect& row);

// Draws the panes and, when the picture has one, the legend.
void DrawGraphPicture(platform::Canvas& canvas, const GraphSettings& settings,
                      const series::SeriesTable& table, const GraphPicture& picture);

inline constexpr std::string_view kGraphDocumentName = "Brightlantern Graph";
// A page smaller than this either way cannot hold the panes' margins and labels.
inline constexpr int kSmallestGraphPage = 100;

enum class PrintGraphOutcome { Printed, NoGraphView, Cancelled, NoRoom, Failed };

// "Print Graph": the current graph on one page of the printer the user chooses, with a message
// for every outcome.
PrintGraphOutcome PrintGraph(platform::Desktop& desktop, const GraphSettings& settings,
                             const series::SeriesTable& table, bool graphViewShown);

}  // namespace bl::graph
