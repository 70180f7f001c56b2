// RealFft (series/real_fft.h) forward, side by side with FFTW's own real-to-complex transform
// on the same lengths, 2^10 to 2^20. Each iteration of either first copies the same signal into
// place, so the comparison carries RealFft's packing and sign work and nothing else.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "series/real_fft.h"

namespace {

std::vector<double> Signal(std::size_t n) {
  std::mt19937 random(1);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  std::vector<double> v(n);
  for (double& value : v) value = uniform(random);
  return v;
}

void BM_RealFftForward(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto signal = Signal(n);
  std::vector<double> values(n);
  for (auto _ : state) {
    std::copy(signal.begin(), signal.end(), values.begin());
    bl::series::RealFft(values, static_cast<long long>(n), bl::series::FftDirection::kForward);
    benchmark::DoNotOptimize(values.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// FFTW out of place, planned once with the given flags.
void FftwR2c(benchmark::State& state, unsigned flags) {
  const int n = static_cast<int>(state.range(0));
  const auto signal = Signal(static_cast<std::size_t>(n));
  auto* in = static_cast<double*>(fftw_malloc(sizeof(double) * n));
  auto* out = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * (n / 2 + 1)));
  fftw_plan plan = fftw_plan_dft_r2c_1d(n, in, out, flags);
  for (auto _ : state) {
    std::copy(signal.begin(), signal.end(), in);
    fftw_execute(plan);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  fftw_destroy_plan(plan);
  fftw_free(out);
  fftw_free(in);
}

void BM_FftwR2cEstimate(benchmark::State& state) { FftwR2c(state, FFTW_ESTIMATE); }
void BM_FftwR2cMeasure(benchmark::State& state) { FftwR2c(state, FFTW_MEASURE); }

}  // namespace

BENCHMARK(BM_RealFftForward)->RangeMultiplier(2)->Range(1 << 10, 1 << 20);
BENCHMARK(BM_FftwR2cEstimate)->RangeMultiplier(2)->Range(1 << 10, 1 << 20);
BENCHMARK(BM_FftwR2cMeasure)->RangeMultiplier(2)->Range(1 << 10, 1 << 20);

BENCHMARK_MAIN();
