#include "cli/analyze_command.h"

#include <algorithm>
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
#include "tuning/plant_fit.h"
#include "tuning/position_loop.h"
#include "tuning/servo_law.h"
#include "tuning/tuning_history.h"
#include "tuning/what_if.h"

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

  if (o.estimate.wholeRun)
    err << platform::Format("%s: the whole run in one transform of %lld samples, %.4g Hz apart; "
                            "coherence over %d bins each side\n",
                            path.c_str(), closed->segmentLength, closed->bode.frequency.front(),
                            o.estimate.smoothingBins);
  else
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

struct PredictOptions {
  std::string from, set, move, ivars;
  int commanded = 1, actual = 2, output = 3, motor = 0;
  bool suggest = false;
  tuning::MarginGoal goal;
};

// The series and I-variables of a run: a tuning history run file (with the gains it ran with)
// or any series file, its gains then from --ivars.
struct PredictInput {
  std::vector<double> commanded, actual, output;
  double period = 0.0;
  int motor = 1;
  int gatherPeriod = 0;  // servo cycles per sample, 0 when not known
  tuning::VariableValues variables;
};

int ReadPredictInput(const PredictOptions& o, PredictInput& in, std::ostream& err) {
  const auto fail = [&](const std::string& problem) {
    err << "brightlantern-cli: " << problem << '\n';
    return kExitFailed;
  };
  std::string error;
  if (o.from.ends_with(tuning::kRunFileExtension)) {
    tuning::TuningRun run;
    if (!tuning::LoadRunFile(o.from, 0, run, error)) return fail(error);
    const auto pick = [&](int n) -> const tuning::RunSeries* {
      return n >= 1 && static_cast<std::size_t>(n) <= run.series.size()
                 ? &run.series[static_cast<std::size_t>(n - 1)]
                 : nullptr;
    };
    const tuning::RunSeries *c = pick(o.commanded), *a = pick(o.actual), *u = pick(o.output);
    if (c == nullptr || a == nullptr || u == nullptr)
      return fail(o.from + ": the run has no series " +
                  std::to_string(c == nullptr ? o.commanded : a == nullptr ? o.actual : o.output));
    in.commanded = c->values;
    in.actual = a->values;
    in.output = u->values;
    in.period = c->period;
    in.motor = run.motor;
    in.gatherPeriod = run.gatherPeriod;
    for (int suffix = 0; suffix < tuning::kMotorVariableCount; ++suffix)
      if (const auto& v = run.variables[static_cast<std::size_t>(suffix)])
        in.variables[tuning::MotorVariable(run.motor, suffix)] = *v;
  } else {
    series::SeriesTable table;
    graph::GraphView view;
    if (const int status = ReadSeriesInput(o.from, table, view, err); status != kExitOk)
      return status;
    in.commanded = table[o.commanded].values;
    in.actual = table[o.actual].values;
    in.output = table[o.output].values;
    in.period = table[o.commanded].rawDataPeriod;
    in.motor = MotorOfTitle(table[o.commanded].title);
  }
  if (o.motor != 0) in.motor = o.motor;
  if (in.output.empty())
    return fail(o.from + ": the run has no servo output in series " + std::to_string(o.output) +
                "; name it with --output N");
  if (!o.ivars.empty()) {
    std::string text;
    bool tooLong = false;
    if (!platform::ReadFileBounded(o.ivars, tuning::kMaxVariableFileBytes, text, tooLong, error))
      return fail(error);
    if (tooLong) return fail(o.ivars + ": larger than any configuration file; nothing was read");
    for (const auto& [n, v] : tuning::ParseVariableAssignments(text)) in.variables[n] = v;
  }
  return kExitOk;
}

// "analyze predict": identify the plant of a run, then predict a move under edited gains.
int RunPredict(const PredictOptions& o, std::ostream& out, std::ostream& err) {
  const auto fail = [&](const std::string& problem) {
    err << "brightlantern-cli: " << problem << '\n';
    return kExitFailed;
  };
  PredictInput in;
  if (const int status = ReadPredictInput(o, in, err); status != kExitOk) return status;
  std::string error;
  err << "identifying the plant of " << o.from << " (" << in.actual.size() << " samples)\n";
  if (in.gatherPeriod > 1)
    return fail(platform::Format("%s: the run was gathered every %d servo cycles. ",
                                 o.from.c_str(), in.gatherPeriod) +
                std::string(tuning::kEveryCycleHint));
  const auto plant = tuning::FitPlant(in.actual, in.output, in.period, {}, error);
  if (!plant)
    return fail(o.from + ": " + error +
                (in.gatherPeriod == 0 ? " " + std::string(tuning::kEveryCycleHint) : ""));
  for (const std::string& line : tuning::PlantReport(*plant)) err << line << '\n';

  const int motor = in.motor;
  const auto own = tuning::LoopSettingsFromVariables(in.variables, motor, in.period, error);
  if (!own)
    return fail(o.from + ": motor " + std::to_string(motor) + ": " + error +
                " The run's gains are needed: give them with --ivars FILE.");
  const std::optional<int> lag =
      tuning::MeasureOutputLag(*own, in.commanded, in.actual, in.output);
  if (!lag)
    err << "the run's output does not follow these I-variables; its alignment is assumed\n";
  {
    const tuning::Prediction replay =
        tuning::Predict(*plant, *own, lag.value_or(0), in.commanded, {1.0});
    if (replay.stable)
      err << platform::Format("replayed with its own gains: %.2f %% normalized RMS error\n",
                              tuning::NormalizedRmsError(replay.actual, in.actual));
  }

  tuning::VariableValues edited = in.variables;
  std::string set = o.set;
  std::replace(set.begin(), set.end(), ',', ' ');
  const tuning::VariableValues changes = tuning::ParseVariableAssignments(set);
  for (const auto& [n, v] : changes) {
    if (n / 100 != motor) err << "I" << n << " is not motor " << motor << "'s; it changes nothing\n";
    edited[n] = v;
  }
  const auto loop = tuning::LoopSettingsFromVariables(edited, motor, in.period, error);
  if (!loop) return fail("the edited gains: " + error);

  std::vector<double> path = in.commanded;
  if (!o.move.empty()) {
    const auto move = tuning::ParseMoveShape(o.move, error);
    if (!move) return fail("--move: " + error);
    path = tuning::CommandedPath(*move, in.period);
    if (path.empty()) return fail("--move: the move is too long to predict");
  }
  const double nyquist = 0.5 / in.period;
  const tuning::Prediction p = tuning::Predict(*plant, *loop, lag.value_or(0), path,
                                               tuning::LogFrequencies(0.1, nyquist * 0.999, 400));
  if (!p.stable) return fail(p.problem);

  std::string csv = "time_s,commanded,actual,output\n";
  for (std::size_t k = 0; k < p.actual.size(); ++k)
    csv += platform::Format("%.9g,%.9g,%.9g,%.9g\n", static_cast<double>(k) * p.period,
                            p.commanded[k], p.actual[k], p.output[k]);
  out << csv;
  for (const auto& [label, value] : series::LoopMarginRows(p.margins))
    err << label << ": " << value << '\n';
  if (p.metrics) {
    err << "Rise time: " << Number(p.metrics->riseTime) << " s, overshoot: "
        << Number(p.metrics->overshoot) << " %, settling time: "
        << Number(p.metrics->settlingTime) << " s\n";
  }
  if (p.saturated) err << "the output meets its limit (Ix69) during the move\n";
  if (o.suggest) {
    const auto s = tuning::SuggestSettings(*plant, edited, motor, lag.value_or(0), o.goal, error);
    if (!s) {
      err << "no suggestion: " << error << '\n';
    } else {
      for (const std::string& reason : s->reasons) err << reason << '\n';
      std::string line = "suggested:";
      for (const auto& [n, v] : s->changes) line += platform::Format(" I%d=%.9g", n, v);
      err << line << '\n';
    }
  }
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
      if (name == "--whole") {
        o.estimate.wholeRun = true;
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
      } else if (name == "--smooth") {
        const auto n = ToInt(value, 1, series::kMaxSmoothingBins);
        if (!n) return usage("--smooth takes a number of bins from 1 to 64");
        o.estimate.smoothingBins = *n;
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
  if (i < args.size() && args[i] == "predict") {
    ++i;
    PredictOptions o;
    while (i < args.size() && args[i].starts_with("--")) {
      const std::string& name = args[i];
      if (name == "--help") {
        out << UsageText();
        i = args.size();
        return kExitOk;
      }
      if (name == "--suggest") {
        o.suggest = true;
        ++i;
        continue;
      }
      if (i + 1 >= args.size()) return usage(name + " needs a value");
      const std::string& value = args[i + 1];
      if (name == "--from") {
        o.from = value;
      } else if (name == "--set") {
        o.set = value;
      } else if (name == "--move") {
        o.move = value;
      } else if (name == "--ivars") {
        o.ivars = value;
      } else if (name == "--commanded" || name == "--actual" || name == "--output") {
        const auto n = ToInt(value, 1, series::kMaxSeriesCount);
        if (!n) return usage(name + " takes a series number from 1 to 48");
        (name == "--commanded" ? o.commanded : name == "--actual" ? o.actual : o.output) = *n;
      } else if (name == "--motor") {
        const auto n = ToInt(value, 1, 32);
        if (!n) return usage("--motor takes a motor number from 1 to 32");
        o.motor = *n;
      } else if (name == "--phase-margin" || name == "--gain-margin") {
        const std::optional<double> v = ParseNumber<double>(value);
        if (!v || *v < 0 || *v > (name == "--phase-margin" ? 90 : 40))
          return usage(name + (name == "--phase-margin" ? " takes 0 to 90 degrees"
                                                        : " takes 0 to 40 dB"));
        (name == "--phase-margin" ? o.goal.phaseMarginDeg : o.goal.gainMarginDb) = *v;
      } else {
        return usage("analyze predict: unknown option " + name);
      }
      i += 2;
    }
    if (o.from.empty()) return usage("analyze predict needs --from RUN");
    return RunPredict(o, out, err);
  }
  if (i >= args.size() || args[i] != "metrics")
    return usage("analyze needs metrics, bode, predict or chirp");
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
