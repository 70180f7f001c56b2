#include "cli/tune_command.h"

#include <atomic>
#include <charconv>

#include "cli/cli.h"
#include "cli/gather_command.h"
#include "controller/controller_type.h"
#include "graph/graph_settings.h"
#include "series/gather.h"
#include "series/series_table.h"
#include "tuning/tuning_history.h"

namespace bl::cli {

namespace {

using tuning::TestMoveKind;
using tuning::TestMoveParameters;

// Which field of the parameters an option sets for a move; nullptr when the move has none.
int* IntField(TestMoveKind kind, const std::string& option, TestMoveParameters& p) {
  switch (kind) {
    case TestMoveKind::kStep:
      if (option == "--size") return &p.stepSize;
      if (option == "--dwell") return &p.stepDwell;
      return nullptr;
    case TestMoveKind::kTrapezoid:
      if (option == "--size") return &p.trapezoidSize;
      if (option == "--dwell") return &p.trapezoidDwell;
      return nullptr;
    case TestMoveKind::kSineSweep:
      if (option == "--size") return &p.sweepSize;
      if (option == "--time") return &p.sweepTime;
      if (option == "--low") return &p.lowFrequency;
      if (option == "--high") return &p.highFrequency;
      return nullptr;
  }
  return nullptr;
}

float* FloatField(TestMoveKind kind, const std::string& option, TestMoveParameters& p) {
  if (kind != TestMoveKind::kTrapezoid) return nullptr;
  if (option == "--velocity") return &p.velocity;
  if (option == "--acceleration") return &p.acceleration;
  return nullptr;
}

bool IsTuneOption(const std::string& option) {
  for (const char* known : {"--motor", "--size", "--dwell", "--time", "--velocity",
                            "--acceleration", "--low", "--high", "--download", "--output",
                            "--period"})
    if (option == known) return true;
  return false;
}

}  // namespace

bool ParseTuneOptions(const std::vector<std::string>& args, std::size_t& i, TuneOptions& options,
                      std::string& problem) {
  const std::string move = i < args.size() ? args[i] : std::string();
  if (move == "step") {
    options.kind = TestMoveKind::kStep;
  } else if (move == "trapezoid") {
    options.kind = TestMoveKind::kTrapezoid;
  } else if (move == "sweep") {
    options.kind = TestMoveKind::kSineSweep;
  } else {
    problem = "tune needs a move: step, trapezoid or sweep";
    return false;
  }
  ++i;
  while (i < args.size() && IsTuneOption(args[i])) {
    const std::string option = args[i];
    if (option == "--download") {
      options.download = true;
      ++i;
      continue;
    }
    if (i + 1 >= args.size()) {
      problem = "tune: " + option + " needs a value";
      return false;
    }
    const std::string& value = args[i + 1];
    if (option == "--motor") {
      const std::optional<int> motor = ToInt(value, 1, 32);
      if (!motor) {
        problem = "tune: --motor takes a motor number from 1 to 32";
        return false;
      }
      options.motor = *motor;
    } else if (option == "--output") {
      options.outputFile = value;
    } else if (option == "--period") {
      const std::optional<int> period = ToInt(value, 1, 65535);
      if (!period) {
        problem = "tune: --period takes a number of servo cycles from 1 to 65535";
        return false;
      }
      options.gatherPeriod = *period;
    } else if (int* field = IntField(options.kind, option, options.parameters)) {
      const std::optional<int> number = ParseNumber<int>(value);
      if (number) *field = *number;
      if (!number) {
        problem = "tune: " + option + " takes a whole number";
        return false;
      }
    } else if (float* real = FloatField(options.kind, option, options.parameters)) {
      const std::optional<float> number = ParseNumber<float>(value);
      if (number) *real = *number;
      if (!number) {
        problem = "tune: " + option + " takes a number";
        return false;
      }
    } else {
      problem = "tune " + move + ": " + option + " is not a setting of this move";
      return false;
    }
    i += 2;
  }
  if (options.motor == 0) {
    problem = "tune: --motor is needed";
    return false;
  }
  return true;
}

int RunTune(const TuneOptions& options, PmacLink& link, DefinitionTable& definitions,
            Terminal& terminal, platform::Desktop& desktop, platform::Clock& clock,
            std::ostream& out, std::ostream& err) {
  ControllerType type;
  IdentifyForScript(type, link, definitions, terminal, err);
  if (options.motor > type.motorCount) {
    err << "brightlantern-cli: tune: this controller has motors 1 to " << type.motorCount << '\n';
    return kExitUsage;
  }

  // The user's gather period and buffer size, as the program would use them.
  series::SeriesTable table;
  series::GatherBuffer buffer;
  std::string error;
  if (!series::LoadGatherSettings(buffer, table, error))
    err << "brightlantern-cli: " << error << '\n';
  table.seriesCount = type.seriesCount;
  if (options.gatherPeriod > 0) buffer.period = options.gatherPeriod;
  graph::GraphSettings graph;
  std::atomic<bool> pending{false};
  TestMoveParameters parameters = options.parameters;

  err << "starting the move on motor " << options.motor << '\n';
  tuning::TuningRecorder recorder;
  const tuning::TestMoveContext context{link,   desktop, clock,   type,    table,
                                        buffer, graph,   pending, nullptr, &recorder};
  switch (tuning::StartTestMove(context, options.kind, parameters, options.motor)) {
    case tuning::TestMoveOutcome::kRefused:
      return kExitUsage;
    case tuning::TestMoveOutcome::kNotStarted:
      return kExitFailed;
    case tuning::TestMoveOutcome::kStarted:
      break;
  }
  err << "the move has started; waiting for gathering to end\n";
  if (const int status = WaitForGatheringEnd(link, type, "", err); status != kExitOk) return status;
  const int status = UploadAndWriteCsv(link, terminal, desktop, type, buffer, table, {1, 2, 3},
                                       options.outputFile, out, err);
  // The run is kept whenever its data came in, even when the CSV could not be written.
  if (table[1].sampleCount > 0 && table[2].sampleCount > 0) {
    if (recorder.Finish(table, tuning::NowMs(), error))
      err << "kept in the tuning history as " << recorder.LastSaved() << '\n';
    else
      err << "brightlantern-cli: " << error << '\n';
  }
  return status;
}

}  // namespace bl::cli
