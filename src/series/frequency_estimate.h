#pragma once

#include <complex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace bl::series {

// A frequency response as a Bode plot draws it: one entry per frequency in every vector.
// Phases are unwrapped along the frequency (see SetBodeFromResponse); coherence lies in 0..1
// and says how far the output at that frequency is explained linearly by the input (1 for a
// response computed from a model).
struct BodeResponse {
  std::vector<double> frequency;  // Hz, rising, all above 0
  std::vector<std::complex<double>> response;
  std::vector<double> magnitudeDb;
  std::vector<double> phaseDeg;
  std::vector<double> coherence;
  // For a measurement, the input's power in each bin relative to its strongest bin (0 dB there,
  // kMagnitudeFloorDb where it has none): where the excitation was. Empty for a model.
  std::vector<double> inputPowerDb;
};

// The magnitude given for a bin with no response at all (no input power there): far below any
// measurable one, yet a number a plot or a CSV file can hold.
inline constexpr double kMagnitudeFloorDb = -400.0;
// A bin whose coherence is below this does not steer the phase unwrapping of the bins after it.
inline constexpr double kUnwrapCoherence = 0.5;

// Fills magnitudeDb and phaseDeg from response (sized like it). The first phase lies in
// (lowestDeg, lowestDeg + 360] (an open loop starts near -90° or -180° and reads best from
// -270°); each later one is the principal value moved by whole turns to lie within half
// a turn of the last phase whose bin had at least kUnwrapCoherence (or of the bin before, while
// none has), so a stretch of noise does not shift the rest of the curve by turns. A zero
// response gets kMagnitudeFloorDb and keeps the phase before it. Missing coherence counts as 1.
void SetBodeFromResponse(BodeResponse& bode, double lowestDeg = -180.0);

// How the run is cut into segments: Hann windowed, half overlapping, each a power of two long.
// A segment length (16 .. 2^20) takes precedence; otherwise the segments are made as long as
// the run allows for at least segmentCount of them (2 .. 4096).
//
// With wholeRun the run is taken as one piece instead: a run that starts at rest and ends at
// rest again (a chirp out and back) is transformed whole, unwindowed and padded with its rest to
// a power of two, and each bin's response is the plain quotient of the two spectra, which for
// such a run holds no leakage at all. The coherence then averages the spectra over
// smoothingBins bins on each side.
struct EstimateOptions {
  long long segmentLength = 0;
  int segmentCount = 8;
  bool wholeRun = false;
  int smoothingBins = 4;
};

inline constexpr int kMaxSmoothingBins = 64;

inline constexpr long long kMinSegmentLength = 16;
inline constexpr long long kMaxSegmentLength = 1LL << 20;
inline constexpr int kMinSegmentCount = 2;
inline constexpr int kMaxSegmentCount = 4096;

struct FrequencyEstimate {
  BodeResponse bode;
  long long segmentLength = 0;
  long long segmentCount = 0;  // the segments averaged
};

// The response of output to input, both sampled every period seconds, by Welch's averaged
// cross and auto spectra: H1 = Sxy / Sxx at each bin from 1 / (segment · period) up to the
// Nyquist frequency, and the magnitude-squared coherence |Sxy|² / (Sxx · Syy). Each segment's
// mean is taken off first, so an offset between the two series does not matter. A bin where the
// input has no power (below 1e-24 of its strongest bin) has response 0 and coherence 0.
// Nothing, with a sentence in error, when the run cannot be estimated: lengths that differ, a
// period that is not a positive number, a sample that is not a number, options outside their
// ranges, a run too short for two segments, or an input that never changes.
std::optional<FrequencyEstimate> EstimateFrequencyResponse(std::span<const double> input,
                                                           std::span<const double> output,
                                                           double period,
                                                           const EstimateOptions& options,
                                                           std::string& error);

}  // namespace bl::series
