#pragma once

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace bl::series {

// What a move did, read off its commanded and actual positions. The step is the commanded
// position's change from its first sample to where it first comes to rest (at once for a step,
// after the ramp of a trapezoid); the run is measured up to where the commanded position moves
// again (a test move that returns). The response is the actual position measured from the
// commanded start, as a fraction of that step. Times are in seconds from the first sample at
// which the commanded position had left its start.
struct StepMetrics {
  double stepSize = 0.0;  // commanded units (counts for a test move)
  double stepTime = 0.0;  // s from the first sample
  std::optional<double> riseTime;      // s from 10 % to 90 % of the step
  std::optional<double> overshoot;     // % of the step beyond it (0 when it never passes)
  std::optional<double> settlingTime;  // s until it stays within ±2 % of the step
  double peakFollowingError = 0.0;     // largest |commanded − actual|
  double rmsFollowingError = 0.0;      // over the whole run
  // Mean commanded − actual over the last tenth of the run, once settled.
  std::optional<double> steadyStateError;
  // Why a metric above is missing, one sentence each.
  std::vector<std::string> notes;
};

inline constexpr double kRiseLow = 0.1;
inline constexpr double kRiseHigh = 0.9;
inline constexpr double kSettlingBand = 0.02;

// Measures a run of equal length series sampled every period seconds. Nothing, with a sentence in
// error, when the run cannot be measured: fewer than three samples, lengths that differ, a
// period that is not a positive number, a sample that is not a number, or a commanded position
// that never moves.
std::optional<StepMetrics> MeasureStep(std::span<const double> commanded,
                                       std::span<const double> actual, double period,
                                       std::string& error);

// The metrics as the table beside the graph shows them: a label and its value with its unit
// ("Rise time (10-90 %)", "12.4 ms"); a missing metric reads "---".
std::vector<std::pair<std::string, std::string>> StepMetricRows(const StepMetrics& metrics);

}  // namespace bl::series
