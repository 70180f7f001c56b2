#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bl {
class PmacLink;
struct ControllerType;
namespace platform {
class Clock;
class Desktop;
}  // namespace platform
namespace series {
class SeriesTable;
struct GatherBuffer;
}  // namespace series
namespace graph {
struct GraphSettings;
struct GraphView;
}  // namespace graph
}  // namespace bl

namespace bl::tuning {

class TuningRecorder;

// The three moves of the "Test Moves" page, numbered as the controller program's P951 takes them.
enum class TestMoveKind : int { kStep = 1, kTrapezoid = 2, kSineSweep = 3 };

// The moves' parameters, kept for the run (and between runs in "test_moves.conf"). Fields that
// were refused stay stored as typed, so the user can correct them.
struct TestMoveParameters {
  int stepSize = 500;   // counts
  int stepDwell = 500;  // ms
  int trapezoidSize = 5000;
  int trapezoidDwell = 1000;
  float velocity = 10.0f;     // counts/ms
  float acceleration = 0.2f;  // counts/ms^2
  int sweepSize = 1000;
  int sweepTime = 5000;  // ms
  int lowFrequency = 0;  // Hz
  int highFrequency = 25;
};

// The ten fields of the page, in the order the page and TestMoveFieldTexts keep them.
inline constexpr int kTestMoveFieldCount = 10;
inline constexpr std::string_view kTestMoveErrorTitle = "Test Move Error";
inline constexpr std::string_view kTuningErrorTitle = "Tuning Error";
inline constexpr std::string_view kTestMoveStartError =
    "Error Starting Test Move!\n  1.  Is the motor enabled?\n  2.  Has 'BL_TestMove.pmc' been "
    "downloaded?\n  3.  Is Coordinate Sytem #8 in use?\n  4.  Is I5 set to 2 or 3 for step moves?";

// The fields as the page shows them: integers with "%d", velocity and acceleration with "%.2f".
std::vector<std::string> TestMoveFieldTexts(const TestMoveParameters& p);
// Reads the fields back (integers as "%d" does, the two floats with "%f"); a field that does not
// parse keeps its stored value. Numbers beyond the 32-bit range stay at its ends.
void ReadTestMoveFields(const std::vector<std::string>& fields, TestMoveParameters& p);

// The first check the move fails, as the message the user is shown; nothing when it may run.
std::optional<std::string_view> TestMoveProblem(TestMoveKind kind, const TestMoveParameters& p);

// The motor registers a test move gathers, in the controller's memory words.
struct MotorRegisters {
  std::uint32_t commandedPosition = 0;  // D-memory
  std::uint32_t actualPosition = 0;     // D-memory
  std::uint32_t servoOutput = 0;        // X-memory
};
MotorRegisters MotorRegistersFor(int typeCode, int motor);

// Ix08 as a test move scales by: 96 when it could not be read, else within 1..2048.
double TestMoveIx08(std::optional<double> read);

// Series 1..3 set up for the motor's commanded position, actual position and servo output;
// series 4..seriesCount made inactive.
void PrepareTestMoveSeries(series::SeriesTable& table, int motor, const MotorRegisters& registers,
                           double ix08);
// The graph's traces: both positions on the left axis, the servo output (or, for the trapezoid,
// the following error) on the right.
void SetTestMoveTraces(graph::GraphSettings& graph, TestMoveKind kind);

// The lines that hand the move to the controller program, in the order they are sent.
std::vector<std::string> TestMoveStartCommands(TestMoveKind kind, const TestMoveParameters& p,
                                               int motor, const MotorRegisters& registers,
                                               double ix08);

// What a test move works with; the Workbench owns every record.
struct TestMoveContext {
  PmacLink& link;
  platform::Desktop& desktop;
  platform::Clock& clock;
  const ControllerType& type;
  series::SeriesTable& table;
  series::GatherBuffer& gather;
  graph::GraphSettings& graph;
  // Set while a started move's gathered data is still to be uploaded (the monitor clears it).
  std::atomic<bool>& pending;
  // When given, the time graph shows the step metrics of a step or trapezoid (series 1 and 2).
  graph::GraphView* view = nullptr;
  // When given, a move that starts is remembered with the motor's I-variables, to be kept in
  // the tuning history once its data is in.
  TuningRecorder* recorder = nullptr;
};

enum class TestMoveOutcome {
  kRefused,     // a parameter was out of range: its message box was shown, nothing sent
  kStarted,     // the program answered the handshake; the data is uploaded when gathering ends
  kNotStarted,  // no handshake: the "Tuning Error" box was shown
};

// Validates, prepares the series, traces and gathering, starts the move, waits 2000 ms on the
// clock and checks the handshake (P950 = 2). A step dwell below 1 is stored as 1.
TestMoveOutcome StartTestMove(const TestMoveContext& context, TestMoveKind kind,
                              TestMoveParameters& p, int motor);

// The parameters kept between runs in the user's config folder ("test_moves.conf").
std::string TestMoveSettingsPath();
std::string TestMoveSettingsText(const TestMoveParameters& p);
// Takes each value the text holds within its valid range; everything else keeps its value.
void ApplyTestMoveSettings(std::string_view text, TestMoveParameters& p);
bool LoadTestMoveSettings(const std::string& path, TestMoveParameters& p, std::string& error);
bool SaveTestMoveSettings(const std::string& path, const TestMoveParameters& p, std::string& error);

}  // namespace bl::tuning
