#pragma once

#include <cmath>
#include <cstdint>
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

// The pixel a mapped point falls on (the nearest one), if it lies inside the plot rectangle,
// edges included. NaN and values far beyond any screen count as outside. Inline: it runs once
// for every point of every trace.
inline std::optional<platform::Point> PlotPixel(const PlotRect& plot, MappedPoint p) {
  // Within this distance the shift below keeps the sum positive, so that truncation rounds down
  // (cheaper than floor); it is also far beyond any canvas.
  constexpr double kFarAway = 1e9;
  constexpr double kShift = 1 << 30;
  if (!(std::fabs(p.x) <= kFarAway && std::fabs(p.y) <= kFarAway)) return std::nullopt;
  const int x = static_cast<int>(p.x + (0.5 + kShift)) - (1 << 30);
  const int y = static_cast<int>(p.y + (0.5 + kShift)) - (1 << 30);
  if (x < plot.left || x > plot.right || y < plot.top || y > plot.bottom) return std::nullopt;
  return platform::Point{x, y};
}

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

  // The next point of the trace.
  void Add(MappedPoint p) {
    const std::optional<platform::Point> pixel = PlotPixel(plot_, p);
    if (pixel)
      AddPixel(*pixel);
    else
      Break();
  }
  // Draws what is still pending; further points start a new line.
  void Finish() { Break(); }

 private:
  void AddPixel(platform::Point p);
  void Break();
  void CloseRun();
  void Mark(platform::Point p);

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
  // Pixels of the plot that already carry a marker, row by row.
  std::vector<bool> marked_;
  int markedWidth_ = 0;
};

// Both drawings of a whole trace, from a span of mapped points.
void DrawTrace(platform::Canvas& canvas, const PlotRect& plot, const TraceStyle& style,
               std::span<const MappedPoint> points);
// The same picture, one line per pair of neighbours and one marker per point: the drawing the
// fast one is held to, and the measure it is compared with.
void DrawTracePlain(platform::Canvas& canvas, const PlotRect& plot, const TraceStyle& style,
                    std::span<const MappedPoint> points);

}  // namespace bl::graph
