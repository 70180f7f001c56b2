#include "series/frequency_estimate.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/text_format.h"
#include "series/real_fft.h"

namespace bl::series {

namespace {

using platform::Format;

// Relative to the strongest input bin, below this a bin counts as having no input power.
constexpr double kNoPower = 1e-24;
// Beyond this a sample's square, summed over a long run, could overflow: no position or output
// comes near it.
constexpr double kLargestSample = 1e100;

bool IsPowerOfTwo(long long n) { return n > 0 && (n & (n - 1)) == 0; }

long long FloorPowerOfTwo(long long n) {
  long long p = 1;
  while (p <= n / 2) p *= 2;
  return p;
}

// The periodic Hann window, whose half-overlapped copies add up to a constant.
std::vector<double> HannWindow(long long length) {
  std::vector<double> w(static_cast<std::size_t>(length));
  const double step = 2.0 * std::numbers::pi / static_cast<double>(length);
  for (std::size_t j = 0; j < w.size(); ++j)
    w[j] = 0.5 - 0.5 * std::cos(step * static_cast<double>(j));
  return w;
}

// The segment from first on, its mean taken off, windowed, into buffer, and transformed.
void WindowedSpectrum(std::span<const double> data, std::size_t first,
                      const std::vector<double>& window, std::vector<double>& buffer) {
  const std::size_t length = window.size();
  double mean = 0.0;
  for (std::size_t j = 0; j < length; ++j) mean += data[first + j];
  mean /= static_cast<double>(length);
  for (std::size_t j = 0; j < length; ++j) buffer[j] = (data[first + j] - mean) * window[j];
  RealFft(buffer, static_cast<long long>(length), FftDirection::kForward);
}

double PrincipalDegrees(double degrees) {
  double p = std::remainder(degrees, 360.0);  // in [-180, 180]
  if (p <= -180.0) p += 360.0;
  return p;
}

}  // namespace

void SetBodeFromResponse(BodeResponse& bode, double lowestDeg) {
  const std::size_t n = bode.response.size();
  bode.magnitudeDb.assign(n, kMagnitudeFloorDb);
  bode.phaseDeg.assign(n, 0.0);
  bool anchored = false;      // a phase has been set
  bool haveReliable = false;  // some bin had enough coherence
  double reference = 0.0;     // the phase the next one is unwrapped against
  for (std::size_t k = 0; k < n; ++k) {
    const std::complex<double> h = bode.response[k];
    const double magnitude = std::abs(h);
    const bool reliable = k >= bode.coherence.size() || bode.coherence[k] >= kUnwrapCoherence;
    if (!(magnitude > 0.0) || !std::isfinite(magnitude)) {
      bode.phaseDeg[k] = reference;
      continue;
    }
    bode.magnitudeDb[k] = std::max(20.0 * std::log10(magnitude), kMagnitudeFloorDb);
    const double principal = std::arg(h) * 180.0 / std::numbers::pi;
    const double phase = anchored
                             ? reference + PrincipalDegrees(principal - reference)
                             : lowestDeg + 180.0 + PrincipalDegrees(principal - lowestDeg - 180.0);
    bode.phaseDeg[k] = phase;
    anchored = true;
    if (reliable || !haveReliable) reference = phase;
    haveReliable = haveReliable || reliable;
  }
}

std::optional<FrequencyEstimate> EstimateFrequencyResponse(std::span<const double> input,
                                                           std::span<const double> output,
                                                           double period,
                                                           const EstimateOptions& options,
                                                           std::string& error) {
  const std::size_t n = input.size();
  if (output.size() != n) {
    error = Format("The input and output series differ in length (%zu and %zu samples).", n,
                   output.size());
    return std::nullopt;
  }
  if (!(period > 0.0) || !std::isfinite(period)) {
    error = "The sample period is not a positive number.";
    return std::nullopt;
  }
  long long length = 0;
  const auto count = static_cast<long long>(n);
  if (options.wholeRun) {
    if (options.smoothingBins < 1 || options.smoothingBins > kMaxSmoothingBins) {
      error = Format("The bins averaged on each side must be from 1 to %d.", kMaxSmoothingBins);
      return std::nullopt;
    }
    length = 2;
    while (length < count && length < kMaxSegmentLength) length *= 2;
    if (count > kMaxSegmentLength) {
      error = Format("The run is too long for one transform: more than %lld samples.",
                     kMaxSegmentLength);
      return std::nullopt;
    }
    if (count < 4 * kMinSegmentLength) {
      error = Format("The run is too short to analyse: %zu samples.", n);
      return std::nullopt;
    }
  } else if (options.segmentLength != 0) {
    if (!IsPowerOfTwo(options.segmentLength) || options.segmentLength < kMinSegmentLength ||
        options.segmentLength > kMaxSegmentLength) {
      error = Format("The segment length must be a power of two from %lld to %lld.",
                     kMinSegmentLength, kMaxSegmentLength);
      return std::nullopt;
    }
    length = options.segmentLength;
  } else {
    if (options.segmentCount < kMinSegmentCount || options.segmentCount > kMaxSegmentCount) {
      error = Format("The number of segments must be from %d to %d.", kMinSegmentCount,
                     kMaxSegmentCount);
      return std::nullopt;
    }
    // K half-overlapping segments of L samples span L · (K + 1) / 2 samples.
    length = std::min(FloorPowerOfTwo(2 * count / (options.segmentCount + 1)), kMaxSegmentLength);
  }
  if (!options.wholeRun && (length < kMinSegmentLength || count < length + length / 2)) {
    error = Format("The run is too short for two segments of at least %lld samples: %zu samples.",
                   std::max(length, kMinSegmentLength), n);
    return std::nullopt;
  }
  double low = input.empty() ? 0.0 : input[0], high = low;
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(input[i]) || !std::isfinite(output[i])) {
      error = Format("Sample %zu is not a number.", i);
      return std::nullopt;
    }
    if (std::abs(input[i]) > kLargestSample || std::abs(output[i]) > kLargestSample) {
      error = Format("Sample %zu is too large to analyse.", i);
      return std::nullopt;
    }
    low = std::min(low, input[i]);
    high = std::max(high, input[i]);
  }
  if (low == high) {
    error = "The input series never changes: it excites no frequency.";
    return std::nullopt;
  }

  const long long hop = length / 2;
  const long long segments = options.wholeRun ? 1 : (count - length) / hop + 1;
  const auto half = static_cast<std::size_t>(length / 2);
  const std::vector<double> window = options.wholeRun ? std::vector<double>{} : HannWindow(length);
  std::vector<double> x(static_cast<std::size_t>(length)), y(x.size());
  // Bins 1 .. half; the packed transform keeps the Nyquist bin's real part in element 1.
  std::vector<double> sxx(half + 1, 0.0), syy(half + 1, 0.0);
  std::vector<std::complex<double>> sxy(half + 1);
  for (long long s = 0; s < segments; ++s) {
    if (options.wholeRun) {
      // Unwindowed, from rest to rest: the run's first values are its rest, and so is the
      // padding after it.
      for (std::size_t j = 0; j < x.size(); ++j) {
        x[j] = j < n ? input[j] - input[0] : 0.0;
        y[j] = j < n ? output[j] - output[0] : 0.0;
      }
      RealFft(x, length, FftDirection::kForward);
      RealFft(y, length, FftDirection::kForward);
    } else {
      const auto first = static_cast<std::size_t>(s * hop);
      WindowedSpectrum(input, first, window, x);
      WindowedSpectrum(output, first, window, y);
    }
    for (std::size_t k = 1; k < half; ++k) {
      // RealFft's spectrum is the conjugate of the usual one, so conj(X)·Y is Fx·conj(Fy).
      const std::complex<double> fx(x[2 * k], x[2 * k + 1]), fy(y[2 * k], y[2 * k + 1]);
      sxx[k] += std::norm(fx);
      syy[k] += std::norm(fy);
      sxy[k] += fx * std::conj(fy);
    }
    sxx[half] += x[1] * x[1];
    syy[half] += y[1] * y[1];
    sxy[half] += x[1] * y[1];
  }

  const double strongest = *std::max_element(sxx.begin(), sxx.end());
  if (!(strongest > 0.0)) {
    error = "The input series never changes within a segment: it excites no frequency.";
    return std::nullopt;
  }
  const double binHz = 1.0 / (static_cast<double>(length) * period);
  if (!std::isfinite(binHz * static_cast<double>(half)) || !(binHz > 0.0)) {
    error = "The sample period is out of range.";
    return std::nullopt;
  }
  FrequencyEstimate estimate;
  estimate.segmentLength = length;
  estimate.segmentCount = segments;
  BodeResponse& bode = estimate.bode;
  bode.frequency.resize(half);
  bode.response.resize(half);
  bode.coherence.resize(half);
  bode.inputPowerDb.assign(half, kMagnitudeFloorDb);
  for (std::size_t k = 1; k <= half; ++k) {
    bode.frequency[k - 1] = static_cast<double>(k) * binHz;
    if (sxx[k] <= kNoPower * strongest) continue;  // response and coherence stay 0
    bode.inputPowerDb[k - 1] = 10.0 * std::log10(sxx[k] / strongest);
    bode.response[k - 1] = sxy[k] / sxx[k];
    double power = sxx[k] * syy[k];
    std::complex<double> cross = sxy[k];
    if (options.wholeRun) {
      // One transform has nothing to average over but its neighbouring bins.
      const auto m = static_cast<std::size_t>(options.smoothingBins);
      double xx = 0.0, yy = 0.0;
      cross = 0.0;
      const std::size_t from = k > m ? k - m : 1, to = std::min(half, k + m);
      for (std::size_t j = from; j <= to; ++j) {
        xx += sxx[j];
        yy += syy[j];
        cross += sxy[j];
      }
      power = xx * yy;
    }
    bode.coherence[k - 1] = power > 0.0 ? std::clamp(std::norm(cross) / power, 0.0, 1.0) : 0.0;
  }
  SetBodeFromResponse(bode);
  return estimate;
}

}  // namespace bl::series
