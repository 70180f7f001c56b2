#include "series/real_fft.h"

#include <fftw3.h>

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace bl::series {
namespace {

struct BufferFree {
  void operator()(double* p) const { fftw_free(p); }
};
using Buffer = std::unique_ptr<double, BufferFree>;

// The transforms run in an aligned buffer of n + 2 doubles: FFTW's in-place half spectrum
// (n/2 + 1 complex bins) needs two more than the n values, and the caller's vector is not
// aligned for SIMD. One buffer per thread, grown to the largest n seen there.
struct Workspace {
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

// FFTW's planner is not thread-safe while executing a finished plan on new arrays is, so the
// plans are made once per size and direction under a lock and then shared. Every buffer
// comes from fftw_malloc, so they all share the alignment the plans were made for.
fftw_plan PlanFor(std::size_t n, FftDirection direction, double* buffer) {
  static std::mutex mutex;
  static std::map<std::pair<std::size_t, int>, fftw_plan> plans;
  std::lock_guard lock(mutex);
  auto key = std::make_pair(n, static_cast<int>(direction));
  if (auto it = plans.find(key); it != plans.end()) return it->second;
  auto* spectrum = reinterpret_cast<fftw_complex*>(buffer);
  // FFTW_ESTIMATE plans without running trial transforms, so the first spectrum of a new
  // length costs no planning time and the planner never writes over the data.
  fftw_plan plan = direction == FftDirection::kForward
                       ? fftw_plan_dft_r2c_1d(static_cast<int>(n), buffer, spectrum, FFTW_ESTIMATE)
                       : fftw_plan_dft_c2r_1d(static_cast<int>(n), spectrum, buffer,
                                              FFTW_ESTIMATE | FFTW_DESTROY_INPUT);
  if (plan != nullptr) plans.emplace(key, plan);
  return plan;
}

bool IsPowerOfTwo(long long n) { return n >= 2 && (n & (n - 1)) == 0; }

}  // namespace

int RealFft(std::span<double> values, long long n, FftDirection direction) {
  if (!IsPowerOfTwo(n) || static_cast<unsigned long long>(n) > values.size()) return -1;
  // FFTW's plans take an int length.
  if (n > (1LL << 30)) return -1;
  if (direction != FftDirection::kForward && direction != FftDirection::kInverse) return -1;
  const auto count = static_cast<std::size_t>(n);
  const std::size_t half = count / 2;

  thread_local Workspace workspace;
  double* buffer = workspace.Reserve(count + 2);
  if (buffer == nullptr) return -1;
  fftw_plan plan = PlanFor(count, direction, buffer);
  if (plan == nullptr) return -1;
  auto* spectrum = reinterpret_cast<fftw_complex*>(buffer);
  double* x = values.data();

  // FFTW's forward transform has the exponent -2πi, ours +2πi: the two spectra of a real signal
  // are complex conjugates, so every imaginary part changes sign on the way through.
  if (direction == FftDirection::kForward) {
    for (std::size_t j = 0; j < count; ++j) buffer[j] = x[j];
    fftw_execute_dft_r2c(plan, buffer, spectrum);
    x[0] = spectrum[0][0];
    x[1] = spectrum[half][0];
    for (std::size_t k = 1; k < half; ++k) {
      x[2 * k] = spectrum[k][0];
      x[2 * k + 1] = -spectrum[k][1];
    }
    return 0;
  }

  // The inverse of the packed form is half the sum over the full Hermitian spectrum; FFTW's
  // unnormalised backward transform gives the whole sum.
  spectrum[0][0] = x[0];
  spectrum[0][1] = 0.0;
  spectrum[half][0] = x[1];
  spectrum[half][1] = 0.0;
  for (std::size_t k = 1; k < half; ++k) {
    spectrum[k][0] = x[2 * k];
    spectrum[k][1] = -x[2 * k + 1];
  }
  fftw_execute_dft_c2r(plan, spectrum, buffer);
  for (std::size_t j = 0; j < count; ++j) x[j] = 0.5 * buffer[j];
  return 0;
}

}  // namespace bl::series
