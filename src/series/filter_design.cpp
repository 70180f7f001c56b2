#include "series/filter_design.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace bl::series {
namespace {

constexpr double kPi = std::numbers::pi;

// A frequency slider position as the product f·T: p thousandths of the Nyquist 0.5 / T.
double FrequencyTimesPeriod(int position) { return position * 0.001 * 0.5; }

// A slider position from its exact value: truncated, or rounded half up; values outside the
// slider's range (from roots the kinds cannot produce) and undefined ones land on its ends.
int ToPosition(double exact, bool round) {
  if (std::isnan(exact)) return 0;
  if (round) exact += 0.5;
  return static_cast<int>(std::clamp(exact, 0.0, static_cast<double>(kMaxSliderPosition)));
}

// Hertz from f·T; without a time base there are no hertz to show.
double Hertz(double frequencyTimesPeriod, double period) {
  return period == 0.0 ? 0.0 : frequencyTimesPeriod / period;
}

// f·T of a real root r of the section: r = e^(-2π·f·T).
double RootFrequencyTimesPeriod(double root) { return -std::log(root) / (2.0 * kPi); }

}  // namespace

FilterSection DesignFilterSection(FilterKind kind, double /*period*/, int position1,
                                  int position2) {
  // f·T = position / 2000 whatever T is, so the period cancels out of every kind; working in
  // f·T keeps a series without a time base (T = 0) from designing not-a-number coefficients.
  switch (kind) {
    case FilterKind::kFirstOrder: {
      const int p = std::clamp(position1, 0, kMaxSliderPosition);
      return {-std::exp(-2.0 * kPi * FrequencyTimesPeriod(p)), 0.0};
    }
    case FilterKind::kRealPair: {
      const int p1 = std::clamp(position1, 0, kMaxSliderPosition);
      const int p2 = std::clamp(position2, 0, kMaxSliderPosition);
      const double a = std::exp(-2.0 * kPi * FrequencyTimesPeriod(p1));
      const double b = std::exp(-2.0 * kPi * FrequencyTimesPeriod(p2));
      return {-(a + b), ((a + b) * (a + b) - (a - b) * (a - b)) / 4.0};
    }
    case FilterKind::kComplexPair: {
      const int p1 = std::clamp(position1, 1, kMaxSliderPosition - 1);
      const int p2 = std::clamp(position2, 1, kMaxSliderPosition - 1);
      const double omegaT = 2.0 * kPi * FrequencyTimesPeriod(p1);
      const double zeta = p2 * 0.001;
      const double r = std::exp(-zeta * omegaT);
      const double theta = omegaT * std::sqrt(1.0 - zeta * zeta);
      const double re = r * std::cos(theta);
      const double im = r * std::sin(theta);
      return {-2.0 * re, re * re + im * im};
    }
    case FilterKind::kOff:
    default:
      return {};
  }
}

FilterAnalysis AnalyzeFilterSection(double period, double c1, double c2) {
  FilterAnalysis result;
  if (c1 == 0.0 && c2 == 0.0) return result;

  if (c1 >= -1.0 && c1 < 0.0 && c2 == 0.0) {
    const double fT = RootFrequencyTimesPeriod(-c1);
    result.kind = FilterKind::kFirstOrder;
    result.value1 = Hertz(fT, period);
    result.position1 = ToPosition(fT * 2000.0, false);
    return result;
  }

  const double discriminant = c1 * c1 - 4.0 * c2;
  if (discriminant >= 0.0) {
    const double s = std::sqrt(discriminant);
    const double f1T = RootFrequencyTimesPeriod((s - c1) / 2.0);
    const double f2T = RootFrequencyTimesPeriod((-c1 - s) / 2.0);
    result.kind = FilterKind::kRealPair;
    result.value1 = Hertz(f1T, period);
    result.value2 = Hertz(f2T, period);
    result.position1 = ToPosition(f1T * 2000.0, true);
    result.position2 = ToPosition(f2T * 2000.0, true);
    return result;
  }

  const double re = -c1 / 2.0;
  const double im = std::sqrt(-discriminant) / 2.0;
  const double theta = std::atan2(im, re);  // in (0, π]: im is positive
  const double r = std::sqrt(re * re + im * im);
  const double q = -std::log(r) / theta;
  const double zeta = std::abs(q) / std::hypot(q, 1.0);  // √(q²/(q² + 1)) without overflow
  const double fnT = theta / (2.0 * kPi) / std::sqrt(1.0 - zeta * zeta);
  result.kind = FilterKind::kComplexPair;
  result.value1 = Hertz(fnT, period);
  result.value2 = zeta;
  result.position1 = ToPosition(fnT * 2000.0, true);
  result.position2 = ToPosition(zeta * 1000.0, true);
  return result;
}

}  // namespace bl::series
