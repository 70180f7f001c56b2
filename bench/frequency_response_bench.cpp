// "Create Frequency Response Now!" on two gathered series of 2^12 to 2^20 samples, under the time
// graph and under the frequency graph (where all three series end as spectra), side by side with
// its bare core: the two forward transforms and the inverse one of the same length.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "series/real_fft.h"
#include "series/series_table.h"
#include "tuning/frequency_response.h"

namespace {

using bl::series::SeriesTable;

// Series 1 and 2 gathered L words of n samples, the second a filtered copy of the first.
void Gathered(SeriesTable& table, int n) {
  std::mt19937 random(5);
  std::uniform_real_distribution<double> uniform(-1e5, 1e5);
  for (int k : {1, 2}) {
    bl::series::DataSeries& s = table[k];
    s.Resize(n);
    s.rawDataPeriod = 0.000442;
    for (double& v : s.values) v = uniform(random);
    table.EncodeLWords(k);
  }
  table[2].D1 = -1.6;
  table[2].D2 = 0.68;
  for (int k : {1, 2}) table.ProcessSeries(k, bl::series::SpectrumLayout::kMagnitudePhase);
}

void Response(benchmark::State& state, int graphType) {
  const int n = static_cast<int>(state.range(0));
  SeriesTable table;
  table.graphType = graphType;
  Gathered(table, n);
  for (auto _ : state) {
    bl::tuning::CreateFrequencyResponse(table, {1, 2, 3});
    benchmark::DoNotOptimize(table[3].values.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_FrequencyResponseTimeGraph(benchmark::State& state) { Response(state, 0); }
void BM_FrequencyResponseFrequencyGraph(benchmark::State& state) { Response(state, 2); }

void BM_ThreeTransforms(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  std::mt19937 random(5);
  std::uniform_real_distribution<double> uniform(-1e5, 1e5);
  std::vector<double> signal(n);
  for (double& v : signal) v = uniform(random);
  std::vector<double> a(n), b(n);
  const auto length = static_cast<long long>(n);
  for (auto _ : state) {
    a = signal;
    b = signal;
    bl::series::RealFft(a, length, bl::series::FftDirection::kForward);
    bl::series::RealFft(b, length, bl::series::FftDirection::kForward);
    bl::series::RealFft(a, length, bl::series::FftDirection::kInverse);
    benchmark::DoNotOptimize(a.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_FrequencyResponseTimeGraph)
    ->RangeMultiplier(4)
    ->Range(1 << 12, 1 << 20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrequencyResponseFrequencyGraph)
    ->RangeMultiplier(4)
    ->Range(1 << 12, 1 << 20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThreeTransforms)
    ->RangeMultiplier(4)
    ->Range(1 << 12, 1 << 20)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
