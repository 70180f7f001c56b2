#include "series/loop_margins.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "platform/text_format.h"

namespace bl::series {

namespace {

using platform::Format;

// "-3 dB" is the half-power point, 1/sqrt(2) in magnitude.
const double kHalfPowerDb = 20.0 * std::log10(std::sqrt(0.5));

// The bins of a response that may make a crossing.
std::vector<std::size_t> KeptBins(const BodeResponse& r, double minCoherence) {
  std::vector<std::size_t> kept;
  const std::size_t n = std::min({r.frequency.size(), r.magnitudeDb.size(), r.phaseDeg.size()});
  for (std::size_t k = 0; k < n; ++k) {
    const double coherence = k < r.coherence.size() ? r.coherence[k] : 1.0;
    if (k < r.inputPowerDb.size() && !(r.inputPowerDb[k] >= kMarginInputPowerDb)) continue;
    if (r.frequency[k] > 0.0 && std::isfinite(r.frequency[k]) && coherence >= minCoherence &&
        r.magnitudeDb[k] > kMagnitudeFloorDb && std::isfinite(r.magnitudeDb[k]) &&
        std::isfinite(r.phaseDeg[k])) {
      kept.push_back(k);
    }
  }
  return kept;
}

// A crossing between bins i and j at fraction t of the way: its frequency (interpolated over
// the logarithm) and the value of another curve there.
double FrequencyAt(const BodeResponse& r, std::size_t i, std::size_t j, double t) {
  return std::exp(std::log(r.frequency[i]) +
                  t * (std::log(r.frequency[j]) - std::log(r.frequency[i])));
}
double ValueAt(const std::vector<double>& v, std::size_t i, std::size_t j, double t) {
  return v[i] + t * (v[j] - v[i]);
}

double PrincipalDegrees(double degrees) {
  double p = std::remainder(degrees, 360.0);
  if (p <= -180.0) p += 360.0;
  return p;
}

// Fraction of the way from a to b at which level is reached; a == b gives 0.
double Fraction(double a, double b, double level) { return a == b ? 0.0 : (level - a) / (b - a); }

}  // namespace

LoopMargins MeasureLoopMargins(const BodeResponse& openLoop, const BodeResponse& closedLoop,
                               double minCoherence) {
  LoopMargins margins;
  const std::vector<std::size_t> open = KeptBins(openLoop, minCoherence);
  for (std::size_t p = 0; p + 1 < open.size(); ++p) {
    const std::size_t i = open[p], j = open[p + 1];
    const double a = openLoop.magnitudeDb[i], b = openLoop.magnitudeDb[j];
    if ((a >= 0.0) == (b >= 0.0)) continue;
    const double t = Fraction(a, b, 0.0);
    const double pm = PrincipalDegrees(ValueAt(openLoop.phaseDeg, i, j, t) + 180.0);
    if (!margins.phaseMarginDeg || pm < *margins.phaseMarginDeg) {
      margins.phaseMarginDeg = pm;
      margins.crossoverHz = FrequencyAt(openLoop, i, j, t);
    }
  }

  const double from = margins.crossoverHz.value_or(0.0);
  for (std::size_t p = 0; p + 1 < open.size(); ++p) {
    const std::size_t i = open[p], j = open[p + 1];
    if (openLoop.frequency[j] < from) continue;
    // A level -180° + 360°·m reached from a (a level the phase only leaves was counted with
    // the pair before); landing on it counts, as the Nyquist bin of a real negative response
    // does.
    const double a = openLoop.phaseDeg[i], b = openLoop.phaseDeg[j];
    double level = -180.0 + 360.0 * std::ceil((std::min(a, b) + 180.0) / 360.0);
    if (level == a) level += a < b ? 360.0 : 0.0;
    if (level == a || level > std::max(a, b)) continue;
    const double t = Fraction(a, b, level);
    const double f = FrequencyAt(openLoop, i, j, t);
    if (f < from) continue;
    margins.phaseCrossoverHz = f;
    margins.gainMarginDb = -ValueAt(openLoop.magnitudeDb, i, j, t);
    break;
  }

  const std::vector<std::size_t> closed = KeptBins(closedLoop, minCoherence);
  for (std::size_t p = 0; p + 1 < closed.size(); ++p) {
    const std::size_t i = closed[p], j = closed[p + 1];
    const double a = closedLoop.magnitudeDb[i], b = closedLoop.magnitudeDb[j];
    if (a >= kHalfPowerDb && b < kHalfPowerDb) {
      margins.bandwidthHz = FrequencyAt(closedLoop, i, j, Fraction(a, b, kHalfPowerDb));
      break;
    }
  }
  return margins;
}

std::vector<std::pair<std::string, std::string>> LoopMarginRows(const LoopMargins& margins) {
  const auto show = [](const std::optional<double>& v, const char* format) {
    return v ? Format(format, *v) : std::string("none");
  };
  return {
      {"Crossover frequency", show(margins.crossoverHz, "%.4g Hz")},
      {"Phase margin", show(margins.phaseMarginDeg, "%.1f deg")},
      {"Phase crossover frequency", show(margins.phaseCrossoverHz, "%.4g Hz")},
      {"Gain margin", show(margins.gainMarginDb, "%.1f dB")},
      {"Closed-loop bandwidth (-3 dB)", show(margins.bandwidthHz, "%.4g Hz")},
  };
}

}  // namespace bl::series
