// The diagnostic window opened from the Diagnostics menu of the real main window over the
// built-in virtual controller: the Motor Jog Ribbon jogs a motor, its value box sets the jog
// speed, and the close box ends the refresh.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <string>

#include "commands/command_ids.h"
#include "diagnostics/qt/diagnostic_widget.h"
#include "diagnostics/qt/value_edit_dialog.h"
#include "gui_support.h"
#include "controller/controller_type.h"
#include "offline_program.h"
#include "platform/qt/qt_canvas.h"
#include "virtual_program.h"

namespace bl {
namespace {

using test::WhenModal;

diagnostics::DiagnosticWidget* FindDiagnosticWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* found = dynamic_cast<diagnostics::DiagnosticWidget*>(w); found && w->isVisible())
      return found;
  return nullptr;
}

class DiagnosticWindowGuiTest : public ::testing::Test, protected test::VirtualProgram {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  DiagnosticWindowGuiTest() {
    // The compiled built-in scripts of this build.
    workbench.dataFiles = DataFiles(workbench.startDirectory, {BL_BUILD_DATA_DIR});
    window.resize(700, 500);
    window.show();
  }

  // Monitor cycles run here, on the user-interface thread; their repaints are immediate.
  void Cycles(int n) {
    for (int i = 0; i < n; ++i) workbench.monitor.Cycle();
    QApplication::processEvents();
  }

  double Position() {
    // The position in counts: the reply is in counts already.
    return std::stod(Ask("#1P"));
  }

  bool TerminalShows(const std::string& text) {
    for (int i = 0; i < 20; ++i)
      if (workbench.terminal.Line(i).text.find(text) != std::string::npos) return true;
    return false;
  }
};

TEST_F(DiagnosticWindowGuiTest, MotorJogRibbonJogsSetsTheSpeedAndClosesByItsBox) {
  ConnectAndIdentify();
  Ask("I122=32");
  window.MenuAction(cmd::kDiagMotorJog)->trigger();
  auto* diag = FindDiagnosticWindow();
  ASSERT_NE(diag, nullptr) << (desktop.messages.empty() ? "" : desktop.messages.back().text);
  EXPECT_EQ(diag->windowTitle(), "Diagnostic Window");
  EXPECT_EQ(diag->size(), QSize(360, 191));  // the page is 350 x 150

  // "Jog +" lies at (174, 72)-(251, 104) on the page.
  const double before = Position();
  QTest::mouseClick(diag, Qt::LeftButton, {}, QPoint(216, 123));
  EXPECT_TRUE(TerminalShows("#1J+"));
  EXPECT_TRUE(diag->ButtonTimerActive());
  EXPECT_EQ(diag->Window().PressedButton(), 9);  // page, six texts and lamp, Jog -, Stop
  EXPECT_TRUE(QTest::qWaitFor([&] { return Position() > before + 100; }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !diag->ButtonTimerActive(); }, 2000));
  EXPECT_EQ(diag->Window().PressedButton(), -1);

  Cycles(3);
  const QImage image = diag->Render();
  test::SaveScreenshot(image, "diagnostic_window");
  EXPECT_EQ(image.pixelColor(60, 12), QColor(0, 0, 255));        // title bar
  EXPECT_EQ(image.pixelColor(330, 10), QColor(128, 128, 128));   // close box
  EXPECT_EQ(image.pixelColor(200, 180), QColor(192, 192, 192));  // the page's fill
  // The position box shows the motor's position, live.
  double shown = 0;
  {
    std::lock_guard lock(workbench.diagnosticScript.mutex);
    shown = workbench.diagnosticScript.tables.variables[1].value;
  }
  EXPECT_NE(shown, 0);

  // "Stop", then the jog speed typed into its value box.
  QTest::mouseClick(diag, Qt::LeftButton, {}, QPoint(134, 123));
  EXPECT_TRUE(TerminalShows("#1J/"));
  bool edited = false;
  WhenModal<diagnostics::ValueEditDialog>([&](diagnostics::ValueEditDialog& d) {
    edited = true;
    EXPECT_EQ(d.windowTitle(), "Edit Diagnostic Window Value");
    EXPECT_EQ(d.TitleLabel().text(), "Jog Speed");
    EXPECT_EQ(d.DescriptionLabel().text(),
              "Ixx22: the jog speed in counts per millisecond.\nSent to the controller at once.");
    EXPECT_EQ(d.ValueField().text(), "32.000");
    EXPECT_EQ(d.MaximumField().text(), "1000.000");
    EXPECT_TRUE(d.MaximumField().isReadOnly());
    test::SaveScreenshot(d.grab().toImage(), "diagnostic_value_dialog");
    d.ValueField().setText("5");
    d.OkButton().click();
  });
  QTest::mouseClick(diag, Qt::LeftButton, {}, QPoint(154, 163));
  ASSERT_TRUE(edited);
  EXPECT_TRUE(TerminalShows("I122=5.000"));
  EXPECT_EQ(std::stod(Ask("I122")), 5);

  // The close box: the window goes and the refresh stops with it.
  QTest::mouseClick(diag, Qt::LeftButton, {}, QPoint(340, 20));
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(FindDiagnosticWindow(), nullptr);
  {
    std::lock_guard lock(workbench.diagnosticScript.mutex);
    workbench.diagnosticScript.tables.variables[1].value = -1;
  }
  Cycles(2);
  std::lock_guard lock(workbench.diagnosticScript.mutex);
  EXPECT_EQ(workbench.diagnosticScript.tables.variables[1].value, -1);
}

TEST_F(DiagnosticWindowGuiTest, AMissingBuiltInScriptSaysWhereItLooked) {
  // Shipped data that lacks the scripts.
  workbench.dataFiles = DataFiles(workbench.startDirectory, {});
  window.MenuAction(cmd::kDiagExtras)->trigger();
  ASSERT_FALSE(desktop.messages.empty());
  EXPECT_EQ(desktop.messages.back().title, "Error Opening File");
  EXPECT_NE(desktop.messages.back().text.find("_Extras.bin"), std::string::npos);
  EXPECT_EQ(FindDiagnosticWindow(), nullptr);
}

}  // namespace
}  // namespace bl

namespace bl {
namespace {

// Offline, for each of the six types, every Diagnostics menu entry opens its built-in panel,
// painted as QPainter draws every figure itself although the window draws the figures it drew
// before from its cache; one non-Turbo and one Turbo set are kept as pictures for people to
// look at.
TEST(DiagnosticMenuGuiTest, EveryEntryOpensItsPanelForEveryType) {
  test::EnsureApplication();
  test::OfflineProgram program;
  program.workbench.dataFiles = DataFiles(program.workbench.startDirectory, {BL_BUILD_DATA_DIR});
  const std::pair<int, const char*> entries[] = {
      {cmd::kDiagSystem, "System"},           {cmd::kDiagIVariables, "IVars"},
      {cmd::kDiagConnectors, "Connectors"},   {cmd::kDiagAccessories, "Accessories"},
      {cmd::kDiagMotorStatus, "MotorStatus"}, {cmd::kDiagMotorJog, "MotorJog"},
      {cmd::kDiagCsPositions, "CS_Positions"}, {cmd::kDiagCsStatus, "CS_Status"},
      {cmd::kDiagExtras, "Extras"}};
  for (int code = 1; code <= 6; ++code) {
    SetTypeFromTable(program.workbench.controllerType, code);
    const std::string type = program.workbench.controllerType.shortName;
    for (const auto& [id, name] : entries) {
      SCOPED_TRACE(type + " " + name);
      program.desktop.messages.clear();
      program.window.MenuAction(id)->trigger();
      QApplication::processEvents();
      EXPECT_TRUE(program.desktop.messages.empty())
          << program.desktop.messages.back().title << ": " << program.desktop.messages.back().text;
      auto* diag = FindDiagnosticWindow();
      ASSERT_NE(diag, nullptr);
      // The window takes the size of the script's first page (at least a title bar).
      const QImage image = diag->Render();
      EXPECT_GT(image.width(), 100);
      EXPECT_GT(image.height(), 60);
      QImage plain(image.size(), QImage::Format_RGB32);
      plain.fill(Qt::white);
      {
        QPainter painter(&plain);
        platform::QtCanvas canvas(painter, {plain.width(), plain.height()});
        diag->Window().Paint(canvas, program.workbench.monitor.diagnosticLive.value.load());
      }
      EXPECT_EQ(image, plain);
      EXPECT_EQ(diag->Render(), plain) << "painted again from the cache";
      if (code == 2 || code == 5) 
        test::SaveScreenshot(image, QString::fromStdString("diagnostics_" + type + "_" + name));
    }
  }
}

}  // namespace
}  // namespace bl
