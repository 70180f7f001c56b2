#include "graph/trace_renderer.h"

#include <algorithm>
#include <cmath>

namespace bl::graph {

namespace {

void SelectPen(platform::Canvas& canvas, const TraceStyle& style) {
  // Markers of a trace without a line are drawn with the thin pen.
  canvas.SetPen(style.color, std::clamp(style.thickness, 1, 3));
  canvas.SetHollowBrush();
}

}  // namespace

namespace {

// Both loops of PointRows, with and without keeping the rows; inlined into each of its copies
// so that each is compiled for its processor.
template <bool kKeepRows>
[[gnu::always_inline]] inline RowRange ScanRows(const double* values, int count, const AxisMapping& mapY, const PlotRect& plot,
                  int* rows) {
  const AxisMapping m = mapY;
  const double above = plot.top - 1.0;
  const double below = plot.bottom + 1.0;
  const int firstRow = plot.top - 1;
  int lowest = std::numeric_limits<int>::max();
  int highest = std::numeric_limits<int>::min();
  for (int k = 0; k < count; ++k) {
    double y = m.Scaled(values[k]);
    y = y > above ? y : above;
    y = y < below ? y : below;
    const int row = NearestPixel(y) - firstRow;
    if constexpr (kKeepRows) rows[k] = row;
    lowest = row < lowest ? row : lowest;
    highest = row > highest ? row : highest;
  }
  return {lowest, highest};
}

}  // namespace

// A copy for processors with AVX2 (four values a step rather than two), chosen when the program
// loads. The same operations in the same order give the same results on either.
#if defined(__x86_64__) && defined(__GNUC__) && defined(__linux__)
__attribute__((target_clones("avx2", "default")))
#endif
RowRange PointRows(const double* values, int count, const AxisMapping& mapY, const PlotRect& plot,
                   int* rows) {
  if (rows != nullptr) return ScanRows<true>(values, count, mapY, plot, rows);
  return ScanRows<false>(values, count, mapY, plot, rows);
}

void DrawMarker(platform::Canvas& canvas, int marker, platform::Point p, int h) {
  const platform::Rect square{p.x - h, p.y - h, p.x + h, p.y + h};
  switch (marker) {
    case 1:
      canvas.DrawLine({square.left, square.top}, {square.right, square.bottom});
      canvas.DrawLine({square.left, square.bottom}, {square.right, square.top});
      break;
    case 2:
      canvas.DrawEllipse(square);
      break;
    case 3:
      canvas.DrawRectangle(square);
      break;
    case 4: {
      const platform::Point triangle[] = {
          {square.left, square.bottom}, {p.x, square.top}, {square.right, square.bottom}};
      canvas.DrawPolygon(triangle);
      break;
    }
    default:
      break;
  }
}

TraceRenderer::TraceRenderer(platform::Canvas& canvas, const PlotRect& plot,
                             const TraceStyle& style)
    : canvas_(canvas), plot_(plot), style_(style) {
  if (style_.marker != 0 && plot.right >= plot.left && plot.bottom >= plot.top) {
    markedWidth_ = plot.right - plot.left + 1;
    marked_.assign(static_cast<std::size_t>(markedWidth_) *
                       static_cast<std::size_t>(plot.bottom - plot.top + 1),
                   false);
    rowsHit_.assign(static_cast<std::size_t>(plot.bottom - plot.top + 1) + 2, 0);
  }
  rowBuffer_.resize(kPointBatch);
  SelectPen(canvas_, style_);
}

void TraceRenderer::DrawMarkerAt(std::size_t at, platform::Point p) {
  marked_[at] = true;
  markers_.push_back(p);
}

void TraceRenderer::Finish() {
  Break();
  if (markers_.empty()) return;
  // All in one go: the canvas may draw the marker once and copy it. The pen reaches half its
  // width beyond the marker's square.
  const int marker = style_.marker;
  const int h = style_.markerHalf;
  canvas_.DrawFigures(markers_, h + 2, [marker, h](platform::Canvas& canvas, platform::Point p) {
    DrawMarker(canvas, marker, p, h);
  });
  markers_.clear();
}

void TraceRenderer::NextColumn(platform::Point p) {
  if (inRun_) {
    CloseRun();
    canvas_.DrawLine({runX_, runLastY_}, p);
  }
  inRun_ = true;
  runX_ = p.x;
  runLastY_ = runMinY_ = runMaxY_ = p.y;
  runCount_ = 1;
}

void TraceRenderer::CloseRun() {
  // A lone point draws no line of its own; two or more (even on one pixel) draw their span.
  if (runCount_ > 1) canvas_.DrawLine({runX_, runMinY_}, {runX_, runMaxY_});
}

void TraceRenderer::Break() {
  if (!inRun_) return;
  CloseRun();
  inRun_ = false;
}

void DrawTrace(platform::Canvas& canvas, const PlotRect& plot, const TraceStyle& style,
               std::span<const MappedPoint> points) {
  TraceRenderer renderer(canvas, plot, style);
  renderer.AddPoints(points.size(), [points](std::size_t k) { return points[k]; });
}

void DrawTracePlain(platform::Canvas& canvas, const PlotRect& plot, const TraceStyle& style,
                    std::span<const MappedPoint> points) {
  SelectPen(canvas, style);
  std::optional<platform::Point> previous;
  for (const MappedPoint& m : points) {
    const std::optional<platform::Point> p = PlotPixel(plot, m);
    if (!p) {
      previous.reset();
      continue;
    }
    if (style.thickness != 0 && previous) canvas.DrawLine(*previous, *p);
    if (style.marker != 0) DrawMarker(canvas, style.marker, *p, style.markerHalf);
    previous = p;
  }
}

}  // namespace bl::graph
