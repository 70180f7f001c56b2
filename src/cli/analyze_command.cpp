#include "cli/analyze_command.h"

#include <optional>

#include "cli/cli.h"
#include "cli/series_command.h"
#include "graph/graph_input.h"
#include "platform/text_format.h"
#include "series/series_table.h"
#include "series/step_metrics.h"

namespace bl::cli {

namespace {

std::string Number(const std::optional<double>& value) {
  return value ? platform::Format("%.9g", *value) : std::string();
}

}  // namespace

int RunAnalyzeCommand(const std::vector<std::string>& args, std::size_t& i, std::ostream& out,
                      std::ostream& err) {
  auto usage = [&err](const std::string& problem) {
    err << "brightlantern-cli: " << problem << "\nTry 'brightlantern-cli --help'.\n";
    return kExitUsage;
  };
  if (i >= args.size() || args[i] != "metrics") return usage("analyze needs metrics RUN");
  if (i + 1 >= args.size()) return usage("analyze metrics needs a run file");
  const std::string path = args[i + 1];
  i += 2;
  int commanded = 1, actual = 2;
  while (i < args.size() && (args[i] == "--commanded" || args[i] == "--actual")) {
    const std::optional<int> n =
        i + 1 < args.size() ? ToInt(args[i + 1], 1, series::kMaxSeriesCount) : std::nullopt;
    if (!n) return usage(args[i] + " takes a series number from 1 to 48");
    (args[i] == "--commanded" ? commanded : actual) = *n;
    i += 2;
  }

  series::SeriesTable table;
  graph::GraphView view;
  if (const int status = ReadSeriesInput(path, table, view, err); status != kExitOk) return status;
  const series::DataSeries& c = table[commanded];
  const series::DataSeries& a = table[actual];
  std::string error;
  const auto m = series::MeasureStep(c.values, a.values, c.rawDataPeriod, error);
  if (!m) {
    err << "brightlantern-cli: " << path << ": " << error << '\n';
    return kExitFailed;
  }
  out << "metric,value\n"
      << "step_size," << Number(m->stepSize) << '\n'
      << "step_time_s," << Number(m->stepTime) << '\n'
      << "rise_time_s," << Number(m->riseTime) << '\n'
      << "overshoot_percent," << Number(m->overshoot) << '\n'
      << "settling_time_s," << Number(m->settlingTime) << '\n'
      << "peak_following_error," << Number(m->peakFollowingError) << '\n'
      << "rms_following_error," << Number(m->rmsFollowingError) << '\n'
      << "steady_state_error," << Number(m->steadyStateError) << '\n';
  for (const std::string& note : m->notes) err << path << ": " << note << '\n';
  return kExitOk;
}

}  // namespace bl::cli
