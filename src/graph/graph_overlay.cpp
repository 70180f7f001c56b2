#include "graph/graph_overlay.h"

#include <algorithm>
#include <cmath>

#include "platform/color_palette.h"
#include "platform/text_format.h"
#include "series/series_table.h"
#include "series/step_metrics.h"

namespace bl::graph {

namespace {

// Columns of the readout box, from its left edge.
constexpr int kLabelLeft = 6;
constexpr int kLabelRight = 40;
constexpr int kSwatchLeft = 42;
constexpr int kSwatchRight = 68;
constexpr int kXLeft = 76;
constexpr int kYLeft = 186;
constexpr int kCornerSize = 16;
// Grey shows on the black plot and on the white margins alike.
constexpr platform::Rgb kDragColor = platform::kColorPalette[2];

void DrawDragRectangle(platform::Canvas& canvas, const DragState& drag) {
  canvas.SetPen(kDragColor, 1);
  canvas.SetHollowBrush();
  canvas.DrawRectangle(
      {std::min(drag.start.x, drag.current.x), std::min(drag.start.y, drag.current.y),
       std::max(drag.start.x, drag.current.x) + 1, std::max(drag.start.y, drag.current.y) + 1});
}

// Circles the points under the cursor, each on the axis its slot is drawn against.
void DrawCursorMarks(platform::Canvas& canvas, const GraphView& view,
                     const series::SeriesTable& table, int paneIndex, const PlotRect& plot,
                     const Readout& readout) {
  const GraphSettings& s = view.settings;
  canvas.SetClipRect({plot.left, plot.top, plot.right + 1, plot.bottom + 1});
  canvas.SetHollowBrush();
  for (int k = 0; k < kSlotCount; ++k) {
    const ReadoutRow& row = readout.rows[static_cast<std::size_t>(k)];
    if (row.point < 0) continue;
    const Slot& slot = s.slots[static_cast<std::size_t>(k)];
    const int axis =
        slot.axis == 1 ? (paneIndex == 0 ? kRight : kRight2) : (paneIndex == 0 ? kLeft : kLeft2);
    const AxisRange& y = s.axes[static_cast<std::size_t>(axis)];
    const double px = MapX(plot, XValue(s, table, k, row.point), s.bottom.visibleMinimum,
                           s.bottom.visibleMaximum);
    const double py =
        MapY(plot, YValue(s, table, k, row.point), y.visibleMinimum, y.visibleMaximum);
    // A point far off the plot would overflow the pixel type; it would not show anyway.
    if (!std::isfinite(px) || !std::isfinite(py) || std::fabs(px) > 1e6 || std::fabs(py) > 1e6)
      continue;
    const int cx = static_cast<int>(std::lround(px));
    const int cy = static_cast<int>(std::lround(py));
    canvas.SetPen(platform::SlotColor(slot.color), 3);
    canvas.DrawEllipse({cx - kCursorMarkRadius, cy - kCursorMarkRadius, cx + kCursorMarkRadius + 1,
                        cy + kCursorMarkRadius + 1});
  }
  canvas.ClearClip();
}

void DrawReadoutBox(platform::Canvas& canvas, const platform::Rect& pane, int cursorMode,
                    const Readout& readout) {
  const platform::Rect box = ReadoutBox(pane, cursorMode);
  canvas.SetPen(platform::kBlack, 1);
  canvas.SetBrush(platform::kWhite);
  canvas.DrawRoundRect(box, kCornerSize, kCornerSize);
  canvas.SetFont(platform::FontId::Arial);
  canvas.SetTextColor(platform::kBlack);
  canvas.SetTextBackground(platform::kWhite, false);
  constexpr unsigned kCell =
      platform::text::kLeft | platform::text::kVCenter | platform::text::kSingleLine;
  auto columns = [&](int row, const std::string& label, const std::string& x, const std::string& y,
                     int labelRight) {
    const platform::Rect r = ReadoutRowRect(box, row);
    canvas.DrawText(label, {box.left + kLabelLeft, r.top, box.left + labelRight, r.bottom}, kCell);
    canvas.DrawText(x, {box.left + kXLeft, r.top, box.left + kYLeft - 4, r.bottom}, kCell);
    canvas.DrawText(y, {box.left + kYLeft, r.top, box.right - 4, r.bottom}, kCell);
  };
  columns(0, readout.headers[0], readout.headers[1], readout.headers[2], kXLeft - 4);
  for (int k = 0; k < kSlotCount; ++k) {
    const ReadoutRow& row = readout.rows[static_cast<std::size_t>(k)];
    columns(k + 1, row.label, row.x, row.y, kLabelRight);
    const platform::Rect r = ReadoutRowRect(box, k + 1);
    const int mid = (r.top + r.bottom) / 2;
    canvas.SetPen(platform::SlotColor(row.color), 3);
    canvas.DrawLine({box.left + kSwatchLeft, mid}, {box.left + kSwatchRight, mid});
  }
}

void DrawMetricsBox(platform::Canvas& canvas, const GraphView& view,
                    const series::SeriesTable& table, const PlotRect& plot) {
  const auto rows = MetricsTable(view, table);
  canvas.SetFont(platform::FontId::Arial);
  const std::string title = platform::Format("Step Metrics  #%d -> #%d", view.metricsCommanded,
                                             view.metricsActual);
  // Columns as wide as their longest text; a sentence (no value) spans both.
  int labels = 0, values = 0, sentence = canvas.TextWidth(title);
  for (const auto& [label, value] : rows) {
    if (value.empty()) {
      sentence = std::max(sentence, canvas.TextWidth(label));
    } else {
      labels = std::max(labels, canvas.TextWidth(label));
      values = std::max(values, canvas.TextWidth(value));
    }
  }
  constexpr int kPad = 6, kGap = 12;
  const int width = std::max(labels + kGap + values, sentence) + 2 * kPad;
  const int rowHeight = canvas.TextHeight() + 2;
  const int right = plot.right - 8;
  const platform::Rect box{right - width, plot.top + 8, right,
                           plot.top + 8 + (static_cast<int>(rows.size()) + 1) * rowHeight + 4};
  canvas.SetPen(platform::kBlack, 1);
  canvas.SetBrush(platform::kWhite);
  canvas.DrawRectangle(box);
  canvas.SetTextColor(platform::kBlack);
  canvas.SetTextBackground(platform::kWhite, false);
  constexpr unsigned kCell =
      platform::text::kLeft | platform::text::kVCenter | platform::text::kSingleLine;
  const int valueLeft = box.left + kPad + labels + kGap;
  int top = box.top + 2;
  canvas.DrawText(title, {box.left + kPad, top, box.right - kPad, top + rowHeight}, kCell);
  for (const auto& [label, value] : rows) {
    top += rowHeight;
    canvas.DrawText(label, {box.left + kPad, top, box.right - kPad, top + rowHeight}, kCell);
    if (!value.empty())
      canvas.DrawText(value, {valueLeft, top, box.right - kPad, top + rowHeight}, kCell);
  }
}

}  // namespace

std::vector<std::pair<std::string, std::string>> MetricsTable(const GraphView& view,
                                                               const series::SeriesTable& table) {
  const int c = view.metricsCommanded, a = view.metricsActual;
  if (c < 1 || a < 1 || c > table.seriesCount || a > table.seriesCount) return {};
  const series::DataSeries& commanded = table[c];
  const series::DataSeries& actual = table[a];
  std::string error;
  const auto m = series::MeasureStep(commanded.values, actual.values, commanded.rawDataPeriod,
                                     error);
  if (!m) return {{error, ""}};
  auto rows = series::StepMetricRows(*m);
  if (view.cursorMode != kCursorOff && commanded.rawDataPeriod > 0) {
    const double at = view.cursorPosition / commanded.rawDataPeriod;
    const auto n = static_cast<double>(actual.sampleCount);
    std::string since = "---", reached = "---";
    if (at >= 0 && at < n) {
      const auto i = static_cast<std::size_t>(std::lround(std::min(at, n - 1)));
      const double start = commanded.values.front();
      since = platform::Format("%.2f ms", (view.cursorPosition - m->stepTime) * 1000.0);
      reached = platform::Format("%.1f %%", (actual.values[i] - start) / m->stepSize * 100.0);
    }
    rows.emplace_back("Cursor after step", since);
    rows.emplace_back("Cursor, part of step", reached);
  }
  return rows;
}

void DrawGraphOverlay(platform::Canvas& canvas, const GraphView& view,
                      const series::SeriesTable& table, const platform::Rect& pane, int paneIndex,
                      const PlotRect& plot) {
  if (paneIndex != 0 && paneIndex != 1) return;
  const DragState& drag = view.drag[static_cast<std::size_t>(paneIndex)];
  if (drag.dragging) DrawDragRectangle(canvas, drag);
  const int type = view.settings.graphType;
  if (paneIndex == 0 && view.metricsCommanded > 0 && type == 0)
    DrawMetricsBox(canvas, view, table, plot);
  if (view.cursorMode == kCursorOff) return;
  const Readout readout = CursorReadout(view, table, paneIndex);
  DrawCursorMarks(canvas, view, table, paneIndex, plot, readout);
  DrawReadoutBox(canvas, pane, view.cursorMode, readout);
}

}  // namespace bl::graph
