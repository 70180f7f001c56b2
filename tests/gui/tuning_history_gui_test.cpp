// The tuning history as an engineer meets it: two steps from the Motor Tuning sheet with
// different proportional gains, then PMAC > Tuning History... lists both, names the gain that
// changed and overlays their actual positions; "What If..." on the newer run predicts what the
// older run's gain did and writes it back to the controller.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <chrono>
#include <filesystem>

#include "commands/command_ids.h"
#include "gui_support.h"
#include "shell/view_ids.h"
#include "tuning/qt/gain_pages.h"
#include "tuning/qt/motor_tuning_sheet.h"
#include "tuning/qt/test_moves_page.h"
#include "tuning/qt/curve_plot.h"
#include "tuning/qt/tuning_history_dialog.h"
#include "tuning/qt/what_if_dialog.h"
#include "virtual_program.h"

namespace bl {
namespace {

using namespace std::chrono_literals;
using test::WhenModal;

// A history folder of this test's own, in place before the workbench takes it.
struct TemporaryDataHome {
  TemporaryDataHome()
      : folder(std::filesystem::temp_directory_path() /
               ("bl-history-gui-" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(folder);
    if (const char* old = std::getenv("XDG_DATA_HOME")) saved = old;
    ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
  }
  ~TemporaryDataHome() {
    ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    std::filesystem::remove_all(folder);
  }
  std::filesystem::path folder;
  std::string saved;
};

class TuningHistoryGuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  TuningHistoryGuiTest() {
    p.window.resize(960, 680);
    p.window.show();
  }
  ~TuningHistoryGuiTest() override { std::filesystem::remove(tuning::TestMoveSettingsPath()); }

  static void Type(QLineEdit& field, const char* text) {
    field.selectAll();
    QTest::keyClicks(&field, text);
    QFocusEvent leave(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(&field, &leave);
  }

  // Ix30 set on the gains page, then a step from the Test Moves page, waited for as the
  // monitor waits for it.
  void StepWithIx30(tuning::MotorTuningSheet& sheet, const char* ix30) {
    sheet.Tabs().setCurrentIndex(0);
    Type(dynamic_cast<tuning::GainPage*>(sheet.Tabs().widget(0))->Field(0), ix30);
    sheet.Tabs().setCurrentIndex(3);
    auto& page = *dynamic_cast<tuning::TestMovesPage*>(sheet.Tabs().widget(3));
    page.MoveButton(tuning::TestMoveKind::kStep)->click();
    ASSERT_TRUE(p.desktop.messages.empty()) << p.desktop.messages.front().text;
    const auto until = std::chrono::steady_clock::now() + 20s;
    do {
      p.workbench.monitor.Cycle();
      QTest::qWait(20);
    } while (p.workbench.testMovePending && std::chrono::steady_clock::now() < until);
    ASSERT_FALSE(p.workbench.testMovePending);
    ASSERT_GT(p.workbench.series[2].sampleCount, 50);
  }

  TemporaryDataHome home;
  test::VirtualProgram p;
};

TEST_F(TuningHistoryGuiTest, TwoStepsWithDifferentGainsAreListedComparedAndOverlaid) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.window));
  p.ConnectAndIdentify();
  // The program straight through the link: the page's progress window wants an event loop that
  // this program's immediate user-interface thread does not give it.
  ASSERT_EQ(
      p.workbench.link.Download(std::string(BL_SOURCE_DATA_DIR) + "/BL_TestMoves.pmc", {}, {}), 1);
  p.desktop.messages.clear();
  // A sample every servo cycle, as a run the preview identifies a plant from needs.
  p.workbench.gather.period = 1;

  bool sheetShown = false;
  WhenModal<tuning::MotorTuningSheet>([&](tuning::MotorTuningSheet& sheet) {
    sheetShown = true;
    sheet.Tabs().setCurrentIndex(3);
    auto& page = *dynamic_cast<tuning::TestMovesPage*>(sheet.Tabs().widget(3));
    for (QPushButton* button : page.findChildren<QPushButton*>())
      if (button->text() == "Enable Motor") button->click();
    StepWithIx30(sheet, "2000");
    if (!HasFatalFailure()) StepWithIx30(sheet, "1000");
    sheet.accept();
  });
  p.window.MenuAction(cmd::kMotorTuning)->trigger();
  ASSERT_TRUE(sheetShown);
  ASSERT_FALSE(HasFatalFailure());

  EXPECT_EQ(p.window.MenuAction(cmd::kTuningHistory)->text(), "Tuning &History...");
  bool historyShown = false;
  WhenModal<tuning::TuningHistoryDialog>([&](tuning::TuningHistoryDialog& dialog) {
    historyShown = true;
    QTableWidget& runs = dialog.RunList();
    ASSERT_EQ(runs.rowCount(), 2);
    EXPECT_EQ(runs.horizontalHeaderItem(2)->text(), "Ix30");
    EXPECT_EQ(runs.item(0, 2)->text(), "1000");  // newest first
    EXPECT_EQ(runs.item(1, 2)->text(), "2000");
    EXPECT_EQ(runs.item(0, 1)->text(), "step 500 cts, dwell 500 ms");
    EXPECT_TRUE(runs.item(0, 6)->text().endsWith("%")) << "the overshoot is known";

    runs.selectAll();
    dialog.CompareButton().click();
    QTableWidget& diff = dialog.DifferenceTable();
    int ix30 = -1;
    for (int r = 0; r < diff.rowCount(); ++r)
      if (diff.item(r, 0)->text() == "Ix30") ix30 = r;
    ASSERT_GE(ix30, 0);
    EXPECT_EQ(diff.item(ix30, 1)->text(), "Proportional Gain");
    EXPECT_EQ(diff.item(ix30, 2)->text(), "2000");
    EXPECT_EQ(diff.item(ix30, 3)->text(), "1000");
    test::SaveScreenshot(dialog.grab().toImage(), "tuning_history_dialog");

    // What If on the run with Ix30=1000: back to 2000, predicted before anything is sent.
    bool previewShown = false;
    WhenModal<tuning::WhatIfDialog>([&](tuning::WhatIfDialog& preview) {
      previewShown = true;
      ASSERT_TRUE(preview.ApplyButton().isEnabled()) << preview.PlantText().text().toStdString();
      EXPECT_EQ(preview.Field(0).text(), "1000");
      ASSERT_EQ(preview.TimePlot().Curves().size(), 3u);  // commanded, as run, predicted
      const auto& asRun = preview.TimePlot().Curves()[1];
      const auto& predicted = preview.TimePlot().Curves()[2];
      ASSERT_EQ(asRun.y.size(), predicted.y.size());
      double worst = 0.0;
      for (std::size_t k = 0; k < asRun.y.size(); ++k)
        worst = std::max(worst, std::abs(asRun.y[k] - predicted.y[k]));
      EXPECT_LT(worst, 25.0) << "replaying the run's own gains gives the run back";
      EXPECT_TRUE(preview.Results().text().contains("Phase margin")) << preview.Results().text().toStdString();

      Type(preview.Field(0), "2000");
      EXPECT_TRUE(preview.Field(0).font().bold());
      const QString before = preview.Results().text();
      preview.MoveChoice().setCurrentIndex(1);  // a step of its own
      ASSERT_EQ(preview.TimePlot().Curves().size(), 2u);
      EXPECT_TRUE(preview.MagnitudePlot().Curves().size() == 2u);
      test::SaveScreenshot(preview.grab().toImage(), "what_if_dialog");

      // A derivative gain far too high: said so, and nothing drawn.
      Type(preview.Field(1), "25600");
      EXPECT_TRUE(preview.Results().text().startsWith("Unstable")) << preview.Results().text().toStdString();
      EXPECT_TRUE(preview.TimePlot().Curves().empty());
      Type(preview.Field(1), std::to_string(std::lround(std::stod(p.Ask("I131")))).c_str());

      p.desktop.messages.clear();
      preview.ApplyButton().click();  // asks (answered Ok), writes, tells what was taken
      ASSERT_EQ(p.desktop.messages.size(), 2u);
      EXPECT_NE(p.desktop.messages[0].text.find("I130=2000"), std::string::npos);
      EXPECT_NE(p.desktop.messages[1].text.find("I130=2000"), std::string::npos);
      EXPECT_FALSE(preview.Field(0).font().bold());
      p.desktop.messages.clear();
      preview.accept();
    });
    runs.clearSelection();
    runs.selectRow(0);
    dialog.WhatIfButton().click();
    EXPECT_TRUE(previewShown);
    EXPECT_EQ(std::stod(p.Ask("I130")), 2000.0);

    runs.selectAll();
    dialog.OverlayButton().click();
    dialog.accept();
  });
  p.window.MenuAction(cmd::kTuningHistory)->trigger();
  ASSERT_TRUE(historyShown);
  EXPECT_TRUE(p.desktop.messages.empty()) << p.desktop.messages.front().text;

  // The actual positions of both runs on the time graph, from the same start.
  const series::SeriesTable& series = p.workbench.series;
  EXPECT_EQ(p.shell.ViewId(), kViewGraphTime);
  EXPECT_NE(series[1].title.find("Ix30=1000"), std::string::npos) << series[1].title;
  EXPECT_NE(series[2].title.find("Ix30=2000"), std::string::npos) << series[2].title;
  EXPECT_NEAR(series[1].values.front(), 0.0, 5.0);
  EXPECT_NEAR(series[2].values.front(), 0.0, 5.0);
  EXPECT_EQ(p.workbench.graph.settings.slots[0].series, 1);
  EXPECT_EQ(p.workbench.graph.settings.slots[1].series, 2);
  EXPECT_EQ(p.workbench.graph.settings.slots[2].series, 0);
  QCoreApplication::processEvents();
  test::SaveScreenshot(p.window.grab().toImage(), "tuning_history_overlay");
}

}  // namespace
}  // namespace bl
