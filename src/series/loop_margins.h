#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "series/frequency_estimate.h"

namespace bl::series {

// The stability margins of a feedback loop, read off its open-loop response, and the bandwidth
// of the closed loop. A value is missing when its crossing does not occur within the
// frequencies given ("none").
struct LoopMargins {
  // Where the open-loop magnitude falls through 0 dB, and 180° plus the open-loop phase there
  // (taken within -180..180). With several such crossings, the one with the smallest margin.
  std::optional<double> crossoverHz;
  std::optional<double> phaseMarginDeg;
  // The first frequency above the crossover (from the lowest one when the magnitude starts below
  // 0 dB) where the open-loop phase passes through -180° (or an odd multiple of 180°), and how
  // far the magnitude lies below 0 dB there (negative when above: the loop is unstable).
  std::optional<double> phaseCrossoverHz;
  std::optional<double> gainMarginDb;
  // Where the closed-loop magnitude first falls through -3 dB (relative to 0 dB: a position loop
  // follows its command 1:1 when slow).
  std::optional<double> bandwidthHz;
};

// Below this coherence a measured frequency makes no crossing: its response is mostly noise.
inline constexpr double kMarginCoherence = 0.8;

// Below this input power (relative to the strongest bin) a measured frequency makes no crossing
// either: the excitation did not reach it, and what the output holds there is not its answer.
inline constexpr double kMarginInputPowerDb = -40.0;

// Frequencies whose coherence is below minCoherence, or whose input power (when the response
// has it) is below kMarginInputPowerDb, are left out: such a bin must not make a crossing. Between
// two kept frequencies a crossing is placed by linear interpolation of decibels and degrees over
// the logarithm of the frequency. Either response may be empty; its margins are then missing.
LoopMargins MeasureLoopMargins(const BodeResponse& openLoop, const BodeResponse& closedLoop,
                               double minCoherence);

// The margins as a report shows them: a label and its value with its unit ("Phase margin",
// "42.1 deg"); a missing one reads "none".
std::vector<std::pair<std::string, std::string>> LoopMarginRows(const LoopMargins& margins);

}  // namespace bl::series
