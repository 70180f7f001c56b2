#pragma once

#include "graph/graph_settings.h"
#include "platform/canvas.h"

namespace bl::series {
class SeriesTable;
}

namespace bl::graph {

// A font of the pane: one of the screen's fonts, or, with a height, that font (Courier for
// Fixed) of that many pixels, as printing asks for.
struct PaneFont {
  platform::FontId id = platform::FontId::Arial;
  int heightPx = 0;
};

// What differs between the screen and the printed page.
struct PaneStyle {
  int plotBackground = 0;  // palette entry: 0 black on screen, 4 white on paper
  PaneFont text{platform::FontId::Arial};
  PaneFont vertical{platform::FontId::ArialRotated};
  PaneFont fixed{platform::FontId::Fixed};
  int margin = 25;
  int size = 10;  // the character width of the label widths and the marker base size
};

// An axis' ticks as the pane draws them: the spacing, its label format and how many characters
// the labels are given.
struct AxisTicks {
  Ticks ticks;
  bool valid = false;  // false: the window cannot carry ticks (empty, inverted or not finite)
  int labelChars = 0;
};

// Where a pane's parts go.
struct PaneLayout {
  PlotRect plot;
  bool axes = false;  // false: the plot took the whole pane; no axes, titles or labels
  bool leftUsed = false;
  bool rightUsed = false;
  int leftAxis = kLeft;  // the vertical axes of this pane
  int rightAxis = kRight;
  AxisTicks bottom;
  AxisTicks left;
  AxisTicks right;
};

PaneLayout LayOutPane(const GraphSettings& settings, const series::SeriesTable& table,
                      const platform::Rect& pane, int paneIndex, const PaneStyle& style);

// Draws pane 0 (upper) or 1 (lower, the phase of the frequency graph) of the graph view: the
// framed plot, titles, the axes with their ticks, labels and grid, and the shown slots, slot 0
// on top. Returns the plot rectangle it drew in.
PlotRect DrawPane(platform::Canvas& canvas, const GraphSettings& settings,
                  const series::SeriesTable& table, const platform::Rect& pane, int paneIndex,
                  const PaneStyle& style);

}  // namespace bl::graph
