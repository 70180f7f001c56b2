#pragma once

#include <optional>
#include <string>
#include <vector>

#include "series/frequency_estimate.h"
#include "series/loop_margins.h"
#include "tuning/tuning_history.h"

namespace bl::tuning {

// The frequency response of a kept run, as its Bode window shows it: the closed loop from the
// commanded to the actual position, the open loop worked out with the motor's servo law from
// the I-variables the run kept, and the margins.
struct RunBode {
  series::FrequencyEstimate closedLoop;
  std::optional<series::BodeResponse> openLoop;  // missing when the run's gains are not known
  series::LoopMargins margins;
  // The method, the margins and anything missing, as lines of text.
  std::vector<std::string> lines;
};

// Nothing, with a sentence in error, when the run has no commanded and actual position or they
// cannot be estimated (see EstimateFrequencyResponse).
std::optional<RunBode> AnalyzeRunBode(const TuningRun& run, const series::EstimateOptions& options,
                                      std::string& error);

}  // namespace bl::tuning
