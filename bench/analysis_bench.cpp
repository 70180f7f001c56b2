// The analysis of a tuning run: step metrics of a million-sample run (a second-order response
// with measurement noise) against a bare pass that only sums the following error; and the
// averaged frequency response with coherence of a million samples, by the number of segments,
// and of the whole run in one transform.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "series/frequency_estimate.h"
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
      const double y =
          t < 0 ? 0.0
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

// A noisy random command through a resonant second-order section, as a sweep's data would be.
const MoveRun& NoisyResponse() {
  static const MoveRun run = [] {
    MoveRun r;
    std::mt19937 random(12);
    std::normal_distribution<double> command(0.0, 100.0), noise(0.0, 1.0);
    const double a1 = -2 * 0.9 * std::cos(0.2), a2 = 0.81;
    double y1 = 0, y2 = 0, x1 = 0;
    for (std::size_t i = 0; i < kSamples; ++i) {
      const double x = command(random);
      const double y = 0.1 * x + 0.1 * x1 - a1 * y1 - a2 * y2;
      r.commanded.push_back(x);
      r.actual.push_back(y + noise(random));
      x1 = x;
      y2 = y1;
      y1 = y;
    }
    return r;
  }();
  return run;
}

void BM_FrequencyResponse(benchmark::State& state) {
  const MoveRun& r = NoisyResponse();
  const bl::series::EstimateOptions options{.segmentCount = static_cast<int>(state.range(0))};
  std::string error;
  for (auto _ : state) {
    auto e = bl::series::EstimateFrequencyResponse(r.commanded, r.actual, kPeriod, options, error);
    benchmark::DoNotOptimize(e);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kSamples));
}
BENCHMARK(BM_FrequencyResponse)->Arg(8)->Arg(64)->Arg(1024)->Unit(benchmark::kMillisecond);

// The same run in one transform (padded to 2^20), its coherence over 4 bins each side.
void BM_FrequencyResponseWholeRun(benchmark::State& state) {
  const MoveRun& r = NoisyResponse();
  const bl::series::EstimateOptions options{.wholeRun = true};
  std::string error;
  for (auto _ : state) {
    auto e = bl::series::EstimateFrequencyResponse(r.commanded, r.actual, kPeriod, options, error);
    benchmark::DoNotOptimize(e);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kSamples));
}
BENCHMARK(BM_FrequencyResponseWholeRun)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
