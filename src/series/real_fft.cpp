#include "series/real_fft.h"

#include <fftw3.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <mutex>

namespace bl::series {
namespace {

struct BufferFree {
  void operator()(double* p) const { fftw_free(p); }
};
using Buffer = std::unique_ptr<double, BufferFree>;

// A buffer from fftw_malloc, so aligned as FFTW's SIMD code wants, grown to the largest size
// asked for and kept.
struct AlignedBuffer {
  Buffer data;
  std::size_t size = 0;

  double* Reserve(std::size_t count) {
    if (count > size) {
      data.reset(static_cast<double*>(fftw_malloc(count * sizeof(double))));
      size = data ? count : 0;
    }
    return data.get();
  }
};

// Per thread: the half spectrum (n/2 + 1 complex bins, n + 2 doubles) and a place for the
// signal when the caller's array is not aligned the way the plans expect.
struct Workspace {
  AlignedBuffer spectrum;
  AlignedBuffer signal;
};

constexpr int kMaxLog2 = 30;  // FFTW's plans take an int length

// FFTW's planner is not thread-safe while executing a finished plan on new arrays is, so the
// plans are made once per length and direction under a lock and then shared. They are made
// out of place on fftw_malloc buffers; any other pair of arrays with the same alignment may
// run them.
fftw_plan PlanFor(int log2, FftDirection direction, double* signal, double* spectrum) {
  static std::mutex mutex;
  static std::array<std::array<fftw_plan, 2>, kMaxLog2 + 1> plans{};
  std::lock_guard lock(mutex);
  fftw_plan& plan = plans[log2][direction == FftDirection::kForward ? 0 : 1];
  if (plan != nullptr) return plan;
  const int n = 1 << log2;
  auto* bins = reinterpret_cast<fftw_complex*>(spectrum);
  // FFTW_ESTIMATE plans without trial transforms: the first spectrum of a new length costs no
  // planning time and the planner never writes over the arrays.
  plan = direction == FftDirection::kForward
             ? fftw_plan_dft_r2c_1d(n, signal, bins, FFTW_ESTIMATE)
             : fftw_plan_dft_c2r_1d(n, bins, signal, FFTW_ESTIMATE | FFTW_DESTROY_INPUT);
  return plan;
}

int Log2OfPowerOfTwo(long long n) {
  if (n < 2 || (n & (n - 1)) != 0) return -1;
  int log2 = 0;
  while ((1LL << log2) < n) ++log2;
  return log2;
}

}  // namespace

int RealFft(std::span<double> values, long long n, FftDirection direction) {
  const int log2 = Log2OfPowerOfTwo(n);
  if (log2 < 0 || log2 > kMaxLog2 || static_cast<unsigned long long>(n) > values.size()) {
    return -1;
  }
  if (direction != FftDirection::kForward && direction != FftDirection::kInverse) return -1;
  const auto count = static_cast<std::size_t>(n);
  const std::size_t half = count / 2;

  thread_local Workspace workspace;
  double* spectrum = workspace.spectrum.Reserve(count + 2);
  double* staging = workspace.signal.Reserve(count);
  if (spectrum == nullptr || staging == nullptr) return -1;
  fftw_plan plan = PlanFor(log2, direction, staging, spectrum);
  if (plan == nullptr) return -1;
  auto* bins = reinterpret_cast<fftw_complex*>(spectrum);
  double* x = values.data();
  // The caller's array serves directly when its alignment matches the plan's, which a
  // vector's usually does; otherwise the signal goes through the aligned staging buffer.
  const bool direct = fftw_alignment_of(x) == fftw_alignment_of(staging);
  double* signal = direct ? x : staging;

  // FFTW's forward transform has the exponent -2πi, ours +2πi: the two spectra of a real signal
  // are complex conjugates, so every imaginary part changes sign on the way through.
  if (direction == FftDirection::kForward) {
    if (!direct) std::copy(x, x + count, staging);
    fftw_execute_dft_r2c(plan, signal, bins);
    x[0] = bins[0][0];
    x[1] = bins[half][0];
    for (std::size_t k = 1; k < half; ++k) {
      x[2 * k] = bins[k][0];
      x[2 * k + 1] = -bins[k][1];
    }
    return 0;
  }

  // The inverse of the packed form is half the sum over the full Hermitian spectrum; FFTW's
  // unnormalised backward transform gives the whole sum.
  bins[0][0] = x[0];
  bins[0][1] = 0.0;
  bins[half][0] = x[1];
  bins[half][1] = 0.0;
  for (std::size_t k = 1; k < half; ++k) {
    bins[k][0] = x[2 * k];
    bins[k][1] = -x[2 * k + 1];
  }
  fftw_execute_dft_c2r(plan, bins, signal);
  if (direct) {
    for (std::size_t j = 0; j < count; ++j) x[j] *= 0.5;
  } else {
    for (std::size_t j = 0; j < count; ++j) x[j] = 0.5 * staging[j];
  }
  return 0;
}

}  // namespace bl::series
