#include "series/step_metrics.h"

#include <algorithm>
#include <cmath>

#include "platform/text_format.h"

namespace bl::series {

namespace {

using platform::Format;

// The actual position as a fraction of the step, computed where it is read rather than stored: a
// million-sample run then needs no second array.
struct Response {
  std::span<const double> actual;
  double start = 0.0, size = 1.0;
  double operator[](std::size_t i) const { return (actual[i] - start) / size; }
  std::size_t Count() const { return actual.size(); }
};

// The time at which the response, rising through level between samples i − 1 and i, reached it.
double Crossing(const Response& y, std::size_t i, double level, double period) {
  if (i == 0 || y[i] == y[i - 1]) return static_cast<double>(i) * period;
  const double fraction = std::clamp((level - y[i - 1]) / (y[i] - y[i - 1]), 0.0, 1.0);
  return (static_cast<double>(i - 1) + fraction) * period;
}

// The first sample from `from` on at which the response is at least level.
std::size_t FirstAtLeast(const Response& y, std::size_t from, double level) {
  std::size_t i = from;
  while (i < y.Count() && y[i] < level) ++i;
  return i;
}

std::string Seconds(double s) {
  return std::abs(s) < 1.0 ? Format("%.2f ms", s * 1000.0) : Format("%.4f s", s);
}

}  // namespace

std::optional<StepMetrics> MeasureStep(std::span<const double> commanded,
                                       std::span<const double> actual, double period,
                                       std::string& error) {
  std::size_t n = commanded.size();
  if (actual.size() != n) {
    error = Format("The commanded and actual series differ in length (%zu and %zu samples).", n,
                   actual.size());
    return std::nullopt;
  }
  if (n < 3) {
    error = Format("The run is too short to measure: %zu samples.", n);
    return std::nullopt;
  }
  if (!(period > 0.0) || !std::isfinite(period)) {
    error = "The sample period is not a positive number.";
    return std::nullopt;
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(commanded[i]) || !std::isfinite(actual[i])) {
      error = Format("Sample %zu is not a number.", i);
      return std::nullopt;
    }
  }
  // The move measured is the commanded position's first change up to where it comes to rest
  // (at once for a step, at the end of the ramp for a trapezoid); the run is cut where the
  // commanded position leaves that rest again (a test move that returns to its start).
  const double start = commanded.front();
  double scale = 0.0;
  for (double c : commanded) scale = std::max(scale, std::abs(c - start));
  const double still = 1e-9 * std::max(scale, 1e-300);
  const auto k0 = static_cast<std::size_t>(
      std::find_if(commanded.begin(), commanded.end(),
                   [&](double c) { return std::abs(c - start) > still; }) -
      commanded.begin());
  std::size_t rest = n;
  for (std::size_t k = k0; k + 1 < n; ++k) {
    if (std::abs(commanded[k + 1] - commanded[k]) <= still) {
      rest = k;
      break;
    }
  }
  if (rest == n && k0 < n) rest = n - 1;
  const double size = rest < n ? commanded[rest] - start : 0.0;
  // A move smaller than the numbers' own rounding is no move.
  if (std::abs(size) <= 1e-12 * std::max(1.0, std::abs(start))) {
    error = "The commanded position does not move: there is no step to measure.";
    return std::nullopt;
  }
  std::size_t end = rest + 1;
  while (end < n && std::abs(commanded[end] - commanded[rest]) <= still) ++end;
  if (end < 3) {
    error = Format("The run is too short to measure: %zu samples.", end);
    return std::nullopt;
  }
  commanded = commanded.first(end);
  actual = actual.first(end);
  n = end;

  StepMetrics m;
  m.stepSize = size;
  m.stepTime = static_cast<double>(k0) * period;

  // The response as a fraction of the step, and the following error, in one pass.
  const Response y{actual, start, size};
  double peak = 0.0, squares = 0.0, highest = -HUGE_VAL;
  for (std::size_t i = 0; i < n; ++i) {
    const double e = commanded[i] - actual[i];
    peak = std::max(peak, std::abs(e));
    squares += e * e;
    if (i >= k0) highest = std::max(highest, y[i]);
  }
  m.peakFollowingError = peak;
  m.rmsFollowingError = std::sqrt(squares / static_cast<double>(n));
  m.overshoot = std::max(0.0, (highest - 1.0) * 100.0);

  const std::size_t low = FirstAtLeast(y, std::max<std::size_t>(k0, 1), kRiseLow);
  const std::size_t high = low < n ? FirstAtLeast(y, low, kRiseHigh) : n;
  if (high < n) {
    m.riseTime = Crossing(y, high, kRiseHigh, period) - Crossing(y, low, kRiseLow, period);
  } else {
    m.notes.push_back("The response does not reach 90 % of the step within the run.");
  }

  // Settled from the sample after the last one outside the band, if that is inside the run.
  std::size_t last = n;
  for (std::size_t i = n; i-- > 0;) {
    if (std::abs(y[i] - 1.0) > kSettlingBand) {
      last = i;
      break;
    }
  }
  if (last == n - 1) {
    m.notes.push_back("The response does not settle within ±2 % of the step by the end of the run.");
  } else {
    double settled = 0.0;
    if (last < n) {
      const double outside = std::abs(y[last] - 1.0), inside = std::abs(y[last + 1] - 1.0);
      const double fraction = (outside - kSettlingBand) / (outside - inside);
      settled = (static_cast<double>(last) + std::clamp(fraction, 0.0, 1.0)) * period;
    }
    m.settlingTime = std::max(0.0, settled - m.stepTime);
    const std::size_t tail = std::max<std::size_t>(n / 10, 1);
    const std::size_t from = std::max(n - tail, last < n ? last + 1 : 0);
    double sum = 0.0;
    for (std::size_t i = from; i < n; ++i) sum += commanded[i] - actual[i];
    m.steadyStateError = sum / static_cast<double>(n - from);
  }
  return m;
}

std::vector<std::pair<std::string, std::string>> StepMetricRows(const StepMetrics& m) {
  const auto or_dashes = [](const std::optional<double>& v, auto text) {
    return v ? text(*v) : std::string("---");
  };
  return {
      {"Step size", Format("%.6g", m.stepSize)},
      {"Rise time (10-90 %)", or_dashes(m.riseTime, Seconds)},
      {"Overshoot", or_dashes(m.overshoot, [](double v) { return Format("%.1f %%", v); })},
      {"Settling time (2 %)", or_dashes(m.settlingTime, Seconds)},
      {"Peak following error", Format("%.6g", m.peakFollowingError)},
      {"RMS following error", Format("%.6g", m.rmsFollowingError)},
      {"Steady-state error",
       or_dashes(m.steadyStateError, [](double v) { return Format("%.6g", v); })},
  };
}

}  // namespace bl::series
