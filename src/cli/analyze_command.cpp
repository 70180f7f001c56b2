#include "cli/analyze_command.h"

#include <cstdio>
#include <optional>

#include "cli/cli.h"
#include "cli/series_command.h"
#include "graph/graph_input.h"
#include "platform/files.h"
#include "platform/text_format.h"
#include "series/frequency_estimate.h"
#include "series/loop_margins.h"
#include "series/series_table.h"
#include "series/step_metrics.h"
#include "tuning/excitation.h"
#include "tuning/servo_law.h"

namespace bl::cli {

namespace {

std::string Number(const std::optional<double>& value) {
  return value ? platform::Format("%.9g", *value) : std::string();
}

// The motor a test move's series title names ("Motor #2 Commanded Position ..."); else 1.
int MotorOfTitle(const std::string& title) {
  int motor = 0;
  const std::size_t at = title.find("Motor #");
  if (at == std::string::npos ||
      std::sscanf(title.substr(at, 16).c_str(), "Motor #%d", &motor) != 1)
    return 1;
  return motor >= 1 && motor <= 32 ? motor : 1;
}

struct BodeOptions {
  int commanded = 1, actual = 2, motor = 0;
  series::EstimateOptions estimate;
  std::string ivars;
  bool openLoop = false;
};

// "analyze bode RUN [...]": the closed loop commanded -> actual, or with --open-loop the open
// loop, as CSV; the margins on err.
int RunBode(const std::string& path, const BodeOptions& o, std::ostream& out, std::ostream& err) {
  const auto fail = [&](const std::string& problem) {
    err << "brightlantern-cli: " << problem << '\n';
    return kExitFailed;
  };
  series::SeriesTable table;
  graph::GraphView view;
  if (const int status = ReadSeriesInput(path, table, view, err); status != kExitOk) return status;
  const series::DataSeries& c = table[o.commanded];
  const series::DataSeries& a = table[o.actual];
  std::string error;
  const auto closed =
      series::EstimateFrequencyResponse(c.values, a.values, c.rawDataPeriod, o.estimate, error);
  if (!closed) return fail(path + ": " + error);

  std::optional<series::BodeResponse> open;
  if (!o.ivars.empty()) {
    std::string text;
    bool tooLong = false;
    if (!platform::ReadFileBounded(o.ivars, tuning::kMaxVariableFileBytes, text, tooLong, error))
      return fail(error);
    if (tooLong) return fail(o.ivars + ": larger than any configuration file; nothing was read");
    const tuning::VariableValues values = tuning::ParseVariableAssignments(text);
    const int motor = o.motor != 0 ? o.motor : MotorOfTitle(c.title);
    if (!values.count(10))
      err << o.ivars << ": no I10; the servo period is taken as the sample period\n";
    const auto law = tuning::ServoLawFromVariables(values, motor, c.rawDataPeriod, error);
    if (!law) return fail(o.ivars + ": motor " + std::to_string(motor) + ": " + error);
    open = tuning::OpenLoopFromClosedLoop(closed->bode, *law);
  } else if (o.openLoop) {
    return fail("--open-loop needs --ivars FILE with the motor's I-variables");
  }

  const series::BodeResponse& shown = o.openLoop ? *open : closed->bode;
  std::string csv = "frequency,magnitude_db,phase_deg,coherence\n";
  for (std::size_t k = 0; k < shown.frequency.size(); ++k) {
    csv += platform::Format("%.9g,%.6f,%.4f,%.6f\n", shown.frequency[k], shown.magnitudeDb[k],
                            shown.phaseDeg[k], shown.coherence[k]);
  }
  out << csv;

  err << platform::Format("%s: %lld segments of %lld samples averaged, %.4g Hz apart\n",
                          path.c_str(), closed->segmentCount, closed->segmentLength,
                          closed->bode.frequency.front());
  const series::LoopMargins margins = series::MeasureLoopMargins(
      open.value_or(series::BodeResponse{}), closed->bode, series::kMarginCoherence);
  for (const auto& [label, value] : series::LoopMarginRows(margins)) {
    if (!open && label != "Closed-loop bandwidth (-3 dB)") continue;
    err << label << ": " << value << '\n';
  }
  if (!open) err << "Open loop and margins: need --ivars FILE with the motor's I-variables\n";
  return kExitOk;
}

}  // namespace

int RunAnalyzeCommand(const std::vector<std::string>& args, std::size_t& i, std::ostream& out,
                      std::ostream& err) {
  auto usage = [&err](const std::string& problem) {
    err << "brightlantern-cli: " << problem << "\nTry 'brightlantern-cli --help'.\n";
    return kExitUsage;
  };
  if (i < args.size() && args[i] == "chirp") {
    ++i;
    tuning::ChirpParameters p;
    int program = 998;
    bool gather = false;
    while (i < args.size() && args[i].starts_with("--")) {
      const std::string& name = args[i];
      if (name == "--gather") {
        gather = true;
        ++i;
        continue;
      }
      if (i + 1 >= args.size()) return usage(name + " needs a value");
      const std::string& value = args[i + 1];
      if (name == "--program") {
        const auto n = ToInt(value, 1, 32767);
        if (!n) return usage("--program takes a motion program number from 1 to 32767");
        program = *n;
      } else {
        const std::optional<double> v = ParseNumber<double>(value);
        double* field = name == "--amplitude" ? &p.amplitude
                        : name == "--low"     ? &p.lowHz
                        : name == "--high"    ? &p.highHz
                        : name == "--time"    ? &p.durationMs
                                              : nullptr;
        if (field == nullptr) return usage("analyze chirp: unknown option " + name);
        if (!v) return usage(name + " takes a number");
        *field = *v;
      }
      i += 2;
    }
    if (const auto problem = tuning::ChirpProblem(p)) return usage("analyze chirp: " + *problem);
    for (const std::string& line : tuning::ChirpProgramLines(p, program, gather))
      out << line << "\r\n";
    return kExitOk;
  }
  if (i < args.size() && args[i] == "bode") {
    if (i + 1 >= args.size()) return usage("analyze bode needs a run file");
    const std::string path = args[i + 1];
    i += 2;
    BodeOptions o;
    while (i < args.size() && args[i].starts_with("--")) {
      const std::string& name = args[i];
      if (name == "--help") {
        out << UsageText();
        i = args.size();
        return kExitOk;
      }
      if (name == "--open-loop") {
        o.openLoop = true;
        ++i;
        continue;
      }
      if (i + 1 >= args.size()) return usage(name + " needs a value");
      const std::string& value = args[i + 1];
      if (name == "--commanded" || name == "--actual") {
        const auto n = ToInt(value, 1, series::kMaxSeriesCount);
        if (!n) return usage(name + " takes a series number from 1 to 48");
        (name == "--commanded" ? o.commanded : o.actual) = *n;
      } else if (name == "--segments") {
        const auto n = ToInt(value, series::kMinSegmentCount, series::kMaxSegmentCount);
        if (!n) return usage("--segments takes a number from 2 to 4096");
        o.estimate.segmentCount = *n;
      } else if (name == "--ivars") {
        o.ivars = value;
      } else if (name == "--motor") {
        const auto n = ToInt(value, 1, 32);
        if (!n) return usage("--motor takes a motor number from 1 to 32");
        o.motor = *n;
      } else {
        return usage("analyze bode: unknown option " + name);
      }
      i += 2;
    }
    return RunBode(path, o, out, err);
  }
  if (i >= args.size() || args[i] != "metrics") return usage("analyze needs metrics or bode RUN");
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
