#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <string>
#include <vector>

namespace bl::series {
class SeriesTable;
}

namespace bl::graph {

inline constexpr int kSlotCount = 4;
inline constexpr int kStoredGraphCount = 10;
// A stored graph whose type is this is an empty place in the library.
inline constexpr int kEmptyGraph = -1;

// The vertical axes, in the order the record keeps them.
enum VerticalAxis : int { kLeft = 0, kLeft2 = 1, kRight = 2, kRight2 = 3 };

// The entries of a slot's marker, colour and thickness lists.
inline constexpr int kMarkerChoices = 5;     // none, X, O, Square, Triangle
inline constexpr int kColorChoices = 12;     // White .. Violet2
inline constexpr int kThicknessChoices = 4;  // none, Thin, Medium, Thick

// One trace of the graph: a series, optionally combined with a second one, and its look.
struct Slot {
  int series = 0;        // 0 none
  int secondSeries = 0;  // operand (types 0..2) or the y series (type 3); 0 none
  int operation = 0;     // 0 "+", 1 "-", 2 "*", 3 "/"
  int axis = 0;          // 0 left, 1 right
  int marker = 0;        // 0 none, 1 X, 2 O, 3 square, 4 triangle
  int color = 1;         // 0..11, drawn with palette entry color + 4
  int thickness = 1;     // 0 no line, 1 thin, 2 medium, 3 thick
};

// The full range of an axis, its visible (zoomed) window and its grid.
struct AxisRange {
  double maximum = 1000.0;
  double minimum = 0.0;
  double visibleMaximum = 1000.0;
  double visibleMinimum = 0.0;
  double gridSpacing = 0.0;  // 0 or less: automatic
  bool gridLines = false;    // full grid lines instead of short ticks
};

// Everything that describes a graph; the current one and the ten of the library.
struct GraphSettings {
  GraphSettings();

  std::string topTitle = "Top Title";
  std::string bottomTitle = "Bottom Title";
  std::string leftTitle = "Left Title";
  std::string rightTitle = "Right Title";
  std::string leftTitle2 = "Left Title 2";
  std::string rightTitle2 = "Right Title 2";
  std::array<Slot, kSlotCount> slots;
  AxisRange bottom{100.0, 0.0, 1.0, 0.0, 0.0, false};
  std::array<AxisRange, 4> axes;  // by VerticalAxis
  int graphType = 0;              // kEmptyGraph in an empty library place
};

// The scroll bars of the two panes, 0..10000, as ClampWindows sets them.
struct ScrollBar {
  int page = 10000;
  int position = 0;
};
struct GraphScrollBars {
  ScrollBar horizontal;
  std::array<ScrollBar, 2> vertical;  // per pane
};

// A pane's plot rectangle in pixels.
struct PlotRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// Whether the slot is drawn (and counts for the limits), for the table's graph type.
bool SlotShown(const GraphSettings& settings, const series::SeriesTable& table, int slot);
// The coordinates of point i of a shown slot; not a number for a point the slot does not have.
double XValue(const GraphSettings& settings, const series::SeriesTable& table, int slot, int i);
double YValue(const GraphSettings& settings, const series::SeriesTable& table, int slot, int i);
// The same for the points first, first + 1, ... of a slot, one per element of out: the drawing
// and the limits run over every point, and a batch keeps that loop free of per-point checks.
void XValues(const GraphSettings& settings, const series::SeriesTable& table, int slot, int first,
             std::span<double> out);
void YValues(const GraphSettings& settings, const series::SeriesTable& table, int slot, int first,
             std::span<double> out);
// Splits the points from..to-1 into batches of at most kPointBatch, a size that stays in the
// cache, calling visit(first, count) for each.
inline constexpr int kPointBatch = 2048;
template <typename Visit>
void ForEachBatch(int from, int to, Visit&& visit) {
  for (int first = from; first < to; first += std::min(kPointBatch, to - first))
    visit(first, std::min(kPointBatch, to - first));
}

// Full ranges from the shown slots, visible windows reset to them, then ClampWindows.
void FindLimits(GraphSettings& settings, const series::SeriesTable& table, GraphScrollBars& bars);
// Keeps the visible windows inside the full ranges, sets the scroll bars and derives the right
// axes' windows from the left ones.
void ClampWindows(GraphSettings& settings, GraphScrollBars& bars);

// The tick spacing of a window and the label format it implies.
struct Ticks {
  double spacing = 1.0;
  int decimals = 0;
  bool exponent = false;  // vertical axes: spacing above 1e8 or below 1e-8, labels "%8E"
};
Ticks TickSpacing(double visibleMaximum, double visibleMinimum, double storedSpacing);

// The most ticks an axis gets, however small its spacing.
inline constexpr int kMaxTicks = 1000;
// The tick values inside the window: the multiples j * spacing, j from visibleMinimum / spacing
// to visibleMaximum / spacing truncated toward zero, those outside the window left out.
std::vector<double> TickValues(double visibleMaximum, double visibleMinimum, double spacing);
// A tick label: "%.<decimals>lf", or "%8E" on a vertical axis whose spacing asks for it.
std::string TickLabel(double value, const Ticks& ticks, bool verticalAxis);

// The cursor readout's and the tables' number format.
std::string FormatValue(double x);

// Value to pixel along one side of a plot rectangle, for a window visibleMinimum..visibleMaximum:
// origin + (value - visibleMinimum) * span / width, with span / width taken once. A window
// without width (or not finite) maps everything to the origin. Values far outside the window map
// far outside the rectangle: check before converting to int. Inline, since the drawing maps
// every point through it.
struct AxisMapping {
  double origin = 0.0;
  double minimum = 0.0;
  double scale = 0.0;  // pixels per unit
  bool flat = true;

  AxisMapping(double origin, double span, double visibleMinimum, double visibleMaximum)
      : origin(origin), minimum(visibleMinimum) {
    const double width = visibleMaximum - visibleMinimum;
    scale = span / width;
    // A window so narrow that its scale overflows is as good as none.
    flat = !(width != 0.0) || !std::isfinite(width) || !std::isfinite(scale);
    if (flat) scale = 0.0;
  }
  double operator()(double value) const { return flat ? origin : Scaled(value); }
  // The mapping of a window with a width, for loops that have checked flat once.
  double Scaled(double value) const { return origin + (value - minimum) * scale; }
};
// Left to right, and bottom to top.
inline AxisMapping HorizontalMapping(const PlotRect& plot, double visibleMinimum,
                                     double visibleMaximum) {
  return {static_cast<double>(plot.left), static_cast<double>(plot.right - plot.left),
          visibleMinimum, visibleMaximum};
}
inline AxisMapping VerticalMapping(const PlotRect& plot, double visibleMinimum,
                                   double visibleMaximum) {
  return {static_cast<double>(plot.bottom), -static_cast<double>(plot.bottom - plot.top),
          visibleMinimum, visibleMaximum};
}
inline double MapX(const PlotRect& plot, double value, double visibleMinimum,
                   double visibleMaximum) {
  return HorizontalMapping(plot, visibleMinimum, visibleMaximum)(value);
}
inline double MapY(const PlotRect& plot, double value, double visibleMinimum,
                   double visibleMaximum) {
  return VerticalMapping(plot, visibleMinimum, visibleMaximum)(value);
}

// Pixel to value, the inverse of MapX and MapY.
double UnmapX(const PlotRect& plot, double x, double visibleMinimum, double visibleMaximum);
double UnmapY(const PlotRect& plot, double y, double visibleMinimum, double visibleMaximum);

}  // namespace bl::graph
