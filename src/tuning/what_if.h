#pragma once

#include <complex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "series/loop_margins.h"
#include "series/step_metrics.h"
#include "tuning/plant_fit.h"
#include "tuning/servo_law.h"

namespace bl::tuning {

// What a prediction needs of a motor's settings: its servo law and what limits the output.
struct LoopSettings {
  ServoLaw law;
  double outputLimit = 32767.0;  // Ix69, DAC bits
  double outputOffset = 0.0;     // Ix29
};

// Identification needs the run sampled every servo cycle: the law and the plant act cycle by
// cycle. A run gathered less often is refused with this, or its failure to fit carries it.
inline constexpr std::string_view kEveryCycleHint =
    "A plant is identified from a run gathered every servo cycle: set the gather period to 1 "
    "servo cycle and run the move again.";

// The law of ServoLawFromVariables with Ix69 (missing: 32767; limited to 0..32767) and Ix29.
std::optional<LoopSettings> LoopSettingsFromVariables(const VariableValues& values, int motor,
                                                      double period, std::string& error);

// A move to predict, as the test moves make it: 50 ms at rest, out by size, a dwell, back the
// same way and a dwell again. A step jumps; a trapezoid accelerates at acceleration
// (counts/ms²) to velocity (counts/ms) and decelerates likewise.
struct MoveShape {
  enum class Kind { kStep, kTrapezoid };
  Kind kind = Kind::kStep;
  double size = 500.0;         // counts
  double velocity = 0.0;       // counts/ms
  double acceleration = 0.0;   // counts/ms²
  double dwellMs = 500.0;
};

// A predicted move lasts ten minutes at most, and no more than 4M servo cycles.
inline constexpr double kMaxPredictedMs = 600000.0;
inline constexpr double kMaxPredictedSamples = 4194304.0;
inline constexpr double kLeadInMs = 50.0;

// "step:SIZE,DWELL" or "trapezoid:SIZE,VELOCITY,ACCELERATION,DWELL" (sizes in counts, times in
// ms); nothing, with a sentence in error, for anything else or values out of range.
std::optional<MoveShape> ParseMoveShape(std::string_view text, std::string& error);

// The commanded position of the move every period seconds, counts from where it starts; empty
// when it would be longer than kMaxPredictedMs or kMaxPredictedSamples.
std::vector<double> CommandedPath(const MoveShape& move, double period);

// The roots (in z) of the closed loop the plant makes with the settings: the loop is stable when
// all lie inside the unit circle. lag is the number of cycles between a position sample and the
// output computed from it (see MeasureOutputLag).
std::vector<std::complex<double>> ClosedLoopPoles(const PlantModel& plant,
                                                  const LoopSettings& loop, int lag);

// How many samples (0 or 1) the gathered output lags the positions it was computed from under
// the run's own settings: the alignment under which the law reproduces the gathered output
// best. Nothing when neither reproduces it (the settings are not the run's).
std::optional<int> MeasureOutputLag(const LoopSettings& loop, std::span<const double> commanded,
                                    std::span<const double> actual,
                                    std::span<const double> output);

struct Prediction {
  // Empty when the loop is not stable: there is nothing true to show.
  std::vector<double> commanded, actual, output;
  double period = 0.0;
  bool stable = false;
  bool saturated = false;  // the output met its limit somewhere
  double largestPole = 0.0;  // |z| of the closed loop's least damped root
  std::string problem;       // why it is not stable, a sentence
  LoopResponses loops;
  series::LoopMargins margins;
  std::optional<series::StepMetrics> metrics;
};

// Log-spaced frequencies from low to high, count of them (at least 2).
std::vector<double> LogFrequencies(double lowHz, double highHz, int count);

// The loop's answer to the commanded path (counts, one per servo cycle of the plant's period)
// in time, and its open and closed loops at the frequencies. The time response follows the
// law cycle by cycle, with the output's filter, limit, offset and rounding to whole DAC bits,
// and the plant's friction.
Prediction Predict(const PlantModel& plant, const LoopSettings& loop, int lag,
                   std::span<const double> commanded, const std::vector<double>& frequencies);

// RMS of (predicted − measured) over the measured's range (max − min), in percent.
double NormalizedRmsError(std::span<const double> predicted, std::span<const double> measured);

struct MarginGoal {
  double phaseMarginDeg = 45.0;
  double gainMarginDb = 8.0;
};

// Settings to try: I-variable numbers with new values, and why.
struct Suggestion {
  VariableValues changes;
  std::vector<std::string> reasons;
  series::LoopMargins margins;
};

// A notch for the plant's resonance (a low-pass where the resonance lies too near the Nyquist
// frequency for a notch) in Ix36..Ix39, with Ix30 corrected for the filter's gain at rest, and
// then the proportional and derivative gains (Ix30, Ix31, Ix32 kept in proportion to Ix31)
// with the highest crossover, up to a tenth of the servo rate, that still meets the goal. Nothing, with a sentence in error,
// when no gains within a factor of 20 of today's do.
std::optional<Suggestion> SuggestSettings(const PlantModel& plant, const VariableValues& current,
                                          int motor, int lag, const MarginGoal& goal,
                                          std::string& error);

}  // namespace bl::tuning
