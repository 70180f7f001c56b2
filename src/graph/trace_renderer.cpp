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
  }
  SelectPen(canvas_, style_);
}

void TraceRenderer::DrawMarkerAt(std::size_t at, platform::Point p) {
  marked_[at] = true;
  DrawMarker(canvas_, style_.marker, p, style_.markerHalf);
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
