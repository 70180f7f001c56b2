#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "graph/graph_settings.h"
#include "platform/canvas.h"

namespace bl::graph {

// How one trace looks: its colour, its line (0 none, else the pen width 1..3) and its marker
// (0 none, 1 "X", 2 "O", 3 "Square", 4 "Triangle") of half-size markerHalf.
struct TraceStyle {
  platform::Rgb color;
  int thickness = 1;
  int marker = 0;
  int markerHalf = 0;
};

// A point already mapped into the pane, in fractional pixels.
struct MappedPoint {
  double x = 0.0;
  double y = 0.0;
};

// Pixels of mapped points: the nearest pixel of a coordinate, for coordinates within kFarAway of
// the origin (a check that also turns NaN away); far beyond any canvas, and within it the shift
// keeps the sum positive so that truncation rounds down (cheaper than floor). Inline: they run
// once for every point of every trace.
inline constexpr double kFarAway = 1e9;
inline bool NearEnough(MappedPoint p) {
  return std::fabs(p.x) <= kFarAway && std::fabs(p.y) <= kFarAway;
}
inline int NearestPixel(double v) {
  constexpr double kShift = 1 << 30;
  return static_cast<int>(v + (0.5 + kShift)) - (1 << 30);
}
inline bool InsidePlot(const PlotRect& plot, int x, int y) {
  return x >= plot.left && x <= plot.right && y >= plot.top && y <= plot.bottom;
}

// The pixel a mapped point falls on (the nearest one), if it lies inside the plot rectangle,
// edges included. NaN and values far beyond any screen count as outside.
inline std::optional<platform::Point> PlotPixel(const PlotRect& plot, MappedPoint p) {
  if (!NearEnough(p)) return std::nullopt;
  const int x = NearestPixel(p.x);
  const int y = NearestPixel(p.y);
  if (!InsidePlot(plot, x, y)) return std::nullopt;
  return platform::Point{x, y};
}

// The rows of count values mapped by mapY, counted from the row above the plot: 0 for a value
// above the plot (or not a number), plot.bottom - plot.top + 2 for one below it, and each other
// value's pixel row - plot.top + 1. Each row goes to rows[k] unless rows is null; the lowest and
// highest row come back. The loop runs on several values at once, on the widest vectors the
// processor has.
struct RowRange {
  int lowest = 0;
  int highest = 0;
};
RowRange PointRows(const double* values, int count, const AxisMapping& mapY, const PlotRect& plot,
                   int* rows);

// Draws one marker centred on p: "X" the two diagonals of the 2h square, "O" the circle in it,
// "Square" its outline, "Triangle" a triangle with its apex at the top. Uses the current pen.
void DrawMarker(platform::Canvas& canvas, int marker, platform::Point p, int h);

// Draws a trace point by point in one pass, at a cost set by the plot's size rather than by the
// number of points. Points outside the plot break the line; the next inside point starts a new
// one; every drawn point gets the marker.
//
// The picture is the one of joining each pair of drawn neighbours with its own line and drawing
// each point's marker (DrawTracePlain), pixel for pixel: consecutive points on one pixel column
// only ever draw vertical lines there, whose union is the single line over the span they cover,
// so a column's run is drawn as that one line plus the lines that enter and leave it; a marker on
// a pixel that already has one adds nothing. One pen colour and no fill make the order of the
// pieces irrelevant.
class TraceRenderer {
 public:
  TraceRenderer(platform::Canvas& canvas, const PlotRect& plot, const TraceStyle& style);
  TraceRenderer(const TraceRenderer&) = delete;
  TraceRenderer& operator=(const TraceRenderer&) = delete;
  ~TraceRenderer() { Finish(); }

  // The next count points of the trace, pointAt(k) giving point k already mapped into the pane
  // (PlotPixel decides where it falls). Written for a loop over many points: the run is kept in
  // locals (through the members every
  // point would wait for the one before it to be stored) that go back to the members whenever a
  // member function runs, and no optional point is made (that costs a stall per point).
  template <typename PointAt>
  void AddPoints(std::size_t count, PointAt&& pointAt);
  // The points from..to-1 of a trace whose x pixel never falls as the index grows (time and
  // point-number graphs): xAt(i) is point i's mapped x, values[i] its value, mapY the value's
  // mapping. The points are taken a pixel column at a time: the column's end is searched, each
  // point's row found in a loop that does nothing else, and when all fall inside the plot the run
  // is just the extreme rows and the markers go on the rows hit; any other column goes point by
  // point.
  template <typename XAt>
  void AddColumns(int from, int to, XAt&& xAt, const double* values, const AxisMapping& mapY);
  // Draws what is still pending; further points start a new line.
  void Finish();

 private:
  void Mark(platform::Point p) {
    if (markedWidth_ == 0) return;
    const std::size_t at =
        static_cast<std::size_t>(p.y - plot_.top) * static_cast<std::size_t>(markedWidth_) +
        static_cast<std::size_t>(p.x - plot_.left);
    if (!marked_[at]) DrawMarkerAt(at, p);
  }
  void NextColumn(platform::Point p);
  void DrawMarkerAt(std::size_t at, platform::Point p);
  void Break();
  void CloseRun();

  platform::Canvas& canvas_;
  PlotRect plot_;
  TraceStyle style_;
  // The current run: drawn points in a row that share one pixel column.
  bool inRun_ = false;
  int runX_ = 0;
  int runLastY_ = 0;
  int runMinY_ = 0;
  int runMaxY_ = 0;
  int runCount_ = 0;
  // Pixels of the plot that already carry a marker, row by row, and the markers not yet drawn.
  std::vector<bool> marked_;
  std::vector<platform::Point> markers_;
  // For a pixel column: which of the plot's rows its points fall on, with a row to spare at
  // either end.
  std::vector<char> rowsHit_;
  std::vector<int> rowBuffer_;
  int markedWidth_ = 0;
};

template <typename PointAt>
void TraceRenderer::AddPoints(std::size_t count, PointAt&& pointAt) {
  bool inRun = inRun_;
  int runX = runX_;
  int lastY = runLastY_;
  int minY = runMinY_;
  int maxY = runMaxY_;
  int runCount = runCount_;
  const auto store = [&] {
    inRun_ = inRun;
    runX_ = runX;
    runLastY_ = lastY;
    runMinY_ = minY;
    runMaxY_ = maxY;
    runCount_ = runCount;
  };
  const auto load = [&] {
    inRun = inRun_;
    runX = runX_;
    lastY = runLastY_;
    minY = runMinY_;
    maxY = runMaxY_;
    runCount = runCount_;
  };
  const PlotRect plot = plot_;
  const bool marker = style_.marker != 0;
  const bool line = style_.thickness != 0;
  for (std::size_t k = 0; k < count; ++k) {
    const MappedPoint m = pointAt(k);
    int x = 0;
    int y = 0;
    if (NearEnough(m)) {
      x = NearestPixel(m.x);
      y = NearestPixel(m.y);
    }
    if (!NearEnough(m) || !InsidePlot(plot, x, y)) {
      if (inRun) {
        store();
        Break();
        load();
      }
      continue;
    }
    if (marker) Mark({x, y});
    if (!line) continue;
    if (inRun && x == runX) {
      lastY = y;
      minY = std::min(minY, y);
      maxY = std::max(maxY, y);
      ++runCount;
      continue;
    }
    store();
    NextColumn({x, y});
    load();
  }
  store();
}

template <typename XAt>
void TraceRenderer::AddColumns(int from, int to, XAt&& xAt, const double* values,
                               const AxisMapping& mapY) {
  // The column of point i, or a column beyond every plot for a point too far out to convert.
  const auto column = [&](int i) {
    const double x = xAt(i);
    if (x < -kFarAway) return std::numeric_limits<int>::min();
    if (!(x <= kFarAway)) return std::numeric_limits<int>::max();
    return NearestPixel(x);
  };
  const auto pointAt = [&](int first) {
    return [&, first](std::size_t k) {
      const int i = first + static_cast<int>(k);
      return MappedPoint{xAt(i), mapY(values[i])};
    };
  };
  int i = from;
  while (i < to) {
    const int c = column(i);
    // The column's end: gallop, then halve, to the first point of a later column.
    int inside = i;  // known to be on column c
    int step = 1;
    int beyond = to;  // known to be past it (or the end)
    while (inside + step < to) {
      if (column(inside + step) != c) {
        beyond = inside + step;
        break;
      }
      inside += step;
      step *= 2;
    }
    while (beyond - inside > 1) {
      const int middle = inside + (beyond - inside) / 2;
      if (column(middle) == c)
        inside = middle;
      else
        beyond = middle;
    }
    const int end = beyond;
    if (c < plot_.left || c > plot_.right) {
      // Every point of the column is outside.
      Break();
      i = end;
      continue;
    }
    // Each point's row, in a loop the compiler runs on several points at once: a point beyond the
    // plot, or not a number, lands on a spare row at either end and sends the column point by
    // point, where the line breaks. The rows the points fall on are noted for the markers.
    const bool markers = style_.marker != 0;
    if (markers) std::fill(rowsHit_.begin(), rowsHit_.end(), 0);
    const int firstRow = plot_.top - 1;
    const int spare = plot_.bottom + 1 - firstRow;
    int lowest = spare;
    int highest = 0;
    for (int first = i; first < end; first += kPointBatch) {
      const int count = std::min(kPointBatch, end - first);
      const RowRange rows = PointRows(values + first, count, mapY, plot_,
                                      markers ? rowBuffer_.data() : nullptr);
      lowest = std::min(lowest, rows.lowest);
      highest = std::max(highest, rows.highest);
      if (markers)
        for (int k = 0; k < count; ++k)
          rowsHit_[static_cast<std::size_t>(rowBuffer_[static_cast<std::size_t>(k)])] = 1;
    }
    if (lowest == 0 || highest == spare) {
      AddPoints(static_cast<std::size_t>(end - i), pointAt(i));
      i = end;
      continue;
    }
    // Every point is on a row of the plot, so each row is the point's pixel.
    const int top = lowest + firstRow;
    const int bottom = highest + firstRow;
    if (markers)
      for (int y = top; y <= bottom; ++y)
        if (rowsHit_[static_cast<std::size_t>(y - firstRow)] != 0) Mark({c, y});
    if (style_.thickness == 0) {
      i = end;
      continue;
    }
    // What the points one by one would leave: the column's first point opens a run, and the run
    // spans the extremes and ends on the column's last point.
    NextColumn({c, NearestPixel(mapY(values[i]))});
    runLastY_ = NearestPixel(mapY(values[end - 1]));
    runMinY_ = top;
    runMaxY_ = bottom;
    runCount_ = end - i;
    i = end;
  }
}

// Both drawings of a whole trace, from a span of mapped points.
void DrawTrace(platform::Canvas& canvas, const PlotRect& plot, const TraceStyle& style,
               std::span<const MappedPoint> points);
// The same picture, one line per pair of neighbours and one marker per point: the drawing the
// fast one is held to, and the measure it is compared with.
void DrawTracePlain(platform::Canvas& canvas, const PlotRect& plot, const TraceStyle& style,
                    std::span<const MappedPoint> points);

}  // namespace bl::graph
