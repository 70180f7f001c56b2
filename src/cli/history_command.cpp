#include "cli/history_command.h"

#include <filesystem>

#include "cli/cli.h"
#include "platform/files.h"
#include "platform/text_format.h"
#include "series/series_csv.h"
#include "series/series_table.h"
#include "tuning/tuning_compare.h"
#include "tuning/tuning_history.h"

namespace bl::cli {

namespace {

const char kHistoryUsage[] =
    "  history list [--motor N]\n"
    "                        the test moves kept in the tuning history (every move the\n"
    "                        program or tune ran to its end), newest first, as CSV: the\n"
    "                        run's name, time (UTC), controller, motor, move, Ix30 to\n"
    "                        Ix33, overshoot and settling time; damaged runs are named on\n"
    "                        standard error and skipped\n"
    "  history show RUN      a run's controller, move, step metrics, the motor's\n"
    "                        I-variables and its series\n"
    "  history diff RUN1 RUN2\n"
    "                        the parameters two runs do not share, as CSV: the move's, then\n"
    "                        each I-variable that differs\n"
    "  history export RUN OUT.csv\n"
    "                        a run's series as CSV (as series convert writes it)\n"
    "                        RUN is a name as history list shows it (TURBO2/motor1/ID) or\n"
    "                        a .blrun file; the history is kept in\n"
    "                        ~/.local/share/brightlantern/history; needs no controller\n";

std::string Metric(const std::optional<series::StepMetrics>& m,
                   std::optional<double> series::StepMetrics::*field) {
  if (!m || !((*m).*field)) return {};
  return platform::Format("%.6g", *((*m).*field));
}

// A CSV cell: quoted when it holds a comma, a quote or a line end.
std::string Cell(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

bool LoadRun(const std::string& name, tuning::TuningRun& run, std::ostream& err) {
  std::string error;
  bool ok = false;
  std::error_code fsError;
  if (name.ends_with(tuning::kRunFileExtension) &&
      std::filesystem::is_regular_file(name, fsError)) {
    ok = tuning::LoadRunFile(name, 0, run, error);
  } else {
    int typeCode = 0, motor = 0;
    std::string id;
    const tuning::TuningHistory history(tuning::DefaultHistoryFolder());
    ok = tuning::SplitRunReference(name, typeCode, motor, id, error) &&
         history.Load(typeCode, motor, id, run, error);
  }
  if (!ok) err << "brightlantern-cli: history: " << error << '\n';
  return ok;
}

int List(int motor, std::ostream& out, std::ostream& err) {
  const tuning::TuningHistory history(tuning::DefaultHistoryFolder());
  const tuning::TuningHistory::Listing listing = history.ListAll();
  for (const std::string& problem : listing.problems)
    err << "brightlantern-cli: history: " << problem << '\n';
  out << "run,time,controller,motor,move,Ix30,Ix31,Ix32,Ix33,overshoot_percent,"
         "settling_time_s\n";
  for (const tuning::TuningRun& run : listing.runs) {
    if (motor > 0 && run.motor != motor) continue;
    out << tuning::RunReference(run) << ',' << tuning::RunTimeText(run.timeMs) << ','
        << Cell(run.typeName) << ',' << run.motor << ','
        << Cell(tuning::MoveText(run.kind, run.parameters));
    for (int suffix = 30; suffix <= 33; ++suffix)
      out << ',' << tuning::VariableText(run.variables[suffix]);
    out << ',' << Metric(run.metrics, &series::StepMetrics::overshoot) << ','
        << Metric(run.metrics, &series::StepMetrics::settlingTime) << '\n';
  }
  return kExitOk;
}

int Show(const tuning::TuningRun& run, std::ostream& out) {
  out << "run: " << tuning::RunReference(run) << '\n'
      << "time: " << tuning::RunTimeText(run.timeMs) << " UTC\n"
      << "controller: " << run.typeName << (run.device.empty() ? "" : ", " + run.device) << '\n'
      << "motor: " << run.motor << '\n'
      << "move: " << tuning::MoveText(run.kind, run.parameters) << '\n';
  if (run.metrics) {
    out << "step metrics:\n";
    for (const auto& [label, value] : series::StepMetricRows(*run.metrics))
      out << "  " << label << ": " << value << '\n';
  }
  out << "I-variables:\n";
  for (int suffix = 0; suffix < tuning::kMotorVariableCount; ++suffix)
    if (run.variables[static_cast<std::size_t>(suffix)])
      out << "  I" << run.motor * 100 + suffix << " = "
          << tuning::VariableText(run.variables[static_cast<std::size_t>(suffix)]) << '\n';
  out << "series:\n";
  for (const tuning::RunSeries& s : run.series)
    out << "  " << s.title << ": " << s.values.size() << " samples every "
        << platform::Format("%g", s.period * 1000) << " ms\n";
  return kExitOk;
}

}  // namespace

const char* HistoryUsageText() { return kHistoryUsage; }

int RunHistoryCommand(const std::vector<std::string>& args, std::size_t& i, std::ostream& out,
                      std::ostream& err) {
  auto usage = [&err](const std::string& problem) {
    err << "brightlantern-cli: " << problem << "\nTry 'brightlantern-cli history --help'.\n";
    return kExitUsage;
  };
  const std::string what = i < args.size() ? args[i++] : std::string();
  auto next = [&]() -> std::optional<std::string> {
    if (i >= args.size()) return std::nullopt;
    return args[i++];
  };
  if (what == "--help" || what == "-h") {
    out << "Usage: brightlantern-cli history list|show|diff|export ...\n\n" << kHistoryUsage;
    return kExitOk;
  }
  if (what == "list") {
    int motor = 0;
    if (i < args.size() && args[i] == "--motor") {
      ++i;
      const auto value = next();
      const std::optional<int> n = value ? ToInt(*value, 1, 32) : std::nullopt;
      if (!n) return usage("history list: --motor takes a motor number from 1 to 32");
      motor = *n;
    }
    return List(motor, out, err);
  }
  if (what == "show") {
    const auto name = next();
    if (!name) return usage("history show needs a run");
    tuning::TuningRun run;
    return LoadRun(*name, run, err) ? Show(run, out) : kExitFailed;
  }
  if (what == "diff") {
    const auto first = next();
    const auto second = next();
    if (!first || !second) return usage("history diff needs two runs");
    tuning::TuningRun a, b;
    if (!LoadRun(*first, a, err) || !LoadRun(*second, b, err)) return kExitFailed;
    out << "parameter,description," << Cell(*first) << ',' << Cell(*second) << '\n';
    for (const tuning::ParameterDifference& d : tuning::CompareRuns(a, b))
      out << Cell(d.parameter) << ',' << Cell(d.description) << ',' << Cell(d.first) << ','
          << Cell(d.second) << '\n';
    return kExitOk;
  }
  if (what == "export") {
    const auto name = next();
    const auto file = next();
    if (!name || !file) return usage("history export needs a run and a CSV file");
    tuning::TuningRun run;
    if (!LoadRun(*name, run, err)) return kExitFailed;
    series::SeriesTable table;
    tuning::RunIntoTable(run, table);
    std::vector<int> columns;
    for (int k = 1; k <= static_cast<int>(run.series.size()) && k <= table.seriesCount; ++k)
      columns.push_back(k);
    std::string error;
    if (!platform::WriteFileAtomically(*file, series::SeriesCsv(table, columns), error)) {
      err << "brightlantern-cli: history: " << error << '\n';
      return kExitFailed;
    }
    err << "wrote " << columns.size() << " series of " << tuning::RunReference(run) << '\n';
    return kExitOk;
  }
  return usage(what.empty() ? "history needs list, show, diff or export"
                            : "history: unknown subcommand " + what);
}

}  // namespace bl::cli
