#pragma once

#include <span>
#include <string>
#include <vector>

#include "tuning/tuning_history.h"

namespace bl {
class DefinitionTable;
namespace graph {
struct GraphView;
}
}  // namespace bl

namespace bl::tuning {

// One parameter two runs do not share: "Ix30", what it is ("Proportional Gain", or the user's
// name for the variable), and its value in each run ("---" where it is not known).
struct ParameterDifference {
  std::string parameter;
  std::string description;
  std::string first;
  std::string second;
};

// The motor, the move and its parameters, then each I-variable (by suffix) that differs. Names
// come from the definition table when given (the first run's motor), else from the tuning pages'
// labels.
std::vector<ParameterDifference> CompareRuns(const TuningRun& first, const TuningRun& second,
                                             const DefinitionTable* names = nullptr);

// A known value as the lists show it (a whole number without decimals), or "---".
std::string VariableText(const std::optional<double>& value);

// The run's series into series 1..n of the table (n at most the table's series count), as
// reference series are made: active and unscaled, their words the values' L encoding.
void RunIntoTable(const TuningRun& run, series::SeriesTable& table);

// The most runs one graph overlays: one trace each.
inline constexpr int kMaxOverlaidRuns = 4;

// The actual position of each run (at most kMaxOverlaidRuns) into series 1..n, aligned at the
// move start: each begins as long before its move as the run that started soonest, and counts
// from where the commanded position started. The graph's slots show them on the left axis
// and the metrics table is turned off, since series 1 is no commanded position any more.
// Returns how many runs were overlaid.
int OverlayRuns(std::span<const TuningRun> runs, series::SeriesTable& table,
                graph::GraphView& view);

// Where the commanded position first leaves its start value, in samples (0 when it never does).
std::size_t MoveStartIndex(const std::vector<double>& commanded);

}  // namespace bl::tuning
