// The watch window, the position window and "Set PMAC Variables" opened from the menu of the
// real main window, connected to the built-in virtual controller, drawn off screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <filesystem>

#include "commands/command_ids.h"
#include "controller/identify_controller.h"
#include "diagnostics/qt/position_units_dialog.h"
#include "diagnostics/qt/position_widget.h"
#include "diagnostics/qt/variable_setup_dialog.h"
#include "diagnostics/qt/watch_item_dialog.h"
#include "diagnostics/qt/watch_widget.h"
#include "diagnostics/watch_settings.h"
#include "gui_support.h"
#include "virtual_program.h"
#include "link/builtin_library.h"
#include "link/virtual_time.h"
#include "platform/clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/immediate_ui_thread.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"
#include "shell/workbench.h"

namespace bl {
namespace {

using test::WhenModal;

template <typename T>
T* FindWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* found = dynamic_cast<T*>(w); found && w->isVisible()) return found;
  return nullptr;
}

void TypeInto(QLineEdit& field, const QString& text) {
  field.setFocus();
  field.selectAll();
  QTest::keyClicks(&field, text);
  Q_EMIT field.editingFinished();
}

class MonitorWindowsGuiTest : public ::testing::Test, protected test::VirtualProgram {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  MonitorWindowsGuiTest() {
    window.resize(700, 500);
    window.show();
  }

  // Monitor cycles run here, on the user-interface thread; their repaints are immediate.
  void Cycles(int n) {
    for (int i = 0; i < n; ++i) workbench.monitor.Cycle();
    QApplication::processEvents();
  }

};

TEST_F(MonitorWindowsGuiTest, WatchWindowShowsInsertedItemsLive) {
  ConnectAndIdentify();
  std::filesystem::remove(diagnostics::WatchSettingsPath(workbench.controllerType.shortName));
  Ask("P100=6 P101=-3");
  workbench.definitions.DefineLine("#define Speed P100", 0, workbench.terminal);
  window.MenuAction(cmd::kWatchWindow)->trigger();
  auto* watch = FindWindow<diagnostics::WatchWidget>();
  ASSERT_NE(watch, nullptr);
  EXPECT_EQ(watch->windowTitle(), "Watch Window");
  EXPECT_EQ(watch->size(), QSize(488, 66));

  bool shown = false;
  WhenModal<diagnostics::WatchItemDialog>([&](diagnostics::WatchItemDialog& d) {
    shown = true;
    EXPECT_EQ(d.windowTitle(), "Insert/Modify Watch Item");
    EXPECT_EQ(d.ScaleField().text(), "1.000000");
    EXPECT_TRUE(d.DisplayButton(0).isChecked());
    d.ItemField().setText("Speed");
    d.ScaleField().setText("2");
    d.MaximumField().setText("10");
    d.PrecisionField().setText("1");
    d.InsertButton().click();
    EXPECT_EQ(d.ItemField().text(), "");  // ready for the next item
    d.ItemField().setText("P101");
    d.DisplayButton(2).click();  // "Meter"
    d.MaximumField().setText("0");
    d.MinimumField().setText("-10");
    d.InsertButton().click();
    d.ItemField().setText("I10");
    d.DisplayButton(1).click();  // "Indicator Lamp"
    d.MaximumField().setText("10000000");
    d.MinimumField().setText("0");
    d.InsertButton().click();
    d.ItemField().setText("P102");
    d.DisplayButton(3).click();  // "Graph"
    d.MaximumField().setText("10");
    d.MinimumField().setText("-10");
    d.ScaleField().setText("1");
    d.InsertButton().click();
    d.ItemField().setText("Z1");
    d.InsertButton().click();
    test::SaveScreenshot(d.grab().toImage(), "watch_item_dialog");
    d.reject();
  });
  QTest::mouseClick(watch, Qt::LeftButton, {}, QPoint(60, 20));  // "Insert"
  ASSERT_TRUE(shown);
  ASSERT_EQ(desktop.messages.size(), 2u);  // "Connected to PMAC!" and the bad item
  EXPECT_EQ(desktop.messages.back().text, "Invalid Watch Item");
  EXPECT_EQ(watch->size(), QSize(488, 166));

  for (int i = 0; i < 50; ++i) {
    Ask(i % 10 < 5 ? "P102=P102+1" : "P102=P102-1");
    Cycles(1);
  }
  const QImage image = watch->Render();
  test::SaveScreenshot(image, "watch_window");
  // P100 reads 6, scaled 12: above the range, so its name columns are white on red.
  EXPECT_EQ(image.pixelColor(10, 63), QColor(255, 0, 0));
  EXPECT_TRUE(test::AnyPixelNear(image, QRect(60, 61, 80, 23), QColor(255, 255, 255), 10));
  // P101 is within its range: black on white, and its meter is green from the left by 70 %.
  EXPECT_EQ(image.pixelColor(10, 88), QColor(255, 255, 255));
  EXPECT_EQ(image.pixelColor(330, 98), QColor(0, 255, 0));
  EXPECT_EQ(image.pixelColor(460, 98), QColor(64, 64, 64));
  // I10 lies within its range: a green lamp. P102 draws its history in green on dark grey.
  EXPECT_EQ(image.pixelColor(400, 124), QColor(0, 255, 0));
  EXPECT_TRUE(test::AnyPixelNear(image, QRect(325, 140, 150, 16), QColor(0, 255, 0), 10));
  EXPECT_TRUE(test::AnyPixelNear(image, QRect(325, 140, 150, 16), QColor(64, 64, 64), 10));
  // Title bar and header.
  EXPECT_EQ(image.pixelColor(440, 12), QColor(0, 0, 255));
  EXPECT_EQ(image.pixelColor(440, 40), QColor(192, 192, 192));

  // The second row dragged above the first, then deleted with the Delete key.
  QTest::mousePress(watch, Qt::LeftButton, {}, QPoint(100, 90));
  QTest::mouseMove(watch, QPoint(100, 65));
  QTest::mouseRelease(watch, Qt::LeftButton, {}, QPoint(100, 65));
  auto items = watch->Window().SelectedRow();
  EXPECT_EQ(items, 0);
  QTest::keyClick(watch, Qt::Key_Delete);
  EXPECT_EQ(watch->size(), QSize(488, 141));

  // The close box.
  QTest::mouseClick(watch, Qt::LeftButton, {}, QPoint(470, 20));
  QApplication::processEvents();
  EXPECT_EQ(FindWindow<diagnostics::WatchWidget>(), nullptr);
  // The items outlive the window.
  window.MenuAction(cmd::kWatchWindow)->trigger();
  ASSERT_NE(FindWindow<diagnostics::WatchWidget>(), nullptr);
  EXPECT_EQ(FindWindow<diagnostics::WatchWidget>()->size(), QSize(488, 141));
  FindWindow<diagnostics::WatchWidget>()->close();
}

TEST_F(MonitorWindowsGuiTest, PositionWindowPagesThroughTheMotorsInUserUnits) {
  ConnectAndIdentify();
  ASSERT_TRUE(workbench.controllerType.IsTurbo());
  window.MenuAction(cmd::kPositionWindow)->trigger();
  auto* position = FindWindow<diagnostics::PositionWidget>();
  ASSERT_NE(position, nullptr);
  EXPECT_EQ(position->windowTitle(), "Motor Position Window");
  EXPECT_EQ(position->size(), QSize(435, 331));
  ASSERT_NE(position->Button(5), nullptr);
  EXPECT_EQ(position->Button(5)->text(), "Next 8 Motors   ---->");
  EXPECT_EQ(position->Button(4)->geometry(), QRect(4, 300, 212, 25));

  bool shown = false;
  WhenModal<diagnostics::PositionUnitsDialog>([&](diagnostics::PositionUnitsDialog& d) {
    shown = true;
    EXPECT_EQ(d.windowTitle(), "Position Window Units");
    EXPECT_EQ(d.Field(0, 0).text(), "Counts");
    EXPECT_EQ(d.Field(0, 1).text(), "1.0000");
    d.Field(0, 0).setText("mm");
    d.Field(0, 1).setText("1000");
    d.Field(0, 2).setText("15");
    test::SaveScreenshot(d.grab().toImage(), "position_units_dialog");
    d.accept();
  });
  position->Button(3)->click();
  ASSERT_TRUE(shown);
  position->Button(1)->click();  // velocities
  EXPECT_EQ(workbench.position.displayMode, 1);
  Cycles(3);
  QImage image = position->grab().toImage();
  test::SaveScreenshot(image, "position_window");
  EXPECT_EQ(image.pixelColor(380, 12), QColor(0, 0, 255));
  EXPECT_EQ(image.pixelColor(200, 40), QColor(255, 255, 255));
  EXPECT_EQ(image.pixelColor(200, 65), QColor(0, 0, 0));  // the first row's line

  position->Button(5)->click();
  EXPECT_EQ(workbench.position.motorGroup, 1);
  position->Button(4)->click();
  position->Button(4)->click();
  EXPECT_EQ(workbench.position.motorGroup, 3);
  QTest::mouseClick(position, Qt::LeftButton, {}, QPoint(410, 20));
  QApplication::processEvents();
  EXPECT_EQ(FindWindow<diagnostics::PositionWidget>(), nullptr);
}

TEST_F(MonitorWindowsGuiTest, VariableSetupReadsAndWritesInDecimalAndHexadecimal) {
  ConnectAndIdentify();
  Ask("P100=255");
  bool shown = false;
  WhenModal<diagnostics::VariableSetupDialog>([&](diagnostics::VariableSetupDialog& d) {
    shown = true;
    EXPECT_EQ(d.windowTitle(), "Set PMAC Variables");
    d.ScrollBar().triggerAction(QAbstractSlider::SliderPageStepAdd);
    for (int i = 0; i < 4; ++i) d.ScrollBar().triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(d.Label(0).text(), "P100");
    d.HexadecimalButton().click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !d.ValueField(19).text().isEmpty(); }, 5000));
    EXPECT_EQ(d.ValueField(0).text(), "$0000FF");
    TypeInto(d.ValueField(1), "$10");
    EXPECT_EQ(Ask("P101"), "16\r\x06");
    TypeInto(d.ValueField(2), "twelve");
    EXPECT_EQ(desktop.messages.back().title, "Set PMAC Variables");
    EXPECT_EQ(d.ValueField(2).text(), "twelve");
    d.KindButton(3).click();
    EXPECT_EQ(d.Label(0).text(), "M100");
    EXPECT_TRUE(d.AddressField(0).isEnabled());
    TypeInto(d.AddressField(0), "X:$0,24");
    EXPECT_EQ(Ask("M100->"), "X:$0,0,24\r\x06");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !d.AddressField(19).text().isEmpty(); }, 5000));
    test::SaveScreenshot(d.grab().toImage(), "variable_setup_dialog");
    d.DecimalButton().click();
    d.KindButton(1).click();
    d.accept();
  });
  window.MenuAction(cmd::kVariableSetup)->trigger();
  EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace bl
