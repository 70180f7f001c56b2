// The position window: scaling into user units, pages, the units dialog, and the monitor's
// reports on the virtual controller and offline.
#include <gtest/gtest.h>

#include <chrono>

#include "controller/identify_controller.h"
#include "diagnostics/position_window.h"
#include "integration/fake_clock_program.h"
#include "monitor/monitor_replies.h"
#include "platform/fake/recording_canvas.h"

namespace bl::diagnostics {
namespace {

using namespace std::chrono_literals;
using platform::RecordingCanvas;

class PositionWindowTest : public ::testing::Test, protected test::FakeClockProgram {
 protected:
  PositionWindowTest() {
    monitor::MonitorThread::Window hooks;
    hooks.repaint = [this](bool) { ++repaints; };
    workbench.monitor.SetPositionWindow(hooks);
  }
  ~PositionWindowTest() override { workbench.monitor.SetPositionWindow({}); }
  void Connect() {
    ASSERT_EQ(workbench.link.LinkConnect(), 0);
    IdentifyController(workbench.controllerType, workbench.link, workbench.definitions,
                       workbench.terminal, {});
  }
  void Cycles(int n) {
    for (int i = 0; i < n; ++i) {
      clock.Advance(100ms);
      workbench.monitor.Cycle();
    }
  }
  std::vector<std::string> Texts(const PositionWindow& w) {
    RecordingCanvas canvas(w.WindowSize());
    w.Paint(canvas);
    std::vector<std::string> texts;
    for (const auto& op : canvas.Ops())
      if (op.kind == RecordingCanvas::Kind::Text) texts.push_back(op.text);
    return texts;
  }

  PositionUnits units;
  int repaints = 0;
};

TEST(MotorValueText, ScalesIntoUserUnits) {
  MotorUnits u{0, 1000, "mm"};
  EXPECT_EQ(MotorValueText(4.42, 1, u, 0.000442), "10");  // counts per cycle to units per second
  u.precision = 3;
  EXPECT_EQ(MotorValueText(-1500, 0, u, 0.000442), "-1.500");
  EXPECT_EQ(MotorValueText(1500, 2, u, 0.000442), "1.500");
  u.countsPerUnit = 0;
  EXPECT_EQ(MotorValueText(5, 0, u, 0.000442), "---");
  u.countsPerUnit = 1;
  EXPECT_EQ(MotorValueText(5, 1, u, 0), "---");
}

TEST_F(PositionWindowTest, ATurboControllerReportsEightMotorsPerPage) {
  Connect();
  ASSERT_TRUE(workbench.controllerType.IsTurbo());
  PositionWindow window(workbench.position, units, workbench.controllerType);
  EXPECT_EQ(window.WindowSize(), (platform::Size{435, 331}));
  std::string reply;
  workbench.link.PmacCommand(reply, 255, "I1700=1 I1722=1 #17J=1000", false);
  units[16] = {2, 100, "deg"};
  window.NextPage();
  window.NextPage();
  Cycles(20);  // a count a millisecond: there after a second
  const auto texts = Texts(window);
  EXPECT_EQ(texts[0], "Motor Positions");
  EXPECT_EQ(texts[1], "Motor #17");
  EXPECT_EQ(texts[2], "10.00");
  EXPECT_EQ(texts[3], "deg");
  EXPECT_EQ(texts[4], "Motor #18");
  EXPECT_NEAR(workbench.position.Copy()[16], 1000, 1);
  EXPECT_EQ(workbench.position.live.value, 100);
  EXPECT_EQ(repaints, 20);

  window.SetMode(1);
  EXPECT_EQ(workbench.position.Copy()[16], 0);  // values start afresh
  EXPECT_EQ(Texts(window)[0], "Motor Velocities");
  EXPECT_EQ(Texts(window)[3], "deg/s");
  window.NextPage();
  window.NextPage();
  EXPECT_EQ(window.Page(), 0);  // round the four pages
  window.PreviousPage();
  EXPECT_EQ(window.Page(), 3);
  EXPECT_EQ(Texts(window)[1], "Motor #25");

  // Offline every value is 0 and the indicator goes on.
  workbench.link.LinkDisconnect();
  workbench.position.Store(24, {1, 2, 3, 4, 5, 6, 7, 8});
  Cycles(1);
  EXPECT_EQ(workbench.position.Copy()[24], 0);
}

TEST_F(PositionWindowTest, ANonTurboControllerKeepsPageZero) {
  SetTypeFromTable(workbench.controllerType, 2);
  workbench.position.motorGroup = 2;  // left from a Turbo controller
  PositionWindow window(workbench.position, units, workbench.controllerType);
  EXPECT_EQ(window.WindowSize(), (platform::Size{435, 306}));
  EXPECT_EQ(window.Page(), 0);
  window.NextPage();
  EXPECT_EQ(workbench.position.motorGroup, 0);
  EXPECT_EQ(monitor::PositionCommand(2, 2, 0), "\x06");
  EXPECT_EQ(Texts(window)[0], "Motor Positions");
  EXPECT_EQ(Texts(window)[1], "Motor #1");
  EXPECT_TRUE(PositionWindow::ClosesAt({401, 20}));
  EXPECT_FALSE(PositionWindow::ClosesAt({400, 20}));
  EXPECT_FALSE(PositionWindow::ClosesAt({420, 40}));
}

TEST(PositionUnitsPresenter, StoresTheColumnsAndKeepsWhatDoesNotParse) {
  PositionUnits units;
  units[9] = {4, 2.5, "in"};
  PositionUnitsPresenter dialog(units, 1);
  EXPECT_EQ(dialog.rows[0].label, "Motor #9");
  EXPECT_EQ(dialog.rows[1].countsPerUnit, "2.5000");
  EXPECT_EQ(dialog.rows[1].precision, "4");
  dialog.rows[0] = {"", std::string(40, 'u'), "8192", "15"};
  dialog.rows[1] = {"", "mm", "inf", "x"};
  dialog.rows[2] = {"", "", "-3", "-2"};
  dialog.Ok();
  EXPECT_EQ(units[8].unitName, std::string(31, 'u'));
  EXPECT_EQ(units[8].countsPerUnit, 8192);
  EXPECT_EQ(units[8].precision, 10);
  EXPECT_EQ(units[9].unitName, "mm");
  EXPECT_EQ(units[9].countsPerUnit, 2.5);
  EXPECT_EQ(units[9].precision, 4);
  EXPECT_EQ(units[10].countsPerUnit, -3);
  EXPECT_EQ(units[10].precision, 0);
  EXPECT_EQ(units[0].unitName, "Counts");  // other pages untouched
}

}  // namespace
}  // namespace bl::diagnostics
