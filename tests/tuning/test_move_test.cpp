#include "tuning/test_move.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "controller/controller_type.h"
#include "graph/graph_settings.h"
#include "link/fake_vendor_library.h"
#include "platform/fake/fake_clock.h"
#include "series/gather.h"
#include "series/series_table.h"
#include "tuning/test_moves_presenter.h"

namespace bl::tuning {
namespace {

using ::testing::ElementsAre;
using ::testing::Optional;

std::optional<std::string_view> Problem(TestMoveKind kind, auto change) {
  TestMoveParameters p;
  change(p);
  return TestMoveProblem(kind, p);
}

TEST(TestMoveValidation, BoundsAreInclusiveAndChecksRunInTheGivenOrder) {
  const auto step = TestMoveKind::kStep;
  EXPECT_EQ(Problem(step, [](auto&) {}), std::nullopt);
  EXPECT_EQ(Problem(step, [](auto& p) { p.stepSize = 10000, p.stepDwell = 1; }), std::nullopt);
  EXPECT_THAT(Problem(step, [](auto& p) { p.stepSize = 0, p.stepDwell = 0; }),
              Optional(std::string_view("Dwell time must be between 1 and 10,000ms.")));
  EXPECT_THAT(Problem(step, [](auto& p) { p.stepSize = 10001; }),
              Optional(std::string_view("Step size must be between 1 and 10,000cts.")));

  const auto sweep = TestMoveKind::kSineSweep;
  // The move time is checked before the size, even when both are wrong.
  EXPECT_THAT(Problem(sweep, [](auto& p) { p.sweepTime = 0, p.sweepSize = 0; }),
              Optional(std::string_view("Move time must be between 1 and 10,000ms.")));
  EXPECT_THAT(Problem(sweep, [](auto& p) { p.sweepSize = -5; }),
              Optional(std::string_view("Sine sweep size must be between 1 and 10,000cts.")));
  const std::string_view badFrequency = "Invalid frequency specified.  Range is 0 to 100Hz.";
  EXPECT_THAT(Problem(sweep, [](auto& p) { p.lowFrequency = 30, p.highFrequency = 25; }),
              Optional(badFrequency));
  EXPECT_THAT(Problem(sweep, [](auto& p) { p.lowFrequency = -1; }), Optional(badFrequency));
  EXPECT_THAT(Problem(sweep, [](auto& p) { p.highFrequency = 101; }), Optional(badFrequency));
  EXPECT_EQ(Problem(sweep, [](auto& p) { p.lowFrequency = 25, p.highFrequency = 25; }),
            std::nullopt);
  // The step's own fields do not hold a sweep back.
  EXPECT_EQ(Problem(sweep, [](auto& p) { p.stepDwell = 0; }), std::nullopt);
}

TEST(TestMoveValidation, TheTrapezoidMustReachItsVelocity) {
  const auto move = TestMoveKind::kTrapezoid;
  const auto sized = [](int size, float velocity, float acceleration) {
    return [=](TestMoveParameters& p) {
      p.trapezoidSize = size, p.velocity = velocity, p.acceleration = acceleration;
    };
  };
  EXPECT_EQ(Problem(move, [](auto&) {}), std::nullopt);
  // 100 / 10 = 10 / 1 exactly: accepted; one count less is refused.
  EXPECT_EQ(Problem(move, sized(100, 10, 1)), std::nullopt);
  EXPECT_THAT(Problem(move, sized(99, 10, 1)),
              Optional(std::string_view("This move is too small to reach the desired velocity.")));
  // 0.01 as typed is accepted; 0.009 is not, and neither is "nan".
  EXPECT_EQ(Problem(move, sized(100, 0.01f, 0.01f)), std::nullopt);
  const std::string_view badVelocity = "Velocity must be between 0.01 and 1,000.00cts/msec.";
  EXPECT_THAT(Problem(move, sized(100, 0.009f, 1)), Optional(badVelocity));
  EXPECT_THAT(Problem(move, sized(100, std::nanf(""), 1)), Optional(badVelocity));
  EXPECT_THAT(Problem(move, sized(100, 1, 100.5f)),
              Optional(std::string_view("Acceleration must be between 0.01 and 100.00cts/msec.")));
  EXPECT_THAT(Problem(move, [](auto& p) { p.trapezoidDwell = 0, p.trapezoidSize = 0; }),
              Optional(std::string_view("Dwell time must be between 1 and 10,000ms.")));
  EXPECT_THAT(Problem(move, [](auto& p) { p.trapezoidSize = 0; }),
              Optional(std::string_view("Move size must be between 1 and 10,000cts.")));
}

TEST(TestMoveFields, UnreadableFieldsKeepTheirValueAndHugeNumbersStayRefusable) {
  TestMoveParameters p;
  EXPECT_THAT(TestMoveFieldTexts(p), ElementsAre("500", "500", "5000", "1000", "10.00", "0.20",
                                                 "1000", "5000", "0", "25"));
  std::vector<std::string> fields = TestMoveFieldTexts(p);
  fields[0] = "abc";
  fields[1] = "99999999999999999999";
  fields[4] = "0.01";
  fields[5] = "";
  fields[8] = "-3xyz";
  ReadTestMoveFields(fields, p);
  EXPECT_EQ(p.stepSize, 500);
  EXPECT_EQ(p.stepDwell, 2147483647);
  EXPECT_EQ(p.velocity, 0.01f);
  EXPECT_EQ(p.acceleration, 0.2f);
  EXPECT_EQ(p.lowFrequency, -3);
  // Too few fields: nothing is taken.
  ReadTestMoveFields({"1"}, p);
  EXPECT_EQ(p.stepSize, 500);
}

TEST(TestMoveRegisters, AddressesFollowTheControllerType) {
  const auto regs = [](int type, int motor) {
    const MotorRegisters r = MotorRegistersFor(type, motor);
    return std::vector<std::uint32_t>{r.commandedPosition, r.actualPosition, r.servoOutput};
  };
  EXPECT_THAT(regs(5, 1), ElementsAre(0x88, 0x8B, 0xBF));
  EXPECT_THAT(regs(4, 3), ElementsAre(0x188, 0x18B, 0x1BF));
  EXPECT_THAT(regs(2, 1), ElementsAre(0x28, 0x2B, 0x43));
  EXPECT_THAT(regs(1, 3), ElementsAre(160, 163, 0xBD));
  EXPECT_THAT(regs(3, 8), ElementsAre(460, 463, 487));
}

TEST(TestMoveRegisters, Ix08IsClampedAndDefaultsTo96) {
  EXPECT_EQ(TestMoveIx08(0.0), 1.0);
  EXPECT_EQ(TestMoveIx08(-5.0), 1.0);
  EXPECT_EQ(TestMoveIx08(4096.0), 2048.0);
  EXPECT_EQ(TestMoveIx08(std::nullopt), 96.0);
  EXPECT_EQ(TestMoveIx08(std::nan("")), 96.0);
}

TEST(TestMoveSettings, KeepOnlyWhatIsWithinRange) {
  TestMoveParameters p;
  p.stepSize = 123;
  p.velocity = 0.37f;
  p.highFrequency = 80;
  TestMoveParameters back;
  ApplyTestMoveSettings(TestMoveSettingsText(p), back);
  EXPECT_EQ(back.stepSize, 123);
  EXPECT_EQ(back.velocity, 0.37f);
  EXPECT_EQ(back.highFrequency, 80);

  TestMoveParameters hostile;
  ApplyTestMoveSettings(
      "step.size=0\nstep.dwell=1e9\ntrapezoid.velocity=nan\ntrapezoid.acceleration=1e40\n"
      "sweep.low=-1\nsweep.high\n=5\n\x01\xff=3\nsweep.time=42",
      hostile);
  TestMoveParameters defaults;
  defaults.sweepTime = 42;
  EXPECT_EQ(TestMoveSettingsText(hostile), TestMoveSettingsText(defaults));

  const std::string path =
      (std::filesystem::path(BL_TEST_CONFIG_DIR) / "settings-test" / "test_moves.conf").string();
  std::string error;
  ASSERT_TRUE(SaveTestMoveSettings(path, p, error)) << error;
  TestMoveParameters read;
  ASSERT_TRUE(LoadTestMoveSettings(path, read, error)) << error;
  EXPECT_EQ(TestMoveSettingsText(read), TestMoveSettingsText(p));
  std::filesystem::remove(path);
}

// A move against the scripted library: the controller answers the Ix08 read and the handshake.
class TestMoveStartTest : public ::testing::Test, public test::LinkFixture {
 protected:
  void SetUp() override {
    Connect();
    SetTypeFromTable(type, 5);
    type.typeCode = 5;
    table.seriesCount = 48;
    for (int k = 1; k <= 48; ++k) table[k].active = true;
    state->responder = [this](const std::string& command) -> std::string {
      if (command == "I308") return ix08 + "\r\x06";
      if (command == "P950") return handshake + "\r\x06";
      if (command == "#") return "3\r\x06";
      return "\r\x06";
    };
  }
  // The commands after the gather definition.
  std::vector<std::string> MoveCommands() {
    std::vector<std::string> all = state->Commands();
    const auto defined = std::find(all.begin(), all.end(), "DEF GAT");
    return {defined == all.end() ? all.begin() : defined + 1, all.end()};
  }

  std::string ix08 = "96";
  std::string handshake = "2";
  ControllerType type;
  series::SeriesTable table;
  series::GatherBuffer gather;
  graph::GraphSettings graph;
  std::atomic<bool> pending{false};
  platform::FakeClock clock;
  TestMoveContext context{link, desktop, clock, type, table, gather, graph, pending};
  TestMoveParameters parameters;
};

TEST_F(TestMoveStartTest, AStepMoveSetsUpTheSeriesAndSendsItsCommands) {
  ix08 = "4096";
  EXPECT_EQ(StartTestMove(context, TestMoveKind::kStep, parameters, 3), TestMoveOutcome::kStarted);
  EXPECT_TRUE(pending);
  EXPECT_THAT(MoveCommands(), ElementsAre("P950=1 P951=1 P952=500 P953=500 P958=2048",
                                          "M950->D:$188 M951->X:$0,24", "ENA PLC31", "P950"));
  EXPECT_EQ(clock.Now(), std::chrono::milliseconds(2000));
  EXPECT_TRUE(desktop.messages.empty());

  EXPECT_EQ(table[1].title, "Motor #3 Commanded Position (cts*Ix08)");
  EXPECT_EQ(table[2].title, "Motor #3 Actual Position (cts*Ix08)");
  EXPECT_EQ(table[3].title, "Motor #3 DAC Output (Bits)");
  EXPECT_DOUBLE_EQ(table[2].scaleFactor, 1.0 / (32 * 2048));
  EXPECT_EQ(table[3].sourceType, series::SourceType::kX);
  EXPECT_EQ(table[3].address, 0x1BFu);
  EXPECT_EQ(table[3].startingBit, 8);
  EXPECT_EQ(table[3].wordLength, 16);
  for (int k = 1; k <= 3; ++k) EXPECT_TRUE(table[k].active && table[k].sampleCount == 0) << k;
  for (int k = 4; k <= 48; ++k) EXPECT_FALSE(table[k].active) << k;
  EXPECT_EQ(graph.slots[2].series, 3);
  EXPECT_EQ(graph.slots[2].axis, 1);
  // Ix08 is read first; the gather definition comes before the move.
  EXPECT_EQ(state->Commands().front(), "I308");
}

TEST_F(TestMoveStartTest, TheOtherMovesHandTheMotorToCoordinateSystem8) {
  parameters.velocity = 12.345f;
  EXPECT_EQ(StartTestMove(context, TestMoveKind::kTrapezoid, parameters, 3),
            TestMoveOutcome::kStarted);
  EXPECT_THAT(MoveCommands(), ElementsAre("P950=1 P951=2 P952=5000 P953=1000 P954=12.35 P955=0.20",
                                          "&8 UNDEFINE ALL #3->X", "&8 B999R", "P950"));
  // The trapezoid's right axis shows the following error.
  EXPECT_EQ(graph.slots[2].series, 1);
  EXPECT_EQ(graph.slots[2].secondSeries, 2);
  EXPECT_EQ(graph.slots[2].operation, 1);

  state->commands.clear();
  parameters.stepDwell = 0;  // a sweep stores the step's dwell as 1
  EXPECT_EQ(StartTestMove(context, TestMoveKind::kSineSweep, parameters, 3),
            TestMoveOutcome::kStarted);
  EXPECT_THAT(MoveCommands(), ElementsAre("P950=1 P951=3 P952=1000 P953=5000 P956=0 P957=25",
                                          "&8 UNDEFINE ALL #3->X", "&8 B999R", "P950"));
  EXPECT_EQ(parameters.stepDwell, 1);
}

TEST_F(TestMoveStartTest, RefusedAndUnansweredMovesLeaveNothingPending) {
  parameters.sweepTime = 0;
  EXPECT_EQ(StartTestMove(context, TestMoveKind::kSineSweep, parameters, 3),
            TestMoveOutcome::kRefused);
  EXPECT_TRUE(state->Commands().empty());
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].title, "Test Move Error");

  desktop.messages.clear();
  pending = true;
  handshake = "1";
  ix08 = "garbage";
  EXPECT_EQ(StartTestMove(context, TestMoveKind::kStep, parameters, 3),
            TestMoveOutcome::kNotStarted);
  EXPECT_FALSE(pending);
  // Ix08 that does not read is taken as 96.
  EXPECT_EQ(MoveCommands().front(), "P950=1 P951=1 P952=500 P953=500 P958=96");
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].title, "Tuning Error");
  EXPECT_EQ(desktop.messages[0].icon, platform::MessageIcon::Warning);
  EXPECT_EQ(desktop.messages[0].text,
            "Error Starting Test Move!\n  1.  Is the motor enabled?\n  2.  Has "
            "'BL_TestMove.pmc' been downloaded?\n  3.  Is Coordinate Sytem #8 in use?\n  4.  Is "
            "I5 set to 2 or 3 for step moves?");
}

TEST_F(TestMoveStartTest, ThePageGivesThePendingMoveUpOnEachOfItsEvents) {
  int graphs = 0, downloads = 0;
  int motorCount = 8;
  MotorSelection selection(link, terminal.addressedMotor, motorCount);
  type.motorCount = 8;
  TestMovesPresenter page(
      context, parameters, selection, [&] { ++graphs; }, [&] { ++downloads; }, "");
  page.Activate();
  EXPECT_EQ(selection.Motor(), 3);
  page.fields[0] = "700";
  EXPECT_EQ(page.Start(TestMoveKind::kStep), TestMoveOutcome::kStarted);
  EXPECT_EQ(parameters.stepSize, 700);
  EXPECT_EQ(graphs, 1);
  EXPECT_TRUE(pending);
  page.Leave();
  EXPECT_FALSE(pending);

  pending = true;
  selection.Select(1);
  page.MotorAddressed();
  EXPECT_FALSE(pending);
  pending = true;
  page.DownloadProgram();
  EXPECT_FALSE(pending);
  EXPECT_EQ(downloads, 1);

  // A refused move does not switch to the graph, but its fields stay stored.
  page.fields[1] = "0";
  EXPECT_EQ(page.Start(TestMoveKind::kStep), TestMoveOutcome::kRefused);
  EXPECT_EQ(graphs, 1);
  EXPECT_EQ(parameters.stepDwell, 0);
  // A sweep afterwards stores the step's dwell as 1, and the page shows it so.
  EXPECT_EQ(page.Start(TestMoveKind::kSineSweep), TestMoveOutcome::kStarted);
  page.Activate();
  EXPECT_EQ(page.fields[1], "1");
}

}  // namespace
}  // namespace bl::tuning
