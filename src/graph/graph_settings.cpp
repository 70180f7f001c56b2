#include "graph/graph_settings.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/text_format.h"
#include "series/series_table.h"

namespace bl::graph {

namespace {

constexpr double kEpsilon = 1e-10;
constexpr double kScrollRange = 10000.0;
// Values beyond this take part in the limits at this size, so that widening a range by its
// margin and dividing by its width stay finite.
constexpr double kLargestLimit = 1e300;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr int kXyGraph = 3;

// The series behind a slot's number, or nothing for a number the table does not show.
const series::DataSeries* SeriesAt(const series::SeriesTable& table, int k) {
  const int count = std::clamp(table.seriesCount, 0, series::kMaxSeriesCount);
  if (k < 1 || k > count) return nullptr;
  const series::DataSeries& s = table[k];
  // The arrays always match the count; a series that broke that is better not drawn.
  if (s.sampleCount <= 0 || s.values.size() < static_cast<std::size_t>(s.sampleCount))
    return nullptr;
  return &s;
}

bool ValidSlot(int slot) { return slot >= 0 && slot < kSlotCount; }

// Collects the extremes of finite values.
struct Extremes {
  double maximum = -std::numeric_limits<double>::infinity();
  double minimum = std::numeric_limits<double>::infinity();
  bool any = false;

  void Add(double v) {
    if (!std::isfinite(v)) return;
    v = std::clamp(v, -kLargestLimit, kLargestLimit);
    maximum = std::max(maximum, v);
    minimum = std::min(minimum, v);
    any = true;
  }
  // The range found, or 0..1 when nothing was; optionally widened by 2.5 % on each side.
  void Store(AxisRange& axis, bool widen) const {
    axis.maximum = any ? maximum : 1.0;
    axis.minimum = any ? minimum : 0.0;
    if (widen) {
      const double margin = std::max(axis.maximum - axis.minimum, 0.001) * 0.025;
      axis.maximum += margin;
      axis.minimum -= margin;
    }
    axis.visibleMaximum = axis.maximum;
    axis.visibleMinimum = axis.minimum;
  }
};

// A fraction of the scroll range, truncated and kept on the bar.
int BarUnits(double fraction) {
  const double units = fraction * kScrollRange;
  if (!std::isfinite(units)) return 0;
  return static_cast<int>(std::clamp(std::trunc(units), 0.0, kScrollRange));
}

void ClampAxis(AxisRange& a) {
  // Written with negated comparisons so that a window that is not a number lands inside too.
  if (a.visibleMaximum > a.maximum) a.visibleMaximum = a.maximum;
  if (!(a.visibleMaximum > a.minimum)) a.visibleMaximum = a.minimum + kEpsilon;
  if (a.visibleMinimum < a.minimum) a.visibleMinimum = a.minimum;
  if (!(a.visibleMinimum < a.maximum)) a.visibleMinimum = a.maximum - kEpsilon;
}

ScrollBar HorizontalBar(const AxisRange& a) {
  const double full = a.maximum - a.minimum;
  if (!(full > 0.0)) return {};
  return {BarUnits((a.visibleMaximum - a.visibleMinimum) / full),
          BarUnits((a.visibleMinimum - a.minimum) / full)};
}

ScrollBar VerticalBar(const AxisRange& a) {
  const double full = a.maximum - a.minimum;
  if (!(full > 0.0)) return {};
  return {BarUnits((a.visibleMaximum - a.visibleMinimum) / full),
          BarUnits((a.maximum - a.visibleMaximum) / full)};
}

// The right axis shows the same part of its range as the left one.
void FollowLeft(const AxisRange& left, AxisRange& right) {
  const double leftFull = left.maximum - left.minimum;
  const double rightFull = right.maximum - right.minimum;
  if (!(leftFull != 0.0) || !std::isfinite(leftFull)) {
    right.visibleMaximum = right.maximum;
    right.visibleMinimum = right.minimum;
    return;
  }
  right.visibleMaximum =
      right.minimum + (left.visibleMaximum - left.minimum) / leftFull * rightFull;
  right.visibleMinimum =
      right.minimum + (left.visibleMinimum - left.minimum) / leftFull * rightFull;
}

}  // namespace

GraphSettings::GraphSettings() {
  constexpr int kColors[kSlotCount] = {1, 3, 5, 9};
  for (int i = 0; i < kSlotCount; ++i) slots[static_cast<std::size_t>(i)].color = kColors[i];
  slots[0].series = 1;
}

bool SlotShown(const GraphSettings& settings, const series::SeriesTable& table, int slot) {
  if (!ValidSlot(slot)) return false;
  const Slot& s = settings.slots[static_cast<std::size_t>(slot)];
  if (s.marker == 0 && s.thickness == 0) return false;
  const series::DataSeries* first = SeriesAt(table, s.series);
  if (first == nullptr || first->rawDataPeriod == 0.0) return false;
  if (s.secondSeries == 0) return table.graphType != kXyGraph;
  const series::DataSeries* second = SeriesAt(table, s.secondSeries);
  return second != nullptr && second->rawDataPeriod == first->rawDataPeriod &&
         second->sampleCount == first->sampleCount;
}

namespace {

// The part first..first+size-1 of the points 0..n-1 that exists, as an offset into out and a
// count; the rest of out is not a number.
std::pair<std::size_t, std::size_t> ExistingPart(int first, std::span<double> out, long long n) {
  const long long begin = std::clamp<long long>(-static_cast<long long>(first), 0,
                                                static_cast<long long>(out.size()));
  const long long end = std::clamp<long long>(n - first, begin, static_cast<long long>(out.size()));
  std::fill(out.begin(), out.begin() + begin, kNaN);
  std::fill(out.begin() + end, out.end(), kNaN);
  return {static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)};
}

}  // namespace

void XValues(const GraphSettings& settings, const series::SeriesTable& table, int slot, int first,
             std::span<double> out) {
  const series::DataSeries* s =
      ValidSlot(slot) ? SeriesAt(table, settings.slots[static_cast<std::size_t>(slot)].series)
                      : nullptr;
  const int n = s == nullptr ? 0 : s->sampleCount;
  const auto [offset, count] = ExistingPart(first, out, n);
  if (count == 0) return;
  double* x = out.data() + offset;
  const int from = first + static_cast<int>(offset);
  const double period = s->rawDataPeriod;
  switch (table.graphType) {
    case 0:
      for (std::size_t k = 0; k < count; ++k) x[k] = (from + static_cast<int>(k)) * period;
      break;
    case 2:
      for (std::size_t k = 0; k < count; ++k) {
        // The phase half maps onto the same frequencies as the magnitude half.
        const int i = from + static_cast<int>(k);
        const int j = i >= n / 2 ? std::max(i - n / 2, 0) : i;
        x[k] = j / (n * period);
      }
      break;
    case kXyGraph:
      std::copy_n(s->values.begin() + from, count, x);
      break;
    default:
      for (std::size_t k = 0; k < count; ++k) x[k] = from + static_cast<int>(k);
      break;
  }
}

void YValues(const GraphSettings& settings, const series::SeriesTable& table, int slot, int first,
             std::span<double> out) {
  const Slot* sl = ValidSlot(slot) ? &settings.slots[static_cast<std::size_t>(slot)] : nullptr;
  const series::DataSeries* s = sl == nullptr ? nullptr : SeriesAt(table, sl->series);
  const series::DataSeries* second =
      s == nullptr || sl->secondSeries == 0 ? nullptr : SeriesAt(table, sl->secondSeries);
  // Without a second series the X-Y graph has no y; with one, the points both series have.
  int n = s == nullptr ? 0 : s->sampleCount;
  if (s != nullptr && sl->secondSeries != 0)
    n = second == nullptr ? 0 : std::min(n, second->sampleCount);
  if (s != nullptr && sl->secondSeries == 0 && table.graphType == kXyGraph) n = 0;
  const auto [offset, count] = ExistingPart(first, out, n);
  if (count == 0) return;
  double* y = out.data() + offset;
  const double* a = s->values.data() + first + static_cast<std::ptrdiff_t>(offset);
  if (second == nullptr) {
    std::copy_n(a, count, y);
    return;
  }
  const double* b = second->values.data() + first + static_cast<std::ptrdiff_t>(offset);
  const int operation = table.graphType == kXyGraph ? -1 : sl->operation;
  for (std::size_t k = 0; k < count; ++k) {
    switch (operation) {
      case -1:
        y[k] = b[k];
        break;
      case 1:
        y[k] = a[k] - b[k];
        break;
      case 2:
        y[k] = a[k] * b[k];
        break;
      case 3:
        y[k] = b[k] == 0.0 ? 0.0 : a[k] / b[k];
        break;
      default:
        y[k] = a[k] + b[k];
        break;
    }
  }
}

double XValue(const GraphSettings& settings, const series::SeriesTable& table, int slot, int i) {
  double x = 0.0;
  XValues(settings, table, slot, i, {&x, 1});
  return x;
}

double YValue(const GraphSettings& settings, const series::SeriesTable& table, int slot, int i) {
  double y = 0.0;
  YValues(settings, table, slot, i, {&y, 1});
  return y;
}

void FindLimits(GraphSettings& settings, const series::SeriesTable& table, GraphScrollBars& bars) {
  const bool frequency = table.graphType == series::kFrequencyGraph;
  Extremes bottom;
  // By VerticalAxis.
  std::array<Extremes, 4> vertical;
  for (int k = 0; k < kSlotCount; ++k) {
    if (!SlotShown(settings, table, k)) continue;
    const Slot& slot = settings.slots[static_cast<std::size_t>(k)];
    const int n = table[slot.series].sampleCount;
    std::array<double, kPointBatch> values;
    ForEachBatch(0, n, [&](int first, int count) {
      const std::span<double> batch(values.data(), static_cast<std::size_t>(count));
      XValues(settings, table, k, first, batch);
      for (double x : batch) bottom.Add(x);
    });
    if (slot.axis != 0 && slot.axis != 1) continue;
    for (int pane = 0; pane < 2; ++pane) {
      Extremes& extremes = vertical[static_cast<std::size_t>(
          slot.axis == 0 ? (pane == 0 ? kLeft : kLeft2) : (pane == 0 ? kRight : kRight2))];
      const int from = frequency && pane == 1 ? n / 2 : 0;
      const int to = frequency && pane == 0 ? n / 2 : n;
      ForEachBatch(from, to, [&](int first, int count) {
        const std::span<double> batch(values.data(), static_cast<std::size_t>(count));
        YValues(settings, table, k, first, batch);
        for (double y : batch) extremes.Add(y);
      });
    }
  }
  bottom.Store(settings.bottom, table.graphType == kXyGraph);
  for (std::size_t a = 0; a < vertical.size(); ++a) vertical[a].Store(settings.axes[a], true);
  ClampWindows(settings, bars);
}

void ClampWindows(GraphSettings& settings, GraphScrollBars& bars) {
  ClampAxis(settings.bottom);
  ClampAxis(settings.axes[kLeft]);
  ClampAxis(settings.axes[kLeft2]);
  bars.horizontal = HorizontalBar(settings.bottom);
  bars.vertical[0] = VerticalBar(settings.axes[kLeft]);
  bars.vertical[1] = VerticalBar(settings.axes[kLeft2]);
  FollowLeft(settings.axes[kLeft], settings.axes[kRight]);
  FollowLeft(settings.axes[kLeft2], settings.axes[kRight2]);
}

Ticks TickSpacing(double visibleMaximum, double visibleMinimum, double storedSpacing) {
  Ticks ticks;
  if (storedSpacing > 0.0 && std::isfinite(storedSpacing)) {
    ticks.spacing = storedSpacing;
  } else {
    double r = visibleMaximum - visibleMinimum;
    if (std::isinf(r) && r > 0) r = std::numeric_limits<double>::max();
    // A window with no width has no scale of its own: one unit will do.
    if (!(r > 0.0)) r = 1.0;
    double d = std::pow(10.0, std::trunc(std::log10(r)));
    if (r / d < 1) d *= 0.1;
    if (r / d < 2) d *= 0.2;
    if (r / d < 5) d *= 0.5;
    // Far below the smallest normal double the steps above reach zero.
    ticks.spacing = d > 0.0 ? d : std::numeric_limits<double>::min();
  }
  ticks.decimals = 10;
  for (int k = 0; k <= 10; ++k) {
    const double scaled = ticks.spacing * std::pow(10.0, k);
    if (std::fabs(scaled - std::trunc(scaled)) <= 1e-10) {
      ticks.decimals = k;
      break;
    }
  }
  ticks.exponent = ticks.spacing > 1e8 || ticks.spacing < 1e-8;
  return ticks;
}

std::vector<double> TickValues(double visibleMaximum, double visibleMinimum, double spacing) {
  std::vector<double> values;
  if (!(spacing > 0.0) || !std::isfinite(spacing)) return values;
  const double first = std::trunc(visibleMinimum / spacing);
  const double last = std::trunc(visibleMaximum / spacing);
  if (!std::isfinite(first) || !std::isfinite(last)) return values;
  // Stepping a double j by one stops counting beyond 2^53; the cap also keeps a tiny typed
  // spacing from asking for billions of ticks.
  double j = first;
  for (int step = 0; step < kMaxTicks + 2 && values.size() < kMaxTicks && j <= last && j + 1.0 != j;
       ++step, j += 1.0) {
    const double v = j * spacing;
    if (v >= visibleMinimum && v <= visibleMaximum) values.push_back(v);
  }
  return values;
}

std::string TickLabel(double value, const Ticks& ticks, bool verticalAxis) {
  if (verticalAxis && ticks.exponent) return platform::Format("%8E", value);
  return platform::Format("%.*lf", std::clamp(ticks.decimals, 0, 10), value);
}

std::string FormatValue(double x) {
  if (std::fabs(x) > 100000) return platform::Format("%.3le", x);
  if (x == std::trunc(x)) return platform::Format("%d", static_cast<int>(x));
  return platform::Format("%.3lf", x);
}

double UnmapX(const PlotRect& plot, double x, double visibleMinimum, double visibleMaximum) {
  if (plot.right == plot.left) return visibleMinimum;
  return visibleMinimum +
         (x - plot.left) / (plot.right - plot.left) * (visibleMaximum - visibleMinimum);
}

double UnmapY(const PlotRect& plot, double y, double visibleMinimum, double visibleMaximum) {
  if (plot.bottom == plot.top) return visibleMinimum;
  return visibleMinimum +
         (plot.bottom - y) / (plot.bottom - plot.top) * (visibleMaximum - visibleMinimum);
}

}  // namespace bl::graph
