// An engineer's session with the test moves, through the menus and widgets of the running
// program, with the monitor thread running, against the built-in virtual controller and against
// brightlantern-sim over Ethernet, both in real time: the
// program downloaded from the page, a step, the same step with half the proportional gain, and
// sine sweeps turned into frequency responses at both gains.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>

#include "commands/command_ids.h"
#include "controller/identify_controller.h"
#include "gui_support.h"
#include "integration/sim_process.h"
#include "link/builtin_library.h"
#include "link/virtual_time.h"
#include "platform/clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/qt/qt_ui_thread.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"
#include "tuning/qt/frequency_response_dialog.h"
#include "tuning/qt/gain_pages.h"
#include "tuning/qt/motor_tuning_sheet.h"
#include "tuning/qt/test_moves_page.h"

namespace bl {
namespace {

using namespace std::chrono_literals;
using test::WhenModal;
using tuning::TestMoveKind;

// Fields of the test-move page.
constexpr int kSweepSize = 6;
constexpr int kSweepTime = 7;
constexpr int kLowFrequency = 8;
constexpr int kHighFrequency = 9;

enum class Controller { kBuiltIn, kOverEthernet };

class TestMoveWalkthrough : public ::testing::TestWithParam<Controller> {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  TestMoveWalkthrough() {
    if (GetParam() == Controller::kOverEthernet) {
      sim = std::make_unique<SimProcess>(0, 5);
      DeviceTable table = devices.Table();
      table[1].kind = DeviceConfig::Kind::Ethernet;
      table[1].host = "127.0.0.1";
      table[1].port = sim->Port();
      std::string error;
      EXPECT_TRUE(devices.SetTable(table, error)) << error;
      devices.chooseDevice = [] { return 1; };
    } else {
      devices.chooseDevice = [] { return 0; };
    }
    workbench.transfer.testMovesPath = [] {
      return std::string(BL_SOURCE_DATA_DIR) + "/BL_TestMoves.pmc";
    };
    window.resize(960, 680);
    window.show();
  }
  ~TestMoveWalkthrough() override {
    workbench.monitor.Stop([] { QCoreApplication::processEvents(); });
    std::filesystem::remove(tuning::TestMoveSettingsPath());
  }

  // Runs the menu command with the sheet open; `use` works the sheet, which then closes.
  void WithTheSheet(const std::function<void(tuning::MotorTuningSheet&)>& use) {
    bool shown = false;
    WhenModal<tuning::MotorTuningSheet>([&](tuning::MotorTuningSheet& sheet) {
      shown = true;
      use(sheet);
      sheet.accept();
    });
    window.MenuAction(cmd::kMotorTuning)->trigger();
    EXPECT_TRUE(shown);
  }

  tuning::TestMovesPage& TestMoves(tuning::MotorTuningSheet& sheet) {
    sheet.Tabs().setCurrentIndex(3);
    return *dynamic_cast<tuning::TestMovesPage*>(sheet.Tabs().widget(3));
  }

  static QString Name(const char* what) {
    return QString(GetParam() == Controller::kOverEthernet ? "walkthrough_ethernet_%1"
                                                           : "walkthrough_%1")
        .arg(what);
  }

  // Types a value and leaves the field, as a click elsewhere would.
  static void Type(QLineEdit& field, const char* text) {
    field.selectAll();
    QTest::keyClicks(&field, text);
    QFocusEvent leave(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(&field, &leave);
  }

  void SetIx30(tuning::MotorTuningSheet& sheet, const char* value) {
    sheet.Tabs().setCurrentIndex(0);
    auto* gains = dynamic_cast<tuning::GainPage*>(sheet.Tabs().widget(0));
    ASSERT_NE(gains, nullptr);
    Type(gains->Field(0), value);
  }

  // Presses a move button and waits, with the sheet still open, until the monitor has seen the
  // move end and the upload has filled the series.
  void RunMove(tuning::TestMovesPage& page, TestMoveKind kind) {
    page.MoveButton(kind)->click();
    // A short move may be over before the handshake's wait is, and the monitor may have taken it
    // up already: what counts is that it started and that its data arrives.
    ASSERT_TRUE(desktop.messages.empty()) << desktop.messages.front().text << Recent();
    EXPECT_EQ(shell.ViewId(), kViewGraphTime);
    const auto until = std::chrono::steady_clock::now() + 20s;
    while ((workbench.testMovePending || workbench.series[2].sampleCount == 0) &&
           std::chrono::steady_clock::now() < until)
      QTest::qWait(20);
    ASSERT_FALSE(workbench.testMovePending);
    ASSERT_GT(workbench.series[2].sampleCount, 50);
    // Then the graph of data versus time, fitted to the move.
    const graph::AxisRange& left = workbench.graph.settings.axes[graph::kLeft];
    const double top = *std::max_element(workbench.series[1].values.begin(),
                                         workbench.series[1].values.end());
    while (left.visibleMaximum < top && std::chrono::steady_clock::now() < until) QTest::qWait(20);
    EXPECT_GE(left.visibleMaximum, top);
  }

  // The terminal's last lines, for a failure's message.
  std::string Recent() {
    std::string text;
    for (int i = 12; i >= 0; --i) text += "\n" + workbench.terminal.Line(i).text;
    return text;
  }

  // Samples from the step to the actual position's peak.
  int PeakSamples() {
    const auto& c = workbench.series[1].values;
    const auto& a = workbench.series[2].values;
    std::size_t step = 1;
    while (step < c.size() && c[step] - c[step - 1] < 250) ++step;
    std::size_t back = step + 1;
    while (back < c.size() && c[back - 1] - c[back] < 250) ++back;
    return static_cast<int>(std::max_element(a.begin() + static_cast<std::ptrdiff_t>(step),
                                             a.begin() + static_cast<std::ptrdiff_t>(back)) -
                            a.begin() - static_cast<std::ptrdiff_t>(step));
  }

  // "Create Frequency Response" from the menu on series 1 and 2 into series 4, the frequency
  // graph shown; returns the lowest frequency above 2 Hz where the actual position lags the
  // commanded one by 45 degrees, a measure of the closed loop's bandwidth that stays within the
  // swept range.
  double LagOf45Degrees(const QString& screenshot) {
    WhenModal<tuning::FrequencyResponseDialog>([&](tuning::FrequencyResponseDialog& d) {
      d.CommandedList().setCurrentIndex(0);
      d.ActualList().setCurrentIndex(1);
      d.ResultList().setCurrentIndex(3);
      d.CreateButton().click();
      d.DoneButton().click();
    });
    window.MenuAction(cmd::kFrequencyResponse)->trigger();
    graph::GraphSettings& graph = workbench.graph.settings;
    graph.slots[0] = {.series = 4, .axis = 0};
    for (int k = 1; k < graph::kSlotCount; ++k) graph.slots[static_cast<std::size_t>(k)] = {};
    shell.SelectView(kViewGraphFrequency, true);
    test::SaveScreenshot(window.grab().toImage(), screenshot);

    // Magnitudes in the first half of the values, phases in degrees in the second.
    const series::DataSeries& response = workbench.series[4];
    const std::size_t half = static_cast<std::size_t>(response.sampleCount) / 2;
    const double binHz = 1.0 / (response.sampleCount * response.rawDataPeriod);
    for (std::size_t i = 1; i + 2 < half && i * binHz < 100; ++i) {
      if (i * binHz < 2) continue;
      // Three bins together, as the eye reads a slightly ragged curve.
      const double* phase = &response.values[half + i];
      if ((phase[0] + phase[1] + phase[2]) / 3 < -45) return static_cast<double>(i) * binHz;
    }
    return 0;
  }

  std::unique_ptr<SimProcess> sim;
  platform::SystemClock clock;
  VirtualTime virtualTime;
  VirtualTimeThread virtualTimeThread{virtualTime, clock};
  BuiltinDevices devices{"", &virtualTime, &clock};
  platform::FakeDesktop desktop;
  platform::QtUiThread ui;
  Workbench workbench{desktop, ui, clock, BuiltinLibraryLoader(devices)};
  Shell shell{workbench};
  MainWindow window{workbench, shell};
};

TEST_P(TestMoveWalkthrough, StepsAndSweepsFromTheSheetShowTheGainsInTheGraph) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ASSERT_EQ(workbench.link.LinkConnect(), 0);
  IdentifyController(workbench.controllerType, workbench.link, workbench.definitions,
                     workbench.terminal, {});
  desktop.messages.clear();
  workbench.gather.period = 2;  // as set in "Data Gathering Preferences"
  workbench.monitor.Start();

  int stiffPeak = 0;
  int softPeak = 0;
  WithTheSheet([&](tuning::MotorTuningSheet& sheet) {
    tuning::TestMovesPage& page = TestMoves(sheet);
    page.DownloadButton()->click();
    EXPECT_EQ(workbench.terminal.Line(0).text.rfind("Download finished:", 0), 0u)
        << workbench.terminal.Line(0).text;
    for (QPushButton* button : page.findChildren<QPushButton*>())
      if (button->text() == "Enable Motor") button->click();

    RunMove(page, TestMoveKind::kStep);
    stiffPeak = PeakSamples();
    test::SaveScreenshot(window.grab().toImage(), Name("step_ix30_2000"));

    SetIx30(sheet, "1000");
    tuning::TestMovesPage& again = TestMoves(sheet);
    RunMove(again, TestMoveKind::kStep);
    softPeak = PeakSamples();
    test::SaveScreenshot(window.grab().toImage(), Name("step_ix30_1000"));

    Type(*again.Field(kSweepSize), "20");
    Type(*again.Field(kSweepTime), "1500");
    Type(*again.Field(kLowFrequency), "1");
    Type(*again.Field(kHighFrequency), "100");
    RunMove(again, TestMoveKind::kSineSweep);
  });
  EXPECT_TRUE(desktop.messages.empty()) << desktop.messages.front().text;
  // Half the stiffness: the actual position takes visibly longer to its peak.
  EXPECT_GT(softPeak, stiffPeak * 1.1) << stiffPeak << " " << softPeak;
  const double softLag = LagOf45Degrees(Name("response_ix30_1000"));

  WithTheSheet([&](tuning::MotorTuningSheet& sheet) {
    SetIx30(sheet, "2000");
    RunMove(TestMoves(sheet), TestMoveKind::kSineSweep);
  });
  const double stiffLag = LagOf45Degrees(Name("response_ix30_2000"));
  // The closed loop's bandwidth follows the gain.
  EXPECT_GT(softLag, 5);
  EXPECT_GT(stiffLag, softLag * 1.1) << softLag << " " << stiffLag;
}

INSTANTIATE_TEST_SUITE_P(Controllers, TestMoveWalkthrough,
                         ::testing::Values(Controller::kBuiltIn, Controller::kOverEthernet),
                         [](const auto& info) {
                           return info.param == Controller::kBuiltIn ? "BuiltIn" : "OverEthernet";
                         });

}  // namespace
}  // namespace bl
