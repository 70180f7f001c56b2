#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "series/step_metrics.h"
#include "tuning/test_move.h"

namespace bl {
class PmacLink;
namespace series {
class SeriesTable;
}
}  // namespace bl

namespace bl::tuning {

// Every test move that ran to its end is kept as a run: what moved, how, with which gains, and
// what was gathered, so that a change of gains can be judged against the moves before it.
//
// A run file is text, CR LF line ends (LF read too):
//   Brightlantern Tuning Run            the header line
//   version=1                           the layout; a reader refuses a newer one
//   time=2026-12-07T05:02:38.123Z       when the move ended, UTC
//   type=5                              the controller type code 1..6
//   type.name=Turbo PMAC2
//   device=device 0                     how the controller was reached (may be empty)
//   motor=1
//   move=step|trapezoid|sweep
//   move.<parameter>=<value>            the move's own parameters (size, dwell, velocity,
//                                       acceleration, time, low, high)
//   gather.period=<n>                   servo cycles between two samples (left out when not
//                                       known; older files lack it)
//   metric.<name>=<value>               the step metrics, when the move has a step
//   I<m>00=<value> .. I<m>99=<value>    the motor's I-variables as read before the move; a
//                                       variable that could not be read is left out
//   series=<title>                      then series.period=<s> and series.samples=<n>, then n
//   ...                                 lines of one value each; repeated for each series
//   end=<series count>                  the last line: a file without it was cut short
// Numbers are written so that they read back exactly.
inline constexpr std::string_view kRunFileHeader = "Brightlantern Tuning Run";
inline constexpr int kRunFileVersion = 1;
inline constexpr std::string_view kRunFileExtension = ".blrun";
// A run file beyond this is refused unread: far more than the largest gather buffer gives.
inline constexpr std::size_t kMaxRunFileBytes = std::size_t{256} << 20;
inline constexpr int kMotorVariableCount = 100;  // Ixx00..Ixx99
inline constexpr int kDefaultRunsKept = 200;

struct RunSeries {
  std::string title;
  double period = 0.0;  // seconds between samples
  std::vector<double> values;
};

struct TuningRun {
  // The file's name without its extension: the time of the run, unique within its motor's
  // folder ("20261207-050238-123", a suffix "-2" for a second run in the same millisecond).
  std::string id;
  std::int64_t timeMs = 0;  // milliseconds since 1970-01-01 UTC
  int typeCode = 0;
  std::string typeName;
  std::string device;
  int motor = 1;
  TestMoveKind kind = TestMoveKind::kStep;
  TestMoveParameters parameters;
  int gatherPeriod = 0;  // servo cycles per sample, 0 when not known
  // Ixx00..Ixx99 of the motor; empty where the value is not known.
  std::array<std::optional<double>, kMotorVariableCount> variables{};
  // The step metrics of a step or trapezoid (the notes are not kept).
  std::optional<series::StepMetrics> metrics;
  // Commanded position, actual position, then every other series gathered with them.
  std::vector<RunSeries> series;
};

// "2026-12-07 05:02:38" (UTC) for lists; the file keeps the milliseconds as well.
std::string RunTimeText(std::int64_t timeMs);
// "step", "trapezoid", "sweep".
std::string_view MoveName(TestMoveKind kind);
// The move and its parameters in a line: "step 500 cts, dwell 500 ms".
std::string MoveText(TestMoveKind kind, const TestMoveParameters& p);
// The move's parameters by their file names ("size", "dwell", ...) with their values as text.
std::vector<std::pair<std::string, std::string>> MoveParameters(TestMoveKind kind,
                                                                const TestMoveParameters& p);

std::string RunFileText(const TuningRun& run);
// Reads a run file; false with a sentence in error when it is not one, is of a newer layout,
// or is damaged or cut short. Bounded: kMaxRunFileBytes, at most kMaxSeriesCount series, and no
// series claims more samples than the text has lines left.
bool ParseRunFile(std::string_view text, TuningRun& run, std::string& error);

// The motor's I-variables read through the link, all of them in one exchange ("I100..199");
// when that reply does not hold the hundred values, one by one. What cannot be read stays
// unknown (all of it when not connected): a value from elsewhere might be another motor's.
std::array<std::optional<double>, kMotorVariableCount> ReadMotorVariables(PmacLink& link,
                                                                          int motor);

// The runs kept on disk: <folder>/<controller>/motor<N>/<id>.blrun, where controller is the
// type's short name (TURBO2, PMAC1, ...).
class TuningHistory {
 public:
  explicit TuningHistory(std::string folder, int keep = kDefaultRunsKept);

  const std::string& Folder() const { return folder_; }
  std::string MotorFolder(int typeCode, int motor) const;
  std::string RunPath(int typeCode, int motor, const std::string& id) const;

  // Writes the run (atomically) under a fresh id made from its time, which is stored in run.id,
  // then drops the oldest runs of the motor beyond the limit.
  bool Save(TuningRun& run, std::string& error);

  struct Listing {
    std::vector<TuningRun> runs;        // newest first, without their series values
    std::vector<std::string> problems;  // one sentence for each file that was refused
  };
  Listing List(int typeCode, int motor) const;
  // Every run of every controller and motor (the runs' type and motor say where they are).
  Listing ListAll() const;
  // One run in full. A run of another controller type than typeCode is refused.
  bool Load(int typeCode, int motor, const std::string& id, TuningRun& run,
            std::string& error) const;
  bool Remove(int typeCode, int motor, const std::string& id, std::string& error) const;

 private:
  void Prune(int typeCode, int motor) const;
  void ListFolder(const std::string& folder, int typeCode, Listing& listing) const;

  std::string folder_;
  int keep_;
};

// How the command line names a run: "TURBO2/motor1/20261207-050238-123", its place in the
// history folder.
std::string RunReference(const TuningRun& run);
// The run a reference names; false with a sentence in error when there is no such run.
bool SplitRunReference(std::string_view reference, int& typeCode, int& motor, std::string& id,
                       std::string& error);

// Reads a run file at path; refused as ParseRunFile refuses, and when typeCode is above 0 and
// the run is of another controller type.
bool LoadRunFile(const std::string& path, int typeCode, TuningRun& run, std::string& error);

// The history in the user's data folder ($XDG_DATA_HOME or ~/.local/share, then
// brightlantern/history).
std::string DefaultHistoryFolder();

// Keeps the run of a started test move until its data has come in.
class TuningRecorder {
 public:
  explicit TuningRecorder(std::string folder = DefaultHistoryFolder()) : history_(folder) {}

  TuningHistory& History() { return history_; }

  // The move has been handed to the controller: what it is, and the motor's I-variables now.
  void Begin(const TestMoveContext& context, TestMoveKind kind, const TestMoveParameters& p,
             int motor);
  // The move was given up or refused: nothing is kept.
  void Cancel() { pending_.reset(); }
  bool Pending() const { return pending_.has_value(); }
  // The gathered data is in the table: the run takes the active series (1 and 2 first), the
  // step metrics when the move has a step, and is saved. False with a sentence in error when
  // no move was pending or the run could not be written.
  bool Finish(const series::SeriesTable& table, std::int64_t timeMs, std::string& error);
  // The reference of the run Finish saved last (RunReference).
  const std::string& LastSaved() const { return lastSaved_; }

 private:
  TuningHistory history_;
  std::optional<TuningRun> pending_;
  std::string lastSaved_;
};

// Milliseconds since 1970-01-01 UTC, now.
std::int64_t NowMs();

}  // namespace bl::tuning
