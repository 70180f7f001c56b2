#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>

#include "commands/command_ids.h"
#include "controller/identify_controller.h"
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
#include "tuning/qt/filter_page.h"
#include "tuning/qt/gain_pages.h"
#include "tuning/qt/motor_selection_group.h"
#include "tuning/qt/motor_tuning_sheet.h"

namespace bl {
namespace {

using series::FilterSet;
using test::WhenModal;

// The sheet over the built-in virtual controller, whose motors keep their I-variables.
class MotorTuningGuiTest : public ::testing::Test, protected test::VirtualProgram {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  MotorTuningGuiTest() {
    window.resize(900, 600);
    window.show();
  }

  double Read(int variable) {
    double value = -12345;
    workbench.link.PmacValue(ValueKind::I, variable, value, AccessMode::Read);
    return value;
  }
  void Send(const char* command) { Ask(command); }

};

TEST_F(MotorTuningGuiTest, GainsAndFilterGoToTheAddressedMotor) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ConnectAndIdentify();
  Send("#2 I230=1000 I231=5000 I232=100 I233=50 I234=1 I235=30 I236=0 I237=0 I238=0 I239=0");

  bool shown = false;
  WhenModal<tuning::MotorTuningSheet>([&](tuning::MotorTuningSheet& sheet) {
    shown = true;
    EXPECT_EQ(sheet.windowTitle(), "Motor Tuning");
    QTabWidget& tabs = sheet.Tabs();
    ASSERT_EQ(tabs.count(), 4);
    EXPECT_EQ(tabs.tabText(0), "Position Loop Tuning");
    EXPECT_EQ(tabs.tabText(1), "Position Loop Modifiers");
    EXPECT_EQ(tabs.tabText(2), "Position Loop Filter");
    EXPECT_EQ(tabs.tabText(3), "Test Moves");

    auto* gains = dynamic_cast<tuning::GainPage*>(tabs.widget(0));
    ASSERT_NE(gains, nullptr);
    EXPECT_EQ(gains->Selection().List()->currentText(), "Motor 2");
    EXPECT_EQ(gains->Field(0).text(), "1000");
    // A new proportional gain typed and the field left (the focus handed on as a click would,
    // without depending on the offscreen window being active), then the stiffness button.
    gains->Field(0).selectAll();
    QTest::keyClicks(&gains->Field(0), "1200");
    QFocusEvent leave(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(&gains->Field(0), &leave);
    EXPECT_EQ(Read(230), 1200);
    gains->UpButton(0).click();
    EXPECT_EQ(gains->Field(0).text(), "1320");
    EXPECT_EQ(gains->Field(1).text(), "4545");
    test::SaveScreenshot(sheet.grab().toImage(), "motor_tuning_gains");

    tabs.setCurrentIndex(1);
    auto* modifiers = dynamic_cast<tuning::ModifiersPage*>(tabs.widget(1));
    ASSERT_NE(modifiers, nullptr);
    EXPECT_EQ(modifiers->Selection().List()->currentIndex(), 1);
    test::SaveScreenshot(sheet.grab().toImage(), "motor_tuning_modifiers");

    tabs.setCurrentIndex(2);
    auto* filter = dynamic_cast<tuning::FilterPage*>(tabs.widget(2));
    ASSERT_NE(filter, nullptr);
    EXPECT_FALSE(filter->Slider(FilterSet::kDenominator, 0).isVisible());
    filter->KindButtons(FilterSet::kDenominator).button(1)->click();  // "Low-Pass 1"
    QSlider& first = filter->Slider(FilterSet::kDenominator, 0);
    EXPECT_TRUE(first.isVisible());
    EXPECT_FALSE(filter->Slider(FilterSet::kDenominator, 1).isVisible());
    first.setFocus();
    for (int i = 0; i < 10; ++i) QTest::keyClick(&first, Qt::Key_PageUp);
    EXPECT_EQ(first.value(), 200);
    EXPECT_EQ(filter->SliderValue(FilterSet::kDenominator, 0).text(), "226 Hz");
    const QString d1 = filter->Design(2).text();
    const QString d2 = filter->Design(3).text();
    filter->ApplyButton().click();
    EXPECT_EQ(filter->Coefficient(2).text(), d1);
    test::SaveScreenshot(sheet.grab().toImage(), "motor_tuning_filter");
    sheet.accept();
    EXPECT_NE(d1, "0.000000");
    EXPECT_NEAR(Read(238), d1.toDouble(), 1e-6);
    EXPECT_EQ(d2, "0.000000");
    EXPECT_EQ(Read(239), 0);
  });
  window.MenuAction(cmd::kMotorTuning)->trigger();
  ASSERT_TRUE(shown);
  // The stiffness step reached motor 2 (its arithmetic is checked with the page's presenter).
  EXPECT_EQ(Read(230), 1320);
  EXPECT_EQ(Read(231), 4545);
  // The design is kept for the next opening of the sheet.
  EXPECT_EQ(workbench.positionLoop.designer.Kind(FilterSet::kDenominator),
            series::FilterKind::kFirstOrder);
}

}  // namespace
}  // namespace bl
