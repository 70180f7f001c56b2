// The road of a test move against the in-process virtual controller on the fake clock: the
// controller program downloaded, a step started through the page's core, the monitor noticing
// the end of gathering and the upload filling series 1 to 3.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>

#include "commands/command_ids.h"
#include "controller/identify_controller.h"
#include "integration/fake_clock_program.h"
#include "series/upload.h"
#include "shell/view_ids.h"
#include "tuning/test_moves_presenter.h"

namespace bl {
namespace {

using namespace std::chrono_literals;

class TestMoveRoad : public ::testing::Test, protected test::FakeClockProgram {
 protected:
  TestMoveRoad() : FakeClockProgram({BL_SOURCE_DATA_DIR}) {
    shell.SetCommand(cmd::kUploadData, [this] {
      ++uploads;
      series::UploadGatheredData(
          {workbench.link, workbench.terminal, workbench.desktop, workbench.uiThread,
           workbench.controllerType, workbench.gather, workbench.series},
          {});
    });
  }
  void Connect() {
    ASSERT_EQ(workbench.link.LinkConnect(), 0);
    IdentifyController(workbench.controllerType, workbench.link, workbench.definitions,
                       workbench.terminal, {});
    workbench.series.seriesCount = workbench.controllerType.seriesCount;
    desktop.messages.clear();
  }
  void Cycles(int n) {
    for (int i = 0; i < n && workbench.testMovePending; ++i) {
      clock.Advance(100ms);
      workbench.monitor.Cycle();
    }
  }
  double Max(int k) {
    const auto& v = workbench.series[k].values;
    return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end());
  }

  int uploads = 0;
  tuning::MotorSelection selection{workbench.link, workbench.terminal.addressedMotor,
                                   workbench.controllerType.motorCount};
  tuning::TestMovesPresenter page{
      TestMoveContextOf(workbench),
      workbench.testMoves,
      selection,
      [this] { shell.SelectView(kViewGraphTime, true); },
      [this] { workbench.transfer.DownloadProgram(editor::kDownloadTestMoves); },
      ""};
};

TEST_F(TestMoveRoad, AStepIsGatheredUploadedAndShownOnTheGraph) {
  Connect();
  page.DownloadProgram();
  EXPECT_NE(Ask("LIST PLC31").find("ENDWHILE"), std::string::npos) << "the program is not there";

  Ask("#2");
  page.Activate();
  EXPECT_EQ(selection.Motor(), 2);
  Ask("#2J/");
  clock.Advance(200ms);

  ASSERT_EQ(page.Start(tuning::TestMoveKind::kStep), tuning::TestMoveOutcome::kStarted)
      << workbench.terminal.Line(0).text;
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(shell.ViewId(), kViewGraphTime);
  EXPECT_TRUE(workbench.testMovePending);

  // Lead-in, a 500 ms step out and 500 ms back: well within two seconds of cycles.
  Cycles(20);
  ASSERT_FALSE(workbench.testMovePending);
  EXPECT_EQ(uploads, 1);

  // The page's motor and step size reached the upload (the shape of each move on every type is
  // the test-move program's own tests').
  const auto& commanded = workbench.series[1];
  EXPECT_EQ(commanded.title, "Motor #2 Commanded Position (cts*Ix08)");
  ASSERT_GT(commanded.sampleCount, 100);
  EXPECT_EQ(workbench.series[2].sampleCount, commanded.sampleCount);
  EXPECT_EQ(workbench.series[3].sampleCount, commanded.sampleCount);
  EXPECT_NEAR(Max(1) - commanded.values.front(), 500.0, 1e-6);
}

// The response of the actual position to the step out: overshoot as a fraction of the step and
// the time from the step to the peak, in samples.
struct StepResponse {
  double overshoot = 0;
  int peakSamples = 0;
};

StepResponse MeasureStep(const series::DataSeries& commanded, const series::DataSeries& actual,
                         double size) {
  const auto& c = commanded.values;
  const auto& a = actual.values;
  std::size_t step = 1;
  while (step < c.size() && c[step] - c[step - 1] < size / 2) ++step;
  // Up to the step back.
  std::size_t back = step + 1;
  while (back < c.size() && c[back - 1] - c[back] < size / 2) ++back;
  const auto peak = std::max_element(a.begin() + static_cast<std::ptrdiff_t>(step),
                                     a.begin() + static_cast<std::ptrdiff_t>(back));
  return {(*peak - a[step - 1]) / size - 1.0, static_cast<int>(peak - a.begin()) -
                                                  static_cast<int>(step)};
}

// What a proportional-derivative loop around the load predicts: velocity in counts per cycle
// gains kGain per DAC bit and loses kFriction of itself each cycle; the gains give Kp DAC bits
// per count of error and Kd per count per cycle of velocity. A second-order system with
// wn^2 = kGain Kp and 2 zeta wn = kGain Kd + kFriction.
StepResponse PredictStep(double ix30, double ix31, double ix08) {
  constexpr double kGain = 1.5e-3;
  constexpr double kFriction = 0.002;
  const double kp = ix30 * ix08 * 32 / 524288.0;
  const double kd = ix30 * ix31 * ix08 * 32 / (128 * 524288.0);
  const double wn = std::sqrt(kGain * kp);
  const double zeta = (kGain * kd + kFriction) / (2 * wn);
  const double wd = wn * std::sqrt(1 - zeta * zeta);
  return {std::exp(-std::numbers::pi * zeta / std::sqrt(1 - zeta * zeta)),
          static_cast<int>(std::lround(std::numbers::pi / wd))};
}

TEST_F(TestMoveRoad, TheStepSettlesAsThePlantAndGainsPredictAndHalvingIx30Shows) {
  Connect();
  page.DownloadProgram();
  // Gathered every servo cycle, and without velocity feed-forward, whose kick at a step would
  // saturate the output: the response is then the loop's own.
  workbench.gather.period = 1;
  Ask("#1J/ I130=2000 I131=1280 I132=0 I133=0 I135=0 I108=96 I109=96");
  clock.Advance(200ms);
  page.Activate();

  std::vector<StepResponse> measured;
  for (const char* gains : {"I130=2000", "I130=1000"}) {
    Ask(gains);
    ASSERT_EQ(page.Start(tuning::TestMoveKind::kStep), tuning::TestMoveOutcome::kStarted);
    Cycles(30);
    ASSERT_FALSE(workbench.testMovePending);
    // The graph has found its limits: the commanded step lies within the left axis.
    const graph::AxisRange& left = workbench.graph.settings.axes[graph::kLeft];
    EXPECT_LE(left.visibleMinimum, Max(1) - 500.0);
    EXPECT_GE(left.visibleMaximum, Max(1));
    measured.push_back(MeasureStep(workbench.series[1], workbench.series[2], 500.0));
  }
  const StepResponse stiff = PredictStep(2000, 1280, 96);
  const StepResponse soft = PredictStep(1000, 1280, 96);
  // The continuous model leaves out that the loop is sampled: within a few percent of the step
  // and a few cycles.
  EXPECT_NEAR(measured[0].overshoot, stiff.overshoot, 0.04);
  EXPECT_NEAR(measured[1].overshoot, soft.overshoot, 0.04);
  EXPECT_NEAR(measured[0].peakSamples, stiff.peakSamples, 0.15 * stiff.peakSamples);
  EXPECT_NEAR(measured[1].peakSamples, soft.peakSamples, 0.15 * soft.peakSamples);
  // Half the proportional gain: visibly slower and less damped.
  EXPECT_GT(measured[1].peakSamples, measured[0].peakSamples * 1.1);
  EXPECT_GT(measured[1].overshoot, measured[0].overshoot + 0.05);
}

TEST_F(TestMoveRoad, WithoutTheProgramTheHandshakeFailsAndNothingIsPending) {
  Connect();
  page.Activate();
  EXPECT_EQ(page.Start(tuning::TestMoveKind::kSineSweep), tuning::TestMoveOutcome::kNotStarted);
  EXPECT_FALSE(workbench.testMovePending);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].title, "Tuning Error");
  // The graph is shown all the same, with the emptied series.
  EXPECT_EQ(shell.ViewId(), kViewGraphTime);
  EXPECT_EQ(workbench.series[1].sampleCount, 0);
}

}  // namespace
}  // namespace bl
