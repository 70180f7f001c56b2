#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "gui_support.h"
#include "platform/clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/immediate_ui_thread.h"
#include "shell/main_layout.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"
#include "terminal/qt/command_line_edit.h"
#include "terminal/qt/terminal_view.h"

namespace bl {
namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  platform::FakeDesktop desktop;
  platform::ImmediateUiThread ui;
  platform::SystemClock clock;
  Workbench workbench{desktop, ui, clock, [] { return LibraryLoad{}; }};
  Shell shell{workbench};
};

TEST_F(MainWindowTest, TypedCommandIsEchoedWithTheNotConnectedReply) {
  AddStartupBanner(workbench.terminal);
  MainWindow window(workbench, shell);
  window.resize(kMainDefaultWidth, kMainDefaultHeight);
  window.show();
  shell.SelectView(kViewTerminal, true);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  EXPECT_EQ(window.minimumSize(), QSize(kMainMinWidth, kMainMinHeight));
  EXPECT_EQ(workbench.terminal.Line(6).text, "Welcome to Quillon Controls's Brightlantern.");

  CommandLineEdit& edit = window.Client().CommandLine();
  QTest::keyClicks(&edit, "P1");
  QTest::keyClick(&edit, Qt::Key_Return);
  EXPECT_TRUE(edit.text().isEmpty());

  const Terminal& t = workbench.terminal;
  EXPECT_EQ(t.Line(2).text, "");
  EXPECT_EQ(t.Line(2).color, 6);
  EXPECT_EQ(t.Line(1).text, "Command:  P1");
  EXPECT_EQ(t.Line(1).color, 13);
  EXPECT_EQ(t.Line(0).text, "Line  1:  Not Connected to a PMAC Device.");
  EXPECT_EQ(t.Line(0).color, 0);

  // The command line lies in the command row at the layout's place.
  const QSize client = window.Client().size();
  EXPECT_EQ(edit.geometry(), QRect(100, client.height() - 38, client.width() - 110, 25));

  // Pixels of the terminal's client area: the status box, a black reply row, a blue echo row.
  const QImage view = window.Client().Terminal().Client().Render();
  const int w = view.width(), h = view.height();
  EXPECT_EQ(view.pixelColor(w - 60, 5), QColor(0, 0, 255));
  EXPECT_EQ(view.pixelColor(w - 2, 48), QColor(0, 0, 255));
  EXPECT_EQ(view.pixelColor(w - 112, 10), QColor(255, 255, 255));
  EXPECT_TRUE(test::AnyPixelNear(view, QRect(w - 100, 1, 90, 23), Qt::white, 10));
  const QRect replyRow(10, h - 16, w - 130, 16);
  const QRect echoRow(10, h - 32, w - 130, 16);
  EXPECT_TRUE(test::AnyPixelNear(view, replyRow, QColor(0, 0, 0), 60));
  EXPECT_FALSE(test::AnyPixelNear(view, replyRow, QColor(0, 0, 255), 60));
  EXPECT_TRUE(test::AnyPixelNear(view, echoRow, QColor(0, 0, 255), 60));

  // The command row is drawn by the main window around the entry.
  const QImage whole = window.grab().toImage();
  test::SaveScreenshot(whole, "main_window_terminal");
  const QImage area = window.Client().grab().toImage();
  EXPECT_EQ(area.pixelColor(5, client.height() - 5), QColor(192, 192, 192));
  EXPECT_EQ(area.pixelColor(0, client.height() - 30), QColor(0, 0, 0));
}

}  // namespace
}  // namespace bl
