#include "series/frequency_estimate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

namespace bl::series {
namespace {

constexpr double kPeriod = 0.000442;

std::vector<double> WhiteNoise(std::size_t n, unsigned seed, double sigma = 100.0) {
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0.0, sigma);
  std::vector<double> x(n);
  for (double& v : x) v = noise(random);
  return x;
}

// y = (b0 + b1 z⁻¹ + b2 z⁻²) / (1 + a1 z⁻¹ + a2 z⁻²) x, from rest.
struct Biquad {
  double b0, b1, b2, a1, a2;
  std::vector<double> Run(const std::vector<double>& x) const {
    std::vector<double> y(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
      const auto at = [&](const std::vector<double>& v, std::size_t back) {
        return i >= back ? v[i - back] : 0.0;
      };
      y[i] = b0 * x[i] + b1 * at(x, 1) + b2 * at(x, 2) - a1 * at(y, 1) - a2 * at(y, 2);
    }
    return y;
  }
  std::complex<double> At(double hz) const {
    const std::complex<double> q = std::polar(1.0, -2 * std::numbers::pi * hz * kPeriod);
    return (b0 + b1 * q + b2 * q * q) / (1.0 + a1 * q + a2 * q * q);
  }
};

double Degrees(std::complex<double> h) { return std::arg(h) * 180 / std::numbers::pi; }
double WrappedDifference(double a, double b) { return std::remainder(a - b, 360.0); }

TEST(FrequencyEstimate, SecondOrderSectionMatchesItsAnalyticResponse) {
  // Resonant poles at radius 0.8 and a numerator with a zero inside the band.
  const Biquad filter{0.2, 0.3, 0.1, -2 * 0.8 * std::cos(0.3), 0.64};
  const std::vector<double> x = WhiteNoise(1 << 16, 1);
  std::string error;
  const auto e =
      EstimateFrequencyResponse(x, filter.Run(x), kPeriod, {.segmentLength = 1024}, error);
  ASSERT_TRUE(e) << error;
  EXPECT_EQ(e->segmentLength, 1024);
  EXPECT_EQ(e->segmentCount, 127);
  ASSERT_EQ(e->bode.frequency.size(), 512u);
  EXPECT_NEAR(e->bode.frequency.back(), 0.5 / kPeriod, 1e-9);
  int compared = 0;
  for (std::size_t k = 0; k < e->bode.frequency.size(); ++k) {
    if (e->bode.coherence[k] < 0.99) continue;
    ++compared;
    const std::complex<double> h = filter.At(e->bode.frequency[k]);
    EXPECT_NEAR(e->bode.magnitudeDb[k], 20 * std::log10(std::abs(h)), 0.1) << k;
    EXPECT_NEAR(WrappedDifference(e->bode.phaseDeg[k], Degrees(h)), 0.0, 1.0) << k;
  }
  EXPECT_GT(compared, 500);  // noise-free and linear: nearly every bin is coherent
}

TEST(FrequencyEstimate, AWholeRunFromRestToRestIsExactAndItsCoherenceSeesNoise) {
  // A burst of noise between stretches of rest, through the resonant section: one transform of
  // the whole run gives the section's response in every bin, with no window to smear it.
  const Biquad filter{0.2, 0.3, 0.1, -2 * 0.8 * std::cos(0.3), 0.64};
  std::vector<double> x(3000, 0.0);
  const std::vector<double> burst = WhiteNoise(2000, 3);
  std::copy(burst.begin(), burst.end(), x.begin() + 200);
  std::vector<double> y = filter.Run(x);
  for (double& v : x) v += 7.0;  // an offset in both: the rest is taken off
  std::string error;
  const auto e = EstimateFrequencyResponse(x, y, kPeriod, {.wholeRun = true}, error);
  ASSERT_TRUE(e) << error;
  EXPECT_EQ(e->segmentLength, 4096);
  EXPECT_EQ(e->segmentCount, 1);
  double worst = 0.0;
  for (std::size_t k = 0; k < e->bode.frequency.size(); ++k) {
    const std::complex<double> h = filter.At(e->bode.frequency[k]);
    worst = std::max(worst, std::abs(e->bode.response[k] - h) / std::max(std::abs(h), 0.05));
    // Averaged over 9 bins, the coherence sees the response change a little from bin to bin,
    // most near the section's zero at the Nyquist frequency.
    if (std::abs(h) > 0.05) {
      EXPECT_GT(e->bode.coherence[k], 0.99) << k;
    }
  }
  EXPECT_LT(worst, 1e-6);

  // Output noise lowers the coherence where the input is weak.
  const std::vector<double> noise = WhiteNoise(y.size(), 4, 20.0);
  for (std::size_t k = 0; k < y.size(); ++k) y[k] += noise[k];
  const auto noisy = EstimateFrequencyResponse(x, y, kPeriod, {.wholeRun = true}, error);
  ASSERT_TRUE(noisy) << error;
  double lowest = 1.0;
  for (double c : noisy->bode.coherence) lowest = std::min(lowest, c);
  EXPECT_LT(lowest, 0.9);

  EXPECT_FALSE(EstimateFrequencyResponse(x, y, kPeriod, {.wholeRun = true, .smoothingBins = 0},
                                         error));
  EXPECT_FALSE(EstimateFrequencyResponse(std::vector<double>(40, 1.0), std::vector<double>(40, 1.0),
                                         kPeriod, {.wholeRun = true}, error));
  EXPECT_NE(error.find("too short"), std::string::npos) << error;
}

TEST(FrequencyEstimate, PureDelayGivesAnUnwrappedLinearPhase) {
  const std::size_t delay = 3;
  const std::vector<double> x = WhiteNoise(1 << 16, 2);
  std::vector<double> y(x.size(), 0.0);
  for (std::size_t i = delay; i < x.size(); ++i) y[i] = x[i - delay];
  std::string error;
  const auto e = EstimateFrequencyResponse(x, y, kPeriod, {.segmentLength = 1024}, error);
  ASSERT_TRUE(e) << error;
  for (std::size_t k = 0; k < e->bode.frequency.size(); ++k) {
    EXPECT_GT(e->bode.coherence[k], 0.95) << k;
    EXPECT_NEAR(e->bode.magnitudeDb[k], 0.0, 0.1) << k;
    // A turn and a half by the Nyquist frequency, continuous, never wrapped back.
    const double exact = -360.0 * e->bode.frequency[k] * kPeriod * static_cast<double>(delay);
    EXPECT_NEAR(e->bode.phaseDeg[k], exact, 1.0) << k;
  }
}

TEST(FrequencyEstimate, CoherenceTellsALinearResponseFromNoise) {
  const std::vector<double> x = WhiteNoise(1 << 15, 3);
  const Biquad lowPass{0.25, 0.5, 0.25, -0.5, 0.1};
  // An offset and a slow drift on the output change nothing the segments' means do not take.
  std::vector<double> y = lowPass.Run(x);
  for (double& v : y) v += 5000.0;
  std::string error;
  const auto linear = EstimateFrequencyResponse(x, y, kPeriod, {.segmentCount = 16}, error);
  ASSERT_TRUE(linear) << error;
  double low = 1.0;
  for (std::size_t k = 0; k + 8 < linear->bode.coherence.size(); ++k)
    low = std::min(low, linear->bode.coherence[k]);
  EXPECT_GT(low, 0.98);

  const auto noise =
      EstimateFrequencyResponse(x, WhiteNoise(x.size(), 4), kPeriod, {.segmentCount = 16}, error);
  ASSERT_TRUE(noise) << error;
  EXPECT_GE(noise->segmentCount, 16);
  double sum = 0.0;
  for (double c : noise->bode.coherence) {
    EXPECT_GE(c, 0.0);
    EXPECT_LE(c, 1.0);
    sum += c;
  }
  // About one over the number of segments averaged.
  EXPECT_LT(sum / static_cast<double>(noise->bode.coherence.size()), 0.15);
}

TEST(FrequencyEstimate, BinsWithoutInputPowerHaveZeroCoherenceAndNoNaN) {
  // A sine on bin 64 exactly: the Hann window keeps its power in bins 63..65.
  const long long length = 1024;
  std::vector<double> x(8 * length), y(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double phase = 2 * std::numbers::pi * 64 * static_cast<double>(i) / length;
    x[i] = 1000 * std::sin(phase);
    y[i] = 500 * std::sin(phase - 0.5);
  }
  std::string error;
  const auto e = EstimateFrequencyResponse(x, y, kPeriod, {.segmentLength = length}, error);
  ASSERT_TRUE(e) << error;
  const BodeResponse& b = e->bode;
  EXPECT_NEAR(b.magnitudeDb[63], 20 * std::log10(0.5), 1e-6);
  EXPECT_NEAR(b.phaseDeg[63], -0.5 * 180 / std::numbers::pi, 1e-6);
  EXPECT_NEAR(b.coherence[63], 1.0, 1e-9);
  EXPECT_EQ(b.inputPowerDb[63], 0.0);
  for (std::size_t k = 0; k < b.frequency.size(); ++k) {
    EXPECT_TRUE(std::isfinite(b.magnitudeDb[k]) && std::isfinite(b.phaseDeg[k]) &&
                std::isfinite(b.coherence[k]))
        << k;
    if (k < 60 || k > 66) {
      EXPECT_EQ(b.coherence[k], 0.0) << k;
      EXPECT_EQ(b.magnitudeDb[k], kMagnitudeFloorDb) << k;
      EXPECT_EQ(b.inputPowerDb[k], kMagnitudeFloorDb) << k;
    }
  }
}

TEST(FrequencyEstimate, RefusesRunsItCannotEstimate) {
  const std::vector<double> x = WhiteNoise(4096, 5);
  std::string error;
  const auto refused = [&](std::span<const double> in, std::span<const double> out, double period,
                           EstimateOptions options) {
    error.clear();
    const bool none = !EstimateFrequencyResponse(in, out, period, options, error);
    return none && !error.empty();
  };
  EXPECT_TRUE(refused(x, std::span(x).first(4000), kPeriod, {}));
  EXPECT_TRUE(refused(std::span(x).first(20), std::span(x).first(20), kPeriod, {}));
  EXPECT_TRUE(refused(x, x, 0.0, {}));
  EXPECT_TRUE(refused(x, x, std::numeric_limits<double>::quiet_NaN(), {}));
  EXPECT_TRUE(refused(x, x, kPeriod, {.segmentLength = 1000}));  // not a power of two
  EXPECT_TRUE(refused(x, x, kPeriod, {.segmentLength = 4096}));  // one segment only
  EXPECT_TRUE(refused(x, x, kPeriod, {.segmentLength = 1LL << 40}));
  EXPECT_TRUE(refused(x, x, kPeriod, {.segmentCount = 1}));
  EXPECT_TRUE(refused(x, x, kPeriod, {.segmentCount = -7}));
  std::vector<double> bad = x;
  bad[1234] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(refused(x, bad, kPeriod, {}));
  EXPECT_NE(error.find("1234"), std::string::npos);
  bad[1234] = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(refused(bad, x, kPeriod, {}));
  bad[1234] = 1e200;  // its square, summed, would overflow
  EXPECT_TRUE(refused(x, bad, kPeriod, {}));
  EXPECT_TRUE(refused(x, x, 1e-320, {}));  // every frequency beyond a double
  const std::vector<double> still(4096, 0.1);
  EXPECT_TRUE(refused(still, x, kPeriod, {}));
  // A still input with a still output gives the same refusal, not a curve of NaN.
  EXPECT_TRUE(refused(still, still, kPeriod, {}));
}

TEST(BodeFromResponse, NoiseInTheMiddleDoesNotShiftTheRestByTurns) {
  // A delay of five samples over 200 bins, with a stretch of random phases and low coherence.
  BodeResponse b;
  std::mt19937 random(6);
  std::uniform_real_distribution<double> angle(-std::numbers::pi, std::numbers::pi);
  for (int k = 1; k <= 200; ++k) {
    const double w = std::numbers::pi * k / 200.0;
    b.frequency.push_back(k);
    const bool noisy = k >= 80 && k < 90;
    b.response.push_back(std::polar(noisy ? 0.01 : 1.0, noisy ? angle(random) : -5 * w));
    b.coherence.push_back(noisy ? 0.05 : 1.0);
  }
  SetBodeFromResponse(b);
  for (int k = 1; k <= 200; ++k) {
    if (k >= 80 && k < 90) continue;
    EXPECT_NEAR(b.phaseDeg[k - 1], -5 * 180.0 * k / 200.0, 1e-9) << k;
  }
}

}  // namespace
}  // namespace bl::series
