// ProcessSeries on a gathered L series of 1,000,000 samples (decode, scale and offset, the
// second-order filter) against the plainest pass over the same data: read the two words of a
// sample, write one double.
#include <benchmark/benchmark.h>

#include <random>

#include "series/series_table.h"

namespace {

constexpr int kSamples = 1000000;

bl::series::SeriesTable& GatheredTable() {
  static bl::series::SeriesTable table = [] {
    bl::series::SeriesTable t;
    bl::series::DataSeries& s = t[1];
    s.Resize(kSamples);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> uniform(-1e6, 1e6);
    for (double& v : s.values) v = uniform(random);
    t.EncodeLWords(1);
    s.sourceType = bl::series::SourceType::kL;
    s.scaleFactor = 1.0 / 3072;
    s.offset = 5.0;
    s.D1 = -1.6;
    s.D2 = 0.68;
    s.normalizeFilterGain = true;
    return t;
  }();
  return table;
}

void BM_ProcessSeries(benchmark::State& state) {
  bl::series::SeriesTable& table = GatheredTable();
  for (auto _ : state) {
    table.ProcessSeries(1, bl::series::SpectrumLayout::kMagnitudePhase);
    benchmark::DoNotOptimize(table[1].values.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSamples);
}

void BM_PlainPass(benchmark::State& state) {
  bl::series::DataSeries& s = GatheredTable()[1];
  for (auto _ : state) {
    for (std::size_t i = 0; i < s.values.size(); ++i)
      s.values[i] = static_cast<double>(s.xWords[i]) + static_cast<double>(s.yWords[i]);
    benchmark::DoNotOptimize(s.values.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSamples);
}

BENCHMARK(BM_ProcessSeries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainPass)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
