// The road of a test move against the in-process virtual controller on the fake clock: the
// controller program downloaded, a step started through the page's core, the monitor noticing
// the end of gathering and the upload filling series 1 to 3.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

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
  std::string Ask(const char* command) {
    std::string reply;
    workbench.link.PmacCommand(reply, 4096, command, false);
    return reply;
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
  double MaxAbs(int k) {
    double m = 0;
    for (double x : workbench.series[k].values) m = std::max(m, std::abs(x));
    return m;
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

  const auto& commanded = workbench.series[1];
  EXPECT_EQ(commanded.title, "Motor #2 Commanded Position (cts*Ix08)");
  ASSERT_GT(commanded.sampleCount, 100);
  EXPECT_EQ(workbench.series[2].sampleCount, commanded.sampleCount);
  EXPECT_EQ(workbench.series[3].sampleCount, commanded.sampleCount);
  // The commanded position starts at rest and steps by exactly the step size, in counts.
  const double start = commanded.values.front();
  EXPECT_NEAR(Max(1) - start, 500.0, 1e-6);
  EXPECT_NEAR(commanded.values.back(), start, 1e-6) << "the step comes back";
  // The motor follows (a few percent of overshoot at most), driven by the servo output.
  EXPECT_NEAR(Max(2) - workbench.series[2].values.front(), 500.0, 50.0);
  EXPECT_GT(MaxAbs(3), 100.0);
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
