// The shipped test-move program on every controller type: downloaded as the workbench downloads
// it, started with the lines the "Test Moves" page sends, gathered until the controller
// ends gathering, uploaded and processed.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "commands/command_ids.h"
#include "controller/identify_controller.h"
#include "editor/editor_transfer.h"
#include "integration/fake_clock_program.h"
#include "platform/text_format.h"
#include "series/gather.h"
#include "series/series_table.h"
#include "series/upload.h"
#include "tuning/test_move.h"

namespace bl {
namespace {

using namespace std::chrono_literals;

constexpr int kGatherBit = 0x80000;
constexpr double kLeadInMs = 50;  // the program's rest before each move
constexpr int kStart = 1234;      // counts

struct Case {
  int type;
  int motor;
  int ix08;  // set on the motor before the moves
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << "type " << c.type << " motor " << c.motor << " Ix08 " << c.ix08;
}

class TestMovesTest : public ::testing::TestWithParam<Case> {
 protected:
  TestMovesTest() {
    DeviceTable table = p.devices.Table();
    table[0].virtualType = GetParam().type;
    std::string error;
    EXPECT_TRUE(p.devices.SetTable(table, error)) << error;
  }

  void SetUp() override {
    p.shell.SetCommand(cmd::kUploadData, [this] { ++uploadsAsked; });
    ASSERT_EQ(wb.link.LinkConnect(), 0);
    IdentifyController(wb.controllerType, wb.link, wb.definitions, wb.terminal, {});
    ASSERT_EQ(wb.controllerType.typeCode, GetParam().type);
    Send(platform::Format("I%d=%d", motor * 100 + 8, GetParam().ix08));
    // Away from zero, so that a program that forgot where the motor was would show it.
    Send(platform::Format("#%dJ=%d", motor, kStart));
    Run(1500ms);
    Download();
  }

  // The page's "BL_TestMoves.pmc" button: the shipped file, found in the data folder.
  void Download() {
    wb.transfer.DownloadProgram(editor::kDownloadTestMoves);
    const std::string& finished = wb.terminal.Line(0).text;
    EXPECT_TRUE(finished.starts_with("Download finished: ") && finished.ends_with(" 0 errors."))
        << finished;
  }

  std::string Send(const std::string& command) {
    std::string reply;
    wb.link.PmacCommand(reply, 1024, command, true);
    return reply;
  }
  int Value(const std::string& command) {
    int value = -1;
    platform::Scan(Send(command), 1024, "%d", &value);
    return value;
  }
  void Run(std::chrono::milliseconds span) {
    for (auto t = 0ms; t < span; t += 5ms) p.clock.Advance(5ms);
  }
  bool Gathering() { return (Value(wb.controllerType.IsTurbo() ? "RX:$6" : "RX:$3") & kGatherBit); }

  // The page's preparation: series 1..3 on the motor's commanded and actual position and servo
  // output, then the gather definition; then the page's start lines.
  void Start(tuning::TestMoveKind kind, const tuning::TestMoveParameters& parameters) {
    const tuning::MotorRegisters registers =
        tuning::MotorRegistersFor(wb.controllerType.typeCode, motor);
    const double ix08 = tuning::TestMoveIx08(Ix08());
    tuning::PrepareTestMoveSeries(wb.series, motor, registers, ix08);
    wb.gather.period = gatherPeriod;
    series::DefineGather(wb.link, wb.controllerType, wb.gather, wb.series);
    for (const std::string& line :
         tuning::TestMoveStartCommands(kind, parameters, motor, registers, ix08))
      Send(line);
  }
  int Ix08() { return Value(platform::Format("I%d", motor * 100 + 8)); }

  void StartStep(int size, int dwell) {
    Start(tuning::TestMoveKind::kStep, {.stepSize = size, .stepDwell = dwell});
  }
  void StartSweep(int size, int time, int low, int high) {
    Start(tuning::TestMoveKind::kSineSweep,
          {.sweepSize = size, .sweepTime = time, .lowFrequency = low, .highFrequency = high});
  }

  // The page's 2000 ms wait and handshake, then the monitor's cycles until it sees gathering
  // stopped and asks for the upload, which runs here. Returns the handshake and checks that
  // gathering was on once the move had started.
  int FinishMove() {
    Run(100ms);
    EXPECT_TRUE(Gathering());
    Run(1900ms);
    const int handshake = Value("P950");
    if (handshake != 2) return handshake;
    wb.testMovePending = true;
    uploadsAsked = 0;
    for (int cycles = 0; cycles < 200 && wb.testMovePending; ++cycles) {
      Run(100ms);
      wb.monitor.Cycle();
    }
    EXPECT_EQ(uploadsAsked, 1);
    EXPECT_FALSE(Gathering());
    const series::UploadReport report = series::UploadGatheredData(
        {wb.link, wb.terminal, p.desktop, p.ui, wb.controllerType, wb.gather, wb.series});
    EXPECT_EQ(report.outcome, series::UploadOutcome::kDone) << report.message;
    return handshake;
  }

  const std::vector<double>& Commanded() const { return wb.series[1].values; }
  const std::vector<double>& Actual() const { return wb.series[2].values; }
  double SampleMs() const { return wb.series[1].rawDataPeriod * 1000; }
  double GatheredMs() const { return wb.series[1].sampleCount * SampleMs(); }

  test::FakeClockProgram p{{BL_SOURCE_DATA_DIR}};
  Workbench& wb = p.workbench;
  const int motor = GetParam().motor;
  int gatherPeriod = 2;
  int uploadsAsked = 0;
};

// A step there and back: the commanded position jumps by the size (so the program scaled by
// the Ix08 it was given), holds for the dwell each way, and the load follows; gathering covers
// lead-in and both dwells and then stops. A second step starts the same way, after the file
// has been downloaded again over the gather buffer of the first, and is timed across the turn
// of the 24-bit servo counter.
TEST_P(TestMovesTest, StepMovesOutAndBackAndEndsGathering) {
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    if (run == 1) {
      Download();
      Send("WX:$0,$FFFF00");  // 256 cycles before it turns: within the first dwell
      ASSERT_GE(Value("RX:$0") & 0xFFFFFF, 0xFFFF00);
    }
    StartStep(400, 300);
    ASSERT_EQ(FinishMove(), 2);
    const std::vector<double>& c = Commanded();
    ASSERT_GT(c.size(), 100u);
    const double home = c.front();
    EXPECT_NEAR(home, kStart, 1e-6);
    EXPECT_NEAR(*std::max_element(c.begin(), c.end()), home + 400, 1e-6);
    EXPECT_NEAR(*std::min_element(c.begin(), c.end()), home, 1e-6);
    EXPECT_NEAR(c.back(), home, 1e-6);
    // Out for the dwell, within a sample.
    const auto out = std::count_if(c.begin(), c.end(), [&](double v) { return v > home + 200; });
    EXPECT_NEAR(out * SampleMs(), 300, 2 * SampleMs());
    EXPECT_NEAR(GatheredMs(), kLeadInMs + 2 * 300, 5 * SampleMs());
    const std::vector<double>& a = Actual();
    EXPECT_NEAR(*std::max_element(a.begin(), a.end()), home + 400, 40);
    EXPECT_NEAR(a.back(), home, 2);
  }
}

// Out and back at the given speed: the commanded path reaches the velocity and no more, turns
// at the size, and ends where it began. Run twice: the program leaves the system ready.
TEST_P(TestMovesTest, ConstantVelocityMoveReachesItsSpeed) {
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    Start(tuning::TestMoveKind::kTrapezoid,
          {.trapezoidSize = 2000, .trapezoidDwell = 200, .velocity = 10, .acceleration = 0.5});
    ASSERT_EQ(FinishMove(), 2);
    const std::vector<double>& c = Commanded();
    ASSERT_GT(c.size(), 100u);
    const double home = c.front();
    double fastest = 0;
    for (std::size_t i = 1; i < c.size(); ++i)
      fastest = std::max(fastest, std::fabs(c[i] - c[i - 1]) / SampleMs());
    EXPECT_NEAR(fastest, 10, 0.05);
    EXPECT_NEAR(*std::max_element(c.begin(), c.end()), home + 2000, 1e-3);
    EXPECT_NEAR(c.back(), home, 1e-3);
    // Lead-in, two moves of TM + TA (200 + 20 ms) and two dwells.
    EXPECT_NEAR(GatheredMs(), kLeadInMs + 2 * 220 + 2 * 200, 5 * SampleMs());
  }
}

// A sweep of 800 counts from 2 Hz to 12 Hz over 1000 ms: the commanded path swings by the
// amplitude about its start, and its zero crossings come closer together as the frequency rises
// linearly in time. Gathering ends with the sweep; the return to the start is not gathered but
// done, so a second sweep starts where the first did; that one with SIN working in radians.
TEST_P(TestMovesTest, SineSweepRisesFromLowToHighFrequency) {
  double firstHome = 0;
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    if (run == 1) Send("I15=1");
    StartSweep(800, 1000, 2, 12);
    ASSERT_EQ(FinishMove(), 2);
    const std::vector<double>& c = Commanded();
    ASSERT_GT(c.size(), 100u);
    const double home = c.front();
    if (run == 0) firstHome = home;
    EXPECT_NEAR(home, firstHome, 1e-3);
    EXPECT_NEAR(*std::max_element(c.begin(), c.end()), home + 800, 16);
    EXPECT_NEAR(*std::min_element(c.begin(), c.end()), home - 800, 16);
    EXPECT_NEAR(GatheredMs(), kLeadInMs + 1000, 5 * SampleMs());

    // Zero crossings after the lead-in; each half period gives the frequency at its middle.
    std::vector<double> crossings;
    for (std::size_t i = 1; i < c.size(); ++i) {
      const double before = c[i - 1] - home, after = c[i] - home;
      if ((before < 0) != (after < 0) && after != 0) {
        const double t = (static_cast<double>(i) - 1 + before / (before - after)) * SampleMs();
        crossings.push_back(t - kLeadInMs);
      }
    }
    // Turns in the sweep: (2 + 12) / 2 Hz over one second, two crossings a turn.
    EXPECT_NEAR(static_cast<double>(crossings.size()), 14, 1);
    for (std::size_t k = 1; k < crossings.size(); ++k) {
      const double middle = (crossings[k] + crossings[k - 1]) / 2;
      const double expected = 2 + 10 * middle / 1000;
      EXPECT_NEAR(500 / (crossings[k] - crossings[k - 1]), expected, 0.1 * expected) << k;
    }
  }
}

// At the top of the range the segments are still short enough for the path to keep the
// amplitude and the number of turns.
TEST_P(TestMovesTest, SineSweepKeepsItsShapeAtOneHundredHertz) {
  gatherPeriod = 1;
  StartSweep(500, 200, 90, 100);
  ASSERT_EQ(FinishMove(), 2);
  const std::vector<double>& c = Commanded();
  ASSERT_GT(c.size(), 100u);
  const double home = c.front();
  EXPECT_GT(*std::max_element(c.begin(), c.end()), home + 0.9 * 500);
  EXPECT_LT(*std::min_element(c.begin(), c.end()), home - 0.9 * 500);
  int crossings = 0;
  for (std::size_t i = 1; i < c.size(); ++i)
    if ((c[i - 1] < home) != (c[i] < home)) ++crossings;
  EXPECT_NEAR(crossings, 2 * 95 * 0.2, 1);
}

// PLCs switched off (I5=0): the step never answers the handshake and gathering never starts,
// which is what the page's error box asks about.
TEST_P(TestMovesTest, StepWithoutBackgroundPlcsNeverAnswers) {
  Send("I5=0");
  StartStep(400, 300);
  Run(2000ms);
  EXPECT_EQ(Value("P950"), 1);
  EXPECT_FALSE(Gathering());
}

INSTANTIATE_TEST_SUITE_P(EveryType, TestMovesTest,
                         ::testing::Values(Case{1, 1, 96}, Case{2, 2, 96}, Case{3, 1, 96},
                                           Case{4, 3, 48}, Case{5, 1, 96}, Case{6, 2, 96}));

}  // namespace
}  // namespace bl
