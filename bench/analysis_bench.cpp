// The analysis of a tuning run: step metrics of a million-sample run (a second-order response
// with measurement noise) against a bare pass that only sums the following error.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "series/step_metrics.h"

namespace {

constexpr std::size_t kSamples = 1000000;
constexpr double kPeriod = 0.000442;

struct MoveRun {
  std::vector<double> commanded, actual;
};

const MoveRun& Run() {
  static const MoveRun run = [] {
    MoveRun r;
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0.0, 0.3);
    const double w = 2 * std::numbers::pi * 3, z = 0.4, wd = w * std::sqrt(1 - z * z);
    for (std::size_t i = 0; i < kSamples; ++i) {
      const double t = (static_cast<double>(i) - 1000.0) * kPeriod;
      const double y = t < 0 ? 0.0
                             : 1 - std::exp(-z * w * t) *
                                       (std::cos(wd * t) + z / std::sqrt(1 - z * z) * std::sin(wd * t));
      r.commanded.push_back(t < 0 ? 0.0 : 5000.0);
      r.actual.push_back(5000.0 * y + noise(random));
    }
    return r;
  }();
  return run;
}

void BM_StepMetrics(benchmark::State& state) {
  const MoveRun& r = Run();
  std::string error;
  for (auto _ : state) {
    auto m = bl::series::MeasureStep(r.commanded, r.actual, kPeriod, error);
    benchmark::DoNotOptimize(m);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kSamples));
}
BENCHMARK(BM_StepMetrics)->Unit(benchmark::kMillisecond);

void BM_BarePass(benchmark::State& state) {
  const MoveRun& r = Run();
  for (auto _ : state) {
    double sum = 0.0;
    for (std::size_t i = 0; i < kSamples; ++i) sum += std::abs(r.commanded[i] - r.actual[i]);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kSamples));
}
BENCHMARK(BM_BarePass)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
