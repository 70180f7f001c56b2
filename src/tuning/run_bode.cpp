#include "tuning/run_bode.h"

#include "platform/text_format.h"
#include "tuning/position_loop.h"
#include "tuning/servo_law.h"

namespace bl::tuning {

std::optional<RunBode> AnalyzeRunBode(const TuningRun& run, const series::EstimateOptions& options,
                                      std::string& error) {
  if (run.series.size() < 2) {
    error = "The run holds no commanded and actual position.";
    return std::nullopt;
  }
  const RunSeries& commanded = run.series[0];
  const RunSeries& actual = run.series[1];
  auto closed = series::EstimateFrequencyResponse(commanded.values, actual.values,
                                                  commanded.period, options, error);
  if (!closed) return std::nullopt;
  RunBode result;
  result.closedLoop = std::move(*closed);
  const series::BodeResponse& bode = result.closedLoop.bode;
  if (options.wholeRun)
    result.lines.push_back(platform::Format(
        "The whole run in one transform, %.4g Hz apart; coherence over %d bins each side.",
        bode.frequency.front(), options.smoothingBins));
  else
    result.lines.push_back(platform::Format("%lld segments of %lld samples averaged, %.4g Hz apart.",
                                            result.closedLoop.segmentCount,
                                            result.closedLoop.segmentLength,
                                            bode.frequency.front()));
  VariableValues values;
  for (int suffix = 0; suffix < kMotorVariableCount; ++suffix)
    if (const auto& v = run.variables[static_cast<std::size_t>(suffix)])
      values[MotorVariable(run.motor, suffix)] = *v;
  // The run keeps its samples' period; with a sample every servo cycle that is the servo period.
  const double servoPeriod =
      commanded.period / static_cast<double>(run.gatherPeriod > 0 ? run.gatherPeriod : 1);
  std::string lawError;
  if (const auto law = ServoLawFromVariables(values, run.motor, servoPeriod, lawError))
    result.openLoop = OpenLoopFromClosedLoop(bode, *law);
  else
    result.lines.push_back("No open loop or margins: the run's gains are not known (" + lawError +
                           ")");
  result.margins = series::MeasureLoopMargins(result.openLoop.value_or(series::BodeResponse{}),
                                              bode, series::kMarginCoherence);
  for (const auto& [label, value] : series::LoopMarginRows(result.margins)) {
    if (!result.openLoop && label != "Closed-loop bandwidth (-3 dB)") continue;
    result.lines.push_back(label + ": " + value);
  }
  return result;
}

}  // namespace bl::tuning
