#include <gtest/gtest.h>

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <filesystem>

#include "controller/identify_controller.h"
#include "gui_support.h"
#include "link/builtin_library.h"
#include "link/virtual_time.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/qt/qt_ui_thread.h"
#include "shell/qt/main_window.h"
#include "shell/qt/tuning_commands.h"
#include "shell/shell.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"
#include "tuning/qt/test_moves_page.h"

namespace bl {
namespace {

using tuning::TestMoveKind;

// The page in a plain dialog over the real main window, against the virtual controller on the
// fake clock, so the 2000 ms handshake wait runs the controller's time at once.
class TestMovesPageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  TestMovesPageTest() {
    clock.OnAdvance([this](platform::Duration now) { time.Update(now); });
    devices.chooseDevice = [] { return 0; };
    workbench.transfer.testMovesPath = [] {
      return std::string(BL_SOURCE_DATA_DIR) + "/BL_TestMoves.pmc";
    };
    window.resize(900, 600);
    window.show();
    auto* layout = new QVBoxLayout(&host);
    layout->addWidget(page);
    host.setWindowTitle("Test Moves");
  }

  platform::FakeClock clock;
  VirtualTime time;
  BuiltinDevices devices{"", &time, &clock};
  platform::FakeDesktop desktop;
  platform::QtUiThread ui;
  Workbench workbench{desktop, ui, clock, BuiltinLibraryLoader(devices)};
  Shell shell{workbench};
  MainWindow window{workbench, shell};
  QDialog host{&window};
  tuning::TestMovesPage* page = NewTestMovesPage(workbench, shell, nullptr);
};

TEST_F(TestMovesPageTest, StepMoveStartsOnTheVirtualControllerAndShowsTheGraph) {
  ASSERT_EQ(workbench.link.LinkConnect(), 0);
  IdentifyController(workbench.controllerType, workbench.link, workbench.definitions,
                     workbench.terminal, {});
  desktop.messages.clear();
  host.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
  page->Activate();

  // The labels the user reads, as the page is specified to carry them.
  QStringList labels;
  for (const QLabel* label : page->findChildren<QLabel*>()) labels << label->text();
  for (const char* text :
       {"1.  Download", "BEFORE TEST MOVES!", "2.  Be aware that the", "following PMAC",
        "resources will be used:", "Program 999, PLC 31", "Coordinate System 8",
        "P950-P974, M950-974", "Size (cts)", "Dwell Time (ms)", "Vel. (cts.ms)", "Acc. (cts/ms^2)",
        "Move Time (ms)", "Low Freq. (Hz)", "High Freq. (Hz)"})
    EXPECT_TRUE(labels.contains(text)) << text;
  QStringList groups;
  for (const QGroupBox* group : page->findChildren<QGroupBox*>()) groups << group->title();
  EXPECT_EQ(groups, QStringList({"Motor Selection", "Step Move", "Constant Vel., Acc. Move",
                                 "Sine Sweep"}));
  EXPECT_EQ(page->MoveButton(TestMoveKind::kTrapezoid)->text(), "Constant Vel., Acc. Move");
  EXPECT_EQ(page->Field(4)->text(), "10.00");
  EXPECT_EQ(page->Field(9)->text(), "25");

  page->DownloadButton()->click();
  EXPECT_EQ(workbench.terminal.Line(0).text.rfind("Download finished:", 0), 0u)
      << workbench.terminal.Line(0).text;

  // A refused step: its message, nothing started, the view unchanged.
  shell.SelectView(kViewTerminal, true);
  page->Field(1)->setText("0");
  page->MoveButton(TestMoveKind::kStep)->click();
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].title, "Test Move Error");
  EXPECT_EQ(desktop.messages[0].text, "Dwell time must be between 1 and 10,000ms.");
  EXPECT_EQ(shell.ViewId(), kViewTerminal);

  for (QPushButton* button : page->findChildren<QPushButton*>())
    if (button->text() == "Enable Motor") button->click();
  page->Field(1)->setText("300");
  page->Field(0)->setText("800");
  page->MoveButton(TestMoveKind::kStep)->click();
  EXPECT_EQ(desktop.messages.size(), 1u) << desktop.messages.back().text;
  EXPECT_TRUE(workbench.testMovePending);
  EXPECT_EQ(shell.ViewId(), kViewGraphTime);
  EXPECT_EQ(workbench.testMoves.stepSize, 800);
  EXPECT_EQ(workbench.series[1].title, "Motor #1 Commanded Position (cts*Ix08)");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait cursor is gone";

  test::SaveScreenshot(host.grab().toImage(), "test_moves_page");
  // Leaving the page gives the move up.
  page->Leave();
  EXPECT_FALSE(workbench.testMovePending);

  // The parameters were kept for the next run.
  tuning::TestMoveParameters kept;
  std::string error;
  ASSERT_TRUE(tuning::LoadTestMoveSettings(tuning::TestMoveSettingsPath(), kept, error)) << error;
  EXPECT_EQ(kept.stepSize, 800);
  std::filesystem::remove(tuning::TestMoveSettingsPath());
}

}  // namespace
}  // namespace bl
