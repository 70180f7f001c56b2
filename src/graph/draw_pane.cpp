#include "graph/draw_pane.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "graph/trace_renderer.h"
#include "platform/color_palette.h"
#include "platform/text_format.h"
#include "series/series_table.h"

namespace bl::graph {

namespace {

constexpr double kSmallestRange = 1e-10;
constexpr int kTickLength = 5;
constexpr int kLabelGap = 10;
constexpr int kExponentChars = 14;

void SelectFont(platform::Canvas& canvas, const PaneFont& font) {
  if (font.heightPx > 0 && font.id == platform::FontId::ArialRotated)
    canvas.SetRotatedFontByHeight(font.heightPx);
  else if (font.heightPx > 0)
    canvas.SetFontByHeight(font.heightPx, font.id == platform::FontId::Fixed);
  else
    canvas.SetFont(font.id);
}

// The ticks of a window. A stored spacing so fine that the ticks would lie closer than a pixel
// of the pane gives way to the automatic one: otherwise a typo in the spacing could ask for
// billions of ticks.
AxisTicks AxisTicksOf(const AxisRange& axis, int lengthPx, bool vertical) {
  AxisTicks result;
  const double lo = axis.visibleMinimum;
  const double hi = axis.visibleMaximum;
  if (!std::isfinite(lo) || !std::isfinite(hi) || !(hi > lo)) return result;
  auto tooMany = [&](const Ticks& t) {
    if (!std::isfinite(t.spacing) || !(t.spacing > 0)) return true;
    return std::trunc(hi / t.spacing) - std::trunc(lo / t.spacing) > std::max(lengthPx, 1);
  };
  result.ticks = TickSpacing(hi, lo, axis.gridSpacing);
  if (tooMany(result.ticks)) result.ticks = TickSpacing(hi, lo, 0.0);
  if (tooMany(result.ticks)) return result;
  result.valid = true;
  if (vertical && result.ticks.exponent) {
    result.labelChars = kExponentChars;
  } else {
    auto digits = [](double v) {
      const double l = std::log10(std::fabs(v));
      return std::isfinite(l) && l > 0 ? static_cast<int>(l) : 0;
    };
    result.labelChars = result.ticks.decimals + std::max(digits(hi), digits(lo));
  }
  return result;
}

std::string Label(const AxisTicks& axis, double v, bool vertical) {
  if (vertical && axis.ticks.exponent) return platform::Format("%8E", v);
  return platform::Format("%.*f", axis.ticks.decimals, v);
}

// Calls draw(value, pixel) for each tick of the window that falls inside from..to, pixel being
// the mapped position.
template <typename Map, typename DrawTick>
void ForEachTick(const AxisTicks& axis, double lo, double hi, int from, int to, Map map,
                 DrawTick draw) {
  if (!axis.valid) return;
  const double s = axis.ticks.spacing;
  const long long first = static_cast<long long>(std::trunc(lo / s));
  const long long last = static_cast<long long>(std::trunc(hi / s));
  for (long long j = first; j <= last; ++j) {
    const double v = static_cast<double>(j) * s;
    const double at = map(v);
    if (!(at >= from - 0.5 && at < to + 0.5)) continue;
    draw(v, static_cast<int>(std::floor(at + 0.5)));
  }
}

void DrawTitles(platform::Canvas& canvas, const GraphSettings& settings, const platform::Rect& pane,
                int paneIndex, const PaneLayout& l, const PaneStyle& style, int labelsBottom) {
  const PlotRect& p = l.plot;
  SelectFont(canvas, style.text);
  constexpr unsigned kCentred =
      platform::text::kCenter | platform::text::kVCenter | platform::text::kSingleLine;
  canvas.DrawText(settings.topTitle, {p.left, pane.top, p.right, p.top}, kCentred);
  canvas.DrawText(settings.bottomTitle, {p.left, labelsBottom, p.right, pane.bottom}, kCentred);
  SelectFont(canvas, style.vertical);
  if (l.leftUsed)
    canvas.DrawText(
        paneIndex == 0 ? settings.leftTitle : settings.leftTitle2,
        {pane.left, p.top, p.left - kLabelGap - l.left.labelChars * style.size, p.bottom},
        kCentred);
  if (l.rightUsed)
    canvas.DrawText(
        paneIndex == 0 ? settings.rightTitle : settings.rightTitle2,
        {p.right + kLabelGap + l.right.labelChars * style.size, p.top, pane.right, p.bottom},
        kCentred);
}

void DrawBottomAxis(platform::Canvas& canvas, const GraphSettings& settings, const PaneLayout& l,
                    int textHeight) {
  const PlotRect& p = l.plot;
  const AxisRange& axis = settings.bottom;
  const platform::Rgb grey = platform::PaletteColor(2);
  ForEachTick(
      l.bottom, axis.visibleMinimum, axis.visibleMaximum, p.left, p.right,
      [&](double v) { return MapX(p, v, axis.visibleMinimum, axis.visibleMaximum); },
      [&](double v, int x) {
        const int top = p.bottom + kTickLength + 1;
        canvas.DrawText(
            Label(l.bottom, v, false), {x - 200, top, x + 200, top + textHeight},
            platform::text::kCenter | platform::text::kTop | platform::text::kSingleLine);
        canvas.SetPen(grey, 1);
        canvas.DrawLine({x, axis.gridLines ? p.top : p.bottom}, {x, p.bottom + kTickLength});
      });
}

void DrawVerticalAxis(platform::Canvas& canvas, const PaneLayout& l, const platform::Rect& pane,
                      const AxisRange& axis, const AxisTicks& ticks, bool leftSide,
                      int textHeight) {
  const PlotRect& p = l.plot;
  const platform::Rgb grey = platform::PaletteColor(2);
  ForEachTick(
      ticks, axis.visibleMinimum, axis.visibleMaximum, p.top, p.bottom,
      [&](double v) { return MapY(p, v, axis.visibleMinimum, axis.visibleMaximum); },
      [&](double v, int y) {
        const platform::Rect box =
            leftSide ? platform::Rect{pane.left, y - textHeight / 2, p.left - kLabelGap,
                                      y - textHeight / 2 + textHeight}
                     : platform::Rect{p.right + kLabelGap, y - textHeight / 2, pane.right,
                                      y - textHeight / 2 + textHeight};
        canvas.DrawText(Label(ticks, v, true), box,
                        (leftSide ? platform::text::kRight : platform::text::kLeft) |
                            platform::text::kVCenter | platform::text::kSingleLine);
        canvas.SetPen(grey, 1);
        if (leftSide)
          canvas.DrawLine({axis.gridLines ? p.right : p.left, y}, {p.left - kTickLength, y});
        else
          canvas.DrawLine({axis.gridLines ? p.left : p.right, y}, {p.right + kTickLength, y});
      });
}

void DrawSeries(platform::Canvas& canvas, const GraphSettings& settings,
                const series::SeriesTable& table, int paneIndex, const PaneLayout& l,
                const PaneStyle& style) {
  const PlotRect& p = l.plot;
  // Points on the plot's edges are inside and must show.
  canvas.SetClipRect({p.left, p.top, p.right + 1, p.bottom + 1});
  const AxisRange& bottom = settings.bottom;
  std::array<double, kPointBatch> xBatch;
  std::array<double, kPointBatch> yBatch;
  for (int k = kSlotCount - 1; k >= 0; --k) {
    if (!SlotShown(settings, table, k)) continue;
    const Slot& slot = settings.slots[static_cast<std::size_t>(k)];
    const AxisRange& axis =
        settings.axes[static_cast<std::size_t>(slot.axis == 0 ? l.leftAxis : l.rightAxis)];
    if (!(axis.visibleMaximum - axis.visibleMinimum > kSmallestRange)) continue;
    const int n = table[slot.series].sampleCount;
    int from = 0;
    int to = n;
    if (table.graphType == series::kFrequencyGraph) {
      // Magnitude in the upper pane, phase in the lower one.
      if (paneIndex == 0)
        to = n / 2;
      else
        from = n / 2;
    }
    const int thickness = std::clamp(slot.thickness, 0, 3);
    const TraceStyle trace{platform::SlotColor(slot.color), thickness, slot.marker,
                           style.size / 2 + std::max(thickness, 1)};
    TraceRenderer renderer(canvas, p, trace);
    const AxisMapping mapX = HorizontalMapping(p, bottom.visibleMinimum, bottom.visibleMaximum);
    const AxisMapping mapY = VerticalMapping(p, axis.visibleMinimum, axis.visibleMaximum);
    if (slot.secondSeries == 0 && (table.graphType == 0 || table.graphType == 1)) {
      // The common case in one pass straight from the values: x is i times the period (time)
      // or i (point number), exactly as XValues gives it.
      const series::DataSeries& s = table[slot.series];
      const double step = table.graphType == 0 ? s.rawDataPeriod : 1.0;
      const double* values = s.values.data();
      const auto xAt = [&](int i) { return mapX(i * step); };
      if (step > 0.0 && !mapX.flat && mapX.scale > 0.0) {
        // x grows with the index: a pixel column at a time.
        renderer.AddColumns(from, to, xAt, values, mapY);
      } else {
        renderer.AddPoints(static_cast<std::size_t>(to - from), [&](std::size_t k) {
          const int i = from + static_cast<int>(k);
          return MappedPoint{xAt(i), mapY(values[i])};
        });
      }
      continue;
    }
    ForEachBatch(from, to, [&](int first, int count) {
      const std::span<double> xs(xBatch.data(), static_cast<std::size_t>(count));
      const std::span<double> ys(yBatch.data(), static_cast<std::size_t>(count));
      XValues(settings, table, k, first, xs);
      YValues(settings, table, k, first, ys);
      renderer.AddPoints(xs.size(), [&](std::size_t j) {
        return MappedPoint{mapX(xs[j]), mapY(ys[j])};
      });
    });
  }
  canvas.ClearClip();
}

}  // namespace

PaneLayout LayOutPane(const GraphSettings& settings, const series::SeriesTable& table,
                      const platform::Rect& pane, int paneIndex, const PaneStyle& style) {
  PaneLayout l;
  l.leftAxis = paneIndex == 0 ? kLeft : kLeft2;
  l.rightAxis = paneIndex == 0 ? kRight : kRight2;
  for (int k = 0; k < kSlotCount; ++k) {
    if (!SlotShown(settings, table, k)) continue;
    if (settings.slots[static_cast<std::size_t>(k)].axis == 0)
      l.leftUsed = true;
    else
      l.rightUsed = true;
  }
  l.bottom = AxisTicksOf(settings.bottom, pane.Width(), false);
  if (l.leftUsed)
    l.left = AxisTicksOf(settings.axes[static_cast<std::size_t>(l.leftAxis)], pane.Height(), true);
  if (l.rightUsed)
    l.right =
        AxisTicksOf(settings.axes[static_cast<std::size_t>(l.rightAxis)], pane.Height(), true);

  // Label widths of absurd windows could overflow the arithmetic; such a plot is empty anyway.
  const long long side = 2LL * style.margin;
  const long long leftWidth =
      l.leftUsed ? std::min(l.left.labelChars, 100000) * 1LL * style.size + side : 0;
  const long long rightWidth =
      l.rightUsed ? std::min(l.right.labelChars, 100000) * 1LL * style.size + side : 0;
  const long long left = pane.left + leftWidth;
  const long long right = pane.right - rightWidth;
  const long long top = pane.top + static_cast<long long>(style.margin);
  const long long bottom = pane.bottom - side;
  if (right > left && bottom > top) {
    l.plot = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
              static_cast<int>(bottom)};
    l.axes = true;
  } else {
    l.plot = {pane.left, pane.top, pane.right, pane.bottom};
  }
  return l;
}

PlotRect DrawPane(platform::Canvas& canvas, const GraphSettings& settings,
                  const series::SeriesTable& table, const platform::Rect& pane, int paneIndex,
                  const PaneStyle& style) {
  const PaneLayout l = LayOutPane(settings, table, pane, paneIndex, style);
  const PlotRect& p = l.plot;
  canvas.FillRect(pane, platform::kWhite);
  canvas.SetPen(platform::PaletteColor(0), 3);
  canvas.SetBrush(platform::PaletteColor(style.plotBackground));
  // The frame's middle runs along the plot's edges, where points are still drawn.
  canvas.DrawRectangle({p.left, p.top, p.right + 1, p.bottom + 1});

  if (l.axes) {
    canvas.SetTextColor(platform::kBlack);
    canvas.SetTextBackground(platform::kWhite, false);
    SelectFont(canvas, style.text);
    const int textHeight = canvas.TextHeight();
    DrawBottomAxis(canvas, settings, l, textHeight);
    if (l.leftUsed)
      DrawVerticalAxis(canvas, l, pane, settings.axes[static_cast<std::size_t>(l.leftAxis)], l.left,
                       true, textHeight);
    if (l.rightUsed)
      DrawVerticalAxis(canvas, l, pane, settings.axes[static_cast<std::size_t>(l.rightAxis)],
                       l.right, false, textHeight);
    DrawTitles(canvas, settings, pane, paneIndex, l, style,
               p.bottom + kTickLength + 1 + textHeight);
  }
  DrawSeries(canvas, settings, table, paneIndex, l, style);
  return p;
}

}  // namespace bl::graph
