// The monitor's cycles against the in-process virtual controller on the fake clock: the data
// view's gather panel, a lost connection, the end of a test move and the position reports.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "commands/command_ids.h"
#include "controller/identify_controller.h"
#include "integration/fake_clock_program.h"
#include "series/gather.h"
#include "shell/view_ids.h"

namespace bl {
namespace {

using namespace std::chrono_literals;

class MonitorTest : public ::testing::Test, protected test::FakeClockProgram {
 protected:
  MonitorTest() {
    shell.hooks.repaintGatherPanel = [this] { ++panelRepaints; };
    shell.hooks.pressToolbarButton = [this] { pressed.push_back(shell.PressedButton()); };
    shell.SetCommand(cmd::kUploadData, [this] { commands.push_back(cmd::kUploadData); });
  }
  void Connect() {
    ASSERT_EQ(workbench.link.LinkConnect(), 0);
    IdentifyController(workbench.controllerType, workbench.link, workbench.definitions,
                       workbench.terminal, {});
    ASSERT_EQ(workbench.controllerType.typeCode, 5);
    // One 24-bit source: the gather pointer itself.
    for (int k = 1; k <= series::kMaxSeriesCount; ++k) workbench.series[k].active = false;
    workbench.series[1].active = true;
    workbench.series[1].sourceType = series::SourceType::kY;
    workbench.series[1].address = 0x3120;
  }
  // Cycles as the thread runs them: a pause of 100 ms, then the cycle.
  void Cycles(int n) {
    for (int i = 0; i < n; ++i) {
      clock.Advance(100ms);
      workbench.monitor.Cycle();
    }
  }
  GatherStatus& status() { return workbench.gatherStatus; }

  int panelRepaints = 0;
  std::vector<int> commands;
  std::vector<int> pressed;
};

TEST_F(MonitorTest, TheDataViewFollowsAGatherAndRepaintsOnlyOnChange) {
  Connect();
  workbench.gather.period = 3;
  workbench.gather.mode = 1;  // wrap-around: the start register carries the flag
  workbench.gather.bufferSize = 4000;
  series::DefineGather(workbench.link, workbench.controllerType, workbench.gather,
                       workbench.series);

  // Outside the data view nothing is asked.
  shell.SelectView(kViewTerminal, false);
  Cycles(3);
  EXPECT_EQ(status().end, 0);
  EXPECT_EQ(panelRepaints, 0);

  shell.SelectView(kViewData, false);
  Cycles(1);
  const int end = workbench.controllerType.endOfUserMemory;
  EXPECT_EQ(status().mode, 1);
  EXPECT_EQ(status().period, 3);
  EXPECT_EQ(status().end, end);
  EXPECT_EQ(status().start, end - 4000);
  EXPECT_EQ(status().current, status().start);
  EXPECT_EQ(panelRepaints, 1);
  Cycles(2);
  EXPECT_EQ(panelRepaints, 1) << "nothing changed";

  series::BeginGather(workbench.link);
  int previous = status().current;
  for (int i = 0; i < 5; ++i) {
    Cycles(1);
    EXPECT_GT(status().current, previous);  // about 75 samples a cycle, one address each
    EXPECT_LT(status().current, end);
    previous = status().current;
  }
  EXPECT_EQ(panelRepaints, 6);
  series::EndGather(workbench.link);
  Cycles(1);
  const int repaints = panelRepaints;
  Cycles(3);
  EXPECT_EQ(panelRepaints, repaints);

  // A lost controller clears the addresses at the next cycle and shows it.
  workbench.terminal.addressedMotor = 3;
  workbench.link.LinkDisconnect();
  Cycles(1);
  EXPECT_EQ(status().start, 0);
  EXPECT_EQ(status().current, 0);
  EXPECT_EQ(status().end, 0);
  EXPECT_EQ(status().period, 0);
  EXPECT_EQ(workbench.terminal.addressedMotor, 0);
  EXPECT_EQ(panelRepaints, repaints + 1);
  Cycles(2);
  EXPECT_EQ(panelRepaints, repaints + 1);
}

TEST_F(MonitorTest, TheEndOfATestMoveUploadsAndShowsTheGraphOnce) {
  Connect();
  workbench.gather.period = 1;
  workbench.gather.bufferSize = 3000;
  series::DefineGather(workbench.link, workbench.controllerType, workbench.gather,
                       workbench.series);
  series::BeginGather(workbench.link);
  workbench.testMovePending = true;
  shell.SelectView(kViewData, false);
  Cycles(5);
  EXPECT_TRUE(commands.empty());
  EXPECT_TRUE(workbench.testMovePending);

  Cycles(10);  // the buffer is full after about 1.3 s and gathering stops on its own
  EXPECT_EQ(commands, std::vector<int>{cmd::kUploadData});
  EXPECT_FALSE(workbench.testMovePending);
  EXPECT_EQ(shell.ViewId(), kViewGraphTime);
  ASSERT_FALSE(pressed.empty());
  EXPECT_EQ(pressed.back(), 6);  // the button of command 77
  Cycles(3);
  EXPECT_EQ(commands.size(), 1u);

  // A lost controller ends the wait without an upload.
  workbench.testMovePending = true;
  workbench.link.LinkDisconnect();
  Cycles(1);
  EXPECT_FALSE(workbench.testMovePending);
  EXPECT_EQ(commands.size(), 1u);
}

TEST_F(MonitorTest, PositionReportsFillTheChosenGroupOfEight) {
  Connect();
  std::vector<bool> repaints;
  workbench.monitor.SetPositionWindow({[&](bool erase) { repaints.push_back(erase); }, {}, {}});
  monitor::PositionDisplay& p = workbench.position;
  Ask("I1700=1 I1722=1 #17J=800");  // motor 17 to 800 counts at one count a millisecond
  for (int i = 0; i < 20; ++i) clock.Advance(100ms);
  p.motorGroup = 2;
  Cycles(1);
  auto values = p.Copy();
  EXPECT_NEAR(values[16], 800.0, 1.0);
  EXPECT_EQ(values[15], 0.0);
  EXPECT_EQ(p.live.value, 5);

  p.displayMode = 2;  // following errors: motor 17 is at rest
  p.motorGroup = 0;
  Cycles(1);
  values = p.Copy();
  EXPECT_NEAR(values[16], 800.0, 1.0) << "another group leaves these alone";
  EXPECT_NEAR(values[0], 0.0, 1.0);

  workbench.link.LinkDisconnect();
  Cycles(1);
  EXPECT_EQ(p.Copy(), monitor::PositionDisplay::Values{});
  EXPECT_EQ(p.live.value, 15);
  EXPECT_EQ(repaints, (std::vector<bool>{true, true, false}));

  // Closed: no longer polled.
  workbench.monitor.SetPositionWindow({});
  Cycles(1);
  EXPECT_EQ(p.live.value, 15);
}

TEST_F(MonitorTest, WithoutAControllerTheWatchWindowSweepsItsRange) {
  std::vector<int> counts;
  int polls = 0;
  workbench.monitor.SetWatchWindow(
      {[](bool) {}, [&] { ++polls; }, [&](int count) { counts.push_back(count); }});
  Cycles(22);
  ASSERT_EQ(counts.size(), 22u);
  EXPECT_EQ(counts.front(), 5);
  EXPECT_EQ(counts[19], 100);
  EXPECT_EQ(counts[20], 0);
  EXPECT_EQ(polls, 0);
  Connect();
  Cycles(2);
  EXPECT_EQ(polls, 2);
  EXPECT_EQ(counts.size(), 22u);
  EXPECT_EQ(workbench.monitor.watchLive.value, 15);
}

}  // namespace
}  // namespace bl
