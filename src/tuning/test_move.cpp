#include "tuning/test_move.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <limits>
#include <sstream>

#include "controller/controller_type.h"
#include "graph/graph_input.h"
#include "graph/graph_settings.h"
#include "link/pmac_link.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/settings_file.h"
#include "platform/text_format.h"
#include "series/gather.h"
#include "series/series_table.h"
#include "tuning/tuning_history.h"

namespace bl::tuning {

namespace {

constexpr int kReplySize = 250;
// A field holds a number, not an essay: what lies beyond this is not read.
constexpr std::size_t kFieldChars = 64;
constexpr std::size_t kMaxSettingsBytes = 4096;
constexpr double kUnreadIx08 = 96.0;
constexpr auto kHandshakeWait = std::chrono::milliseconds(2000);
constexpr int kHandshakeStarted = 2;

// Each range check is written as "not within", so a NaN typed as "nan" is refused too.
bool Within(int value, int low, int high) { return value >= low && value <= high; }
// The float fields are compared as floats: 0.01 typed is 0.01f, which a double 0.01 would refuse.
bool Within(float value, float low, float high) { return value >= low && value <= high; }

int ReadIntField(const std::string& text, int stored) {
  const auto number = platform::ParseNumberField(platform::Cut(text, kFieldChars), false);
  if (!number) return stored;
  return static_cast<int>(std::clamp<long long>(*number, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

float ReadFloatField(const std::string& text, float stored) {
  float value = 0;
  return platform::Scan(text, kFieldChars, "%f", &value) == 1 ? value : stored;
}

void SetUpSeries(series::DataSeries& s, std::string_view title, series::SourceType type,
                 std::uint32_t address, int startingBit, int length, double scale) {
  s.SetTitle(title);
  s.sourceType = type;
  s.address = address;
  s.startingBit = startingBit;
  s.wordLength = length;
  s.signedData = true;
  s.integrationMode = series::IntegrationMode::kNone;
  s.scaleFactor = scale;
  s.offset = 0.0;
  s.normalizeFilterGain = false;
  s.active = true;
}

}  // namespace

std::vector<std::string> TestMoveFieldTexts(const TestMoveParameters& p) {
  using platform::Format;
  return {Format("%d", p.stepSize),
          Format("%d", p.stepDwell),
          Format("%d", p.trapezoidSize),
          Format("%d", p.trapezoidDwell),
          Format("%.2f", static_cast<double>(p.velocity)),
          Format("%.2f", static_cast<double>(p.acceleration)),
          Format("%d", p.sweepSize),
          Format("%d", p.sweepTime),
          Format("%d", p.lowFrequency),
          Format("%d", p.highFrequency)};
}

void ReadTestMoveFields(const std::vector<std::string>& f, TestMoveParameters& p) {
  if (f.size() < kTestMoveFieldCount) return;
  p.stepSize = ReadIntField(f[0], p.stepSize);
  p.stepDwell = ReadIntField(f[1], p.stepDwell);
  p.trapezoidSize = ReadIntField(f[2], p.trapezoidSize);
  p.trapezoidDwell = ReadIntField(f[3], p.trapezoidDwell);
  p.velocity = ReadFloatField(f[4], p.velocity);
  p.acceleration = ReadFloatField(f[5], p.acceleration);
  p.sweepSize = ReadIntField(f[6], p.sweepSize);
  p.sweepTime = ReadIntField(f[7], p.sweepTime);
  p.lowFrequency = ReadIntField(f[8], p.lowFrequency);
  p.highFrequency = ReadIntField(f[9], p.highFrequency);
}

std::optional<std::string_view> TestMoveProblem(TestMoveKind kind, const TestMoveParameters& p) {
  switch (kind) {
    case TestMoveKind::kStep:
      if (!Within(p.stepDwell, 1, 10000)) return "Dwell time must be between 1 and 10,000ms.";
      if (!Within(p.stepSize, 1, 10000)) return "Step size must be between 1 and 10,000cts.";
      return std::nullopt;
    case TestMoveKind::kTrapezoid:
      if (!Within(p.trapezoidDwell, 1, 10000)) return "Dwell time must be between 1 and 10,000ms.";
      if (!Within(p.trapezoidSize, 1, 10000)) return "Move size must be between 1 and 10,000cts.";
      if (!Within(p.velocity, 0.01f, 1000.0f))
        return "Velocity must be between 0.01 and 1,000.00cts/msec.";
      if (!Within(p.acceleration, 0.01f, 100.0f))
        return "Acceleration must be between 0.01 and 100.00cts/msec.";
      // The time at speed may not be shorter than the time to reach it.
      if (static_cast<float>(p.trapezoidSize) / p.velocity < p.velocity / p.acceleration)
        return "This move is too small to reach the desired velocity.";
      return std::nullopt;
    case TestMoveKind::kSineSweep:
      if (!Within(p.sweepTime, 1, 10000)) return "Move time must be between 1 and 10,000ms.";
      if (!Within(p.sweepSize, 1, 10000)) return "Sine sweep size must be between 1 and 10,000cts.";
      if (!Within(p.lowFrequency, 0, 100) || !Within(p.highFrequency, 0, 100) ||
          p.lowFrequency > p.highFrequency)
        return "Invalid frequency specified.  Range is 0 to 100Hz.";
      return std::nullopt;
  }
  return std::nullopt;
}

MotorRegisters MotorRegistersFor(int typeCode, int motor) {
  const auto m = static_cast<std::uint32_t>(std::max(1, motor));
  if (typeCode > 3) return {m * 128 + 8, m * 128 + 11, m * 128 + 63};
  // PMAC1 keeps its DAC output two words further on than the PMAC2 types.
  return {m * 60 - 20, m * 60 - 17, m * 60 + (typeCode == 1 ? 9 : 7)};
}

double TestMoveIx08(std::optional<double> read) {
  if (!read || std::isnan(*read)) return kUnreadIx08;
  return std::clamp(*read, 1.0, 2048.0);
}

void PrepareTestMoveSeries(series::SeriesTable& table, int motor, const MotorRegisters& r,
                           double ix08) {
  using series::SourceType;
  const double positionScale = 1.0 / (32.0 * ix08);
  SetUpSeries(table[1], platform::Format("Motor #%d Commanded Position (cts*Ix08)", motor),
              SourceType::kD, r.commandedPosition, 0, 48, positionScale);
  SetUpSeries(table[2], platform::Format("Motor #%d Actual Position (cts*Ix08)", motor),
              SourceType::kD, r.actualPosition, 0, 48, positionScale);
  SetUpSeries(table[3], platform::Format("Motor #%d DAC Output (Bits)", motor), SourceType::kX,
              r.servoOutput, 8, 16, 1.0);
  const int count = std::clamp(table.seriesCount, 3, series::kMaxSeriesCount);
  for (int k = 4; k <= count; ++k) table[k].active = false;
}

void SetTestMoveTraces(graph::GraphSettings& graph, TestMoveKind kind) {
  auto set = [&graph](int slot, int first, int second, int operation, int axis) {
    graph::Slot& s = graph.slots[static_cast<std::size_t>(slot)];
    s.series = first;
    s.secondSeries = second;
    s.operation = operation;
    s.axis = axis;
  };
  set(0, 1, 0, 0, 0);
  set(1, 2, 0, 0, 0);
  if (kind == TestMoveKind::kTrapezoid)
    set(2, 1, 2, 1, 1);  // the following error: commanded minus actual
  else
    set(2, 3, 0, 0, 1);
  set(3, 0, 0, 0, 0);
}

std::vector<std::string> TestMoveStartCommands(TestMoveKind kind, const TestMoveParameters& p,
                                               int motor, const MotorRegisters& r, double ix08) {
  using platform::Format;
  switch (kind) {
    case TestMoveKind::kStep:
      return {Format("P950=1 P951=1 P952=%d P953=%d P958=%.0lf", p.stepSize, p.stepDwell, ix08),
              Format("M950->D:$%X M951->X:$0,24", r.commandedPosition), "ENA PLC31"};
    case TestMoveKind::kTrapezoid:
      return {Format("P950=1 P951=2 P952=%d P953=%d P954=%.2f P955=%.2f", p.trapezoidSize,
                     p.trapezoidDwell, static_cast<double>(p.velocity),
                     static_cast<double>(p.acceleration)),
              Format("&8 UNDEFINE ALL #%d->X", motor), "&8 B999R"};
    case TestMoveKind::kSineSweep:
      return {Format("P950=1 P951=3 P952=%d P953=%d P956=%d P957=%d", p.sweepSize, p.sweepTime,
                     p.lowFrequency, p.highFrequency),
              Format("&8 UNDEFINE ALL #%d->X", motor), "&8 B999R"};
  }
  return {};
}

TestMoveOutcome StartTestMove(const TestMoveContext& c, TestMoveKind kind, TestMoveParameters& p,
                              int motor) {
  if (const auto problem = TestMoveProblem(kind, p)) {
    c.desktop.ShowMessage(*problem, kTestMoveErrorTitle, platform::MessageButtons::Ok);
    return TestMoveOutcome::kRefused;
  }
  // An earlier move still pending is given up: its series are about to be cleared, and its end
  // must not upload the buffer this move is filling.
  c.pending = false;
  if (p.stepDwell < 1) p.stepDwell = 1;

  const MotorRegisters registers = MotorRegistersFor(c.type.typeCode.load(), motor);
  double read = 0;
  const bool readOk = c.link.PmacValue(ValueKind::I, motor * 100 + 8, read, AccessMode::Read) == 0;
  const double ix08 = TestMoveIx08(readOk ? std::optional<double>(read) : std::nullopt);
  PrepareTestMoveSeries(c.table, motor, registers, ix08);
  SetTestMoveTraces(c.graph, kind);
  if (c.view) {
    // A sweep has no step to measure.
    const bool step = kind != TestMoveKind::kSineSweep;
    c.view->metricsCommanded = step ? 1 : 0;
    c.view->metricsActual = step ? 2 : 0;
  }
  series::DefineGather(c.link, c.type, c.gather, c.table);
  // The gains as they are while the move runs, read before it moves.
  if (c.recorder) c.recorder->Begin(c, kind, p, motor);

  std::string reply;
  for (const std::string& line : TestMoveStartCommands(kind, p, motor, registers, ix08))
    c.link.PmacCommand(reply, kReplySize, line, true);
  for (int k = 1; k <= 3; ++k) c.table.ClearSeries(k);

  c.clock.SleepFor(kHandshakeWait);
  reply.clear();
  c.link.PmacCommand(reply, kReplySize, "P950", true);
  int handshake = 0;
  if (platform::Scan(reply, reply.size(), "%d", &handshake) == 1 &&
      handshake == kHandshakeStarted) {
    c.pending = true;
    return TestMoveOutcome::kStarted;
  }
  c.pending = false;
  if (c.recorder) c.recorder->Cancel();
  c.desktop.ShowMessage(kTestMoveStartError, kTuningErrorTitle, platform::MessageButtons::Ok,
                        platform::MessageIcon::Warning);
  return TestMoveOutcome::kNotStarted;
}

// ---- Parameters kept between runs ----

std::string TestMoveSettingsPath() {
  return (std::filesystem::path(platform::ConfigFolder()) / "test_moves.conf").string();
}

std::string TestMoveSettingsText(const TestMoveParameters& p) {
  std::ostringstream out;
  out << "# Brightlantern test moves\n";
  out << "step.size=" << p.stepSize << "\n";
  out << "step.dwell=" << p.stepDwell << "\n";
  out << "trapezoid.size=" << p.trapezoidSize << "\n";
  out << "trapezoid.dwell=" << p.trapezoidDwell << "\n";
  out << "trapezoid.velocity=" << platform::DoubleSettingText(p.velocity) << "\n";
  out << "trapezoid.acceleration=" << platform::DoubleSettingText(p.acceleration) << "\n";
  out << "sweep.size=" << p.sweepSize << "\n";
  out << "sweep.time=" << p.sweepTime << "\n";
  out << "sweep.low=" << p.lowFrequency << "\n";
  out << "sweep.high=" << p.highFrequency << "\n";
  return out.str();
}

void ApplyTestMoveSettings(std::string_view text, TestMoveParameters& p) {
  struct IntSetting {
    std::string_view name;
    int TestMoveParameters::*field;
    int low, high;
  };
  static constexpr IntSetting kInts[] = {
      {"step.size", &TestMoveParameters::stepSize, 1, 10000},
      {"step.dwell", &TestMoveParameters::stepDwell, 1, 10000},
      {"trapezoid.size", &TestMoveParameters::trapezoidSize, 1, 10000},
      {"trapezoid.dwell", &TestMoveParameters::trapezoidDwell, 1, 10000},
      {"sweep.size", &TestMoveParameters::sweepSize, 1, 10000},
      {"sweep.time", &TestMoveParameters::sweepTime, 1, 10000},
      {"sweep.low", &TestMoveParameters::lowFrequency, 0, 100},
      {"sweep.high", &TestMoveParameters::highFrequency, 0, 100}};
  auto readFloat = [](std::string_view value, float low, float high, float& field) {
    double number = 0;
    if (platform::ParseDoubleSetting(value, number) &&
        Within(static_cast<float>(number), low, high))
      field = static_cast<float>(number);
  };
  for (const platform::SettingLine& line : platform::SettingLines(text, kMaxSettingsBytes)) {
    if (!line.hasValue) continue;
    for (const IntSetting& s : kInts)
      if (line.name == s.name) platform::ParseIntSetting(line.value, s.low, s.high, p.*s.field);
    if (line.name == "trapezoid.velocity") readFloat(line.value, 0.01f, 1000.0f, p.velocity);
    if (line.name == "trapezoid.acceleration") readFloat(line.value, 0.01f, 100.0f, p.acceleration);
  }
}

bool LoadTestMoveSettings(const std::string& path, TestMoveParameters& p, std::string& error) {
  std::string text;
  if (!platform::ReadSettingsFile(path, kMaxSettingsBytes, text, error)) return false;
  ApplyTestMoveSettings(text, p);
  return true;
}

bool SaveTestMoveSettings(const std::string& path, const TestMoveParameters& p,
                          std::string& error) {
  return platform::WriteSettingsFile(path, TestMoveSettingsText(p), error);
}

}  // namespace bl::tuning
