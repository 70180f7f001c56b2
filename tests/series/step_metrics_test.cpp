#include "series/step_metrics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace bl::series {
namespace {

// The unit step response of a second-order system with natural frequency w (rad/s) and damping
// z < 1, t seconds after the step.
double SecondOrder(double w, double z, double t) {
  if (t < 0) return 0.0;
  const double wd = w * std::sqrt(1 - z * z);
  return 1 - std::exp(-z * w * t) * (std::cos(wd * t) + z / std::sqrt(1 - z * z) * std::sin(wd * t));
}

// The first time the analytic response reaches level, by bisection on its first rise.
double AnalyticCrossing(double w, double z, double level) {
  double lo = 0.0, hi = std::numbers::pi / (w * std::sqrt(1 - z * z));  // the first peak
  for (int i = 0; i < 200; ++i) {
    const double mid = (lo + hi) / 2;
    (SecondOrder(w, z, mid) < level ? lo : hi) = mid;
  }
  return lo;
}

struct MoveRun {
  std::vector<double> commanded, actual;
};

// A step of size at sample k0, answered by the second-order system, plus noise.
MoveRun StepRun(double size, std::size_t k0, std::size_t n, double period, double w, double z,
            double noise = 0.0) {
  MoveRun r;
  std::mt19937 random(3);
  std::normal_distribution<double> jitter(0.0, noise > 0 ? noise : 1.0);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = (static_cast<double>(i) - static_cast<double>(k0)) * period;
    r.commanded.push_back(i >= k0 ? 100.0 + size : 100.0);
    r.actual.push_back(100.0 + size * SecondOrder(w, z, t) + (noise > 0 ? jitter(random) : 0));
  }
  return r;
}

// Settling by its definition, the slow way: the first sample from which every later one stays
// in the band.
std::optional<std::size_t> PlainSettledSample(const MoveRun& r) {
  const double start = r.commanded.front(), size = r.commanded.back() - start;
  for (std::size_t i = 0; i < r.actual.size(); ++i) {
    bool inside = true;
    for (std::size_t j = i; j < r.actual.size() && inside; ++j)
      inside = std::abs((r.actual[j] - start) / size - 1) <= kSettlingBand;
    if (inside) return i;
  }
  return std::nullopt;
}

TEST(StepMetricsTest, SecondOrderStepsAgreeWithTheirClosedForms) {
  const double period = 0.000442;
  for (double z : {0.2, 0.45, 0.7}) {
    for (double size : {500.0, -2000.0}) {
      SCOPED_TRACE(testing::Message() << "damping " << z << " step " << size);
      const double w = 2 * std::numbers::pi * 20;
      const MoveRun r = StepRun(size, 50, 2000, period, w, z);
      std::string error;
      const auto m = MeasureStep(r.commanded, r.actual, period, error);
      ASSERT_TRUE(m) << error;
      EXPECT_DOUBLE_EQ(m->stepSize, size);
      EXPECT_NEAR(m->stepTime, 50 * period, 1e-12);
      const double rise = AnalyticCrossing(w, z, 0.9) - AnalyticCrossing(w, z, 0.1);
      EXPECT_NEAR(*m->riseTime, rise, 0.02 * rise);
      const double overshoot = 100 * std::exp(-z * std::numbers::pi / std::sqrt(1 - z * z));
      EXPECT_NEAR(*m->overshoot, overshoot, 0.05 * overshoot);
      const auto settled = PlainSettledSample(r);
      ASSERT_TRUE(settled);
      EXPECT_NEAR(*m->settlingTime, (static_cast<double>(*settled) - 50) * period, period);
      EXPECT_NEAR(*m->steadyStateError, 0.0, 1e-6 * std::abs(size));
      EXPECT_NEAR(m->peakFollowingError, std::abs(size), 1e-9);
      EXPECT_GT(m->rmsFollowingError, 0.0);
      EXPECT_LT(m->rmsFollowingError, m->peakFollowingError);
    }
  }
}

TEST(StepMetricsTest, NoisyRunsStillGiveTheMetricsTheSlowDefinitionGives) {
  const double period = 0.000442, w = 2 * std::numbers::pi * 15;
  const MoveRun r = StepRun(1000, 20, 3000, period, w, 0.5, 0.5);
  std::string error;
  const auto m = MeasureStep(r.commanded, r.actual, period, error);
  ASSERT_TRUE(m) << error;
  const auto settled = PlainSettledSample(r);
  ASSERT_TRUE(settled);
  EXPECT_NEAR(*m->settlingTime, (static_cast<double>(*settled) - 20) * period, period);
  EXPECT_NEAR(*m->steadyStateError, 0.0, 0.1) << "the noise averages out";
}

// A test move goes out and comes back: the move measured is the way out, its target where the
// commanded position rests (after the ramp of a trapezoid), and the run ends at the return.
TEST(StepMetricsTest, AMoveThatReturnsIsMeasuredOnItsWayOut) {
  const double period = 0.001;
  MoveRun r;
  for (int i = 0; i < 400; ++i) {
    double c = 0.0;
    if (i >= 10 && i < 50) c = 25.0 * (i - 9);  // the ramp, resting at 1000 from sample 49
    if (i >= 50 && i < 250) c = 1000.0;
    if (i >= 250) c = std::max(0.0, 1000.0 - 25.0 * (i - 249));
    r.commanded.push_back(c);
    r.actual.push_back(i >= 3 ? r.commanded[static_cast<std::size_t>(i - 3)] : 0.0);
  }
  std::string error;
  const auto m = MeasureStep(r.commanded, r.actual, period, error);
  ASSERT_TRUE(m) << error;
  EXPECT_DOUBLE_EQ(m->stepSize, 1000.0);
  EXPECT_NEAR(m->stepTime, 10 * period, 1e-12);
  EXPECT_DOUBLE_EQ(*m->overshoot, 0.0);
  EXPECT_NEAR(*m->riseTime, 32 * period, 1e-9) << "10 % to 90 % of a 40-sample ramp";
  EXPECT_DOUBLE_EQ(m->peakFollowingError, 75.0);
  EXPECT_DOUBLE_EQ(*m->steadyStateError, 0.0) << "the return is not part of the move";
  EXPECT_NEAR(*m->settlingTime, (51.2 - 10) * period, 1e-9);
}

TEST(StepMetricsTest, WhatCannotBeMeasuredIsSaidNotGuessed) {
  std::string error;
  const std::vector<double> flat(100, 5.0), two{0.0, 1.0};
  EXPECT_FALSE(MeasureStep(flat, flat, 0.001, error));
  EXPECT_EQ(error, "The commanded position does not move: there is no step to measure.");
  EXPECT_FALSE(MeasureStep(two, two, 0.001, error));
  EXPECT_EQ(error, "The run is too short to measure: 2 samples.");
  EXPECT_FALSE(MeasureStep(flat, two, 0.001, error));
  std::vector<double> bad = flat;
  bad.back() = 6.0;
  EXPECT_FALSE(MeasureStep(bad, bad, 0.0, error));
  EXPECT_EQ(error, "The sample period is not a positive number.");
  bad[10] = std::nan("");
  EXPECT_FALSE(MeasureStep(bad, bad, 0.001, error));
  EXPECT_EQ(error, "Sample 10 is not a number.");

  // A run cut off while the response still rings: rise and overshoot, but neither settling nor a
  // steady-state error; and one cut before it reaches 90 %.
  const double period = 0.001, w = 2 * std::numbers::pi * 5;
  const MoveRun ringing = StepRun(100, 5, 150, period, w, 0.1);
  auto m = MeasureStep(ringing.commanded, ringing.actual, period, error);
  ASSERT_TRUE(m);
  EXPECT_TRUE(m->riseTime);
  EXPECT_FALSE(m->settlingTime);
  EXPECT_FALSE(m->steadyStateError);
  ASSERT_EQ(m->notes.size(), 1u);
  const MoveRun early = StepRun(100, 5, 30, period, w, 0.1);
  m = MeasureStep(early.commanded, early.actual, period, error);
  ASSERT_TRUE(m);
  EXPECT_FALSE(m->riseTime);
  EXPECT_EQ(StepMetricRows(*m)[1].second, "---");
  EXPECT_EQ(m->notes.size(), 2u);
}

}  // namespace
}  // namespace bl::series
