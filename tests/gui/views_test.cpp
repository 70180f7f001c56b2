#include <gtest/gtest.h>

#include <QApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "commands/command_ids.h"
#include "gui_support.h"
#include "link/builtin_library.h"
#include "offline_program.h"
#include "platform/clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/immediate_ui_thread.h"
#include "platform/qt/canvas_widget.h"
#include "series/qt/table_view.h"
#include "shell/main_menu.h"
#include "shell/qt/main_window.h"
#include "shell/qt/toolbar.h"
#include "shell/shell.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"
#include "terminal/qt/command_line_edit.h"

namespace bl {
namespace {

class ViewsTest : public ::testing::Test, protected test::OfflineProgram {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  void SetUp() override {
    window.resize(kMainDefaultWidth, kMainDefaultHeight);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  QImage Client() { return window.Client().grab().toImage(); }
};

TEST_F(ViewsTest, ToolbarKeepsExactlyOneButtonPressed) {
  Toolbar& toolbar = window.Client().ToolbarWidget();
  for (int i = 0; i < 10; ++i) {
    QTest::mouseClick(toolbar.Button(i), Qt::LeftButton);
    EXPECT_EQ(shell.PressedButton(), i);
    int pressed = 0;
    for (int j = 0; j < 10; ++j) pressed += toolbar.Button(j)->isChecked() ? 1 : 0;
    EXPECT_EQ(pressed, 1);
    EXPECT_TRUE(toolbar.Button(i)->isChecked());
  }
  EXPECT_EQ(shell.ViewId(), kViewGraphXY);
}

TEST_F(ViewsTest, GraphViewPanesButtonsAndPanel) {
  shell.RunCommand(77);
  MainClientArea& c = window.Client();
  const int w = c.width(), h = c.height();
  EXPECT_TRUE(c.GraphPane(0).isVisible());
  EXPECT_FALSE(c.GraphPane(1).isVisible());
  EXPECT_EQ(c.GraphPane(0).geometry(), QRect(0, 50, w, h - 225));
  EXPECT_EQ(c.Button(cmd::kCursors).text(), "Cursors: Off");
  EXPECT_EQ(c.Button(cmd::kCursors).geometry().topLeft(),
            QPoint(static_cast<int>(0.275 * w), h - 225 + 55));

  const QImage image = Client();
  test::SaveScreenshot(window.grab().toImage(), "view_graph");
  // The black line across the panel and light grey around it.
  EXPECT_EQ(image.pixelColor(3, h - 135), QColor(0, 0, 0));
  EXPECT_EQ(image.pixelColor(3, h - 133), QColor(192, 192, 192));
  // The "Axis" heading is black text in its band; the row label "#1:" at the left.
  EXPECT_TRUE(test::AnyPixelNear(image, QRect(w - 100, h - 130, 100, 25), Qt::black, 60));
  EXPECT_TRUE(test::AnyPixelNear(image, QRect(5, h - 105, 40, 25), Qt::black, 60));

  // The cursor button cycles its mode and shows it.
  c.Button(cmd::kCursors).click();
  EXPECT_EQ(c.Button(cmd::kCursors).text(), "Cursors: Left");
  c.Button(cmd::kCursors).click();
  c.Button(cmd::kCursors).click();
  EXPECT_EQ(c.Button(cmd::kCursors).text(), "Cursors: Off");

  shell.RunCommand(79);  // graph type 2: two half panes
  EXPECT_TRUE(c.GraphPane(1).isVisible());
  const int g = h - 225;
  EXPECT_EQ(c.GraphPane(0).geometry(), QRect(0, 50, w, g / 2));
  EXPECT_EQ(c.GraphPane(1).geometry(), QRect(0, 50 + g / 2, w, g / 2 + 1));

  shell.RunCommand(cmd::kFullScreen);
  EXPECT_EQ(c.Button(cmd::kFullScreen).text(), "FullScreen: On");
  EXPECT_EQ(c.GraphPane(0).height() + c.GraphPane(1).height(), (h - 85) / 2 * 2 + 1);
}

TEST_F(ViewsTest, DataViewPanelAndDisabledGatheringButtons) {
  workbench.gatherStatus.period = 1;
  workbench.gatherStatus.start = 0x1000;
  workbench.gatherStatus.current = 0x1800;
  workbench.gatherStatus.end = 0x2000;
  workbench.controllerType.servoPeriod = 0.0005;
  shell.RunCommand(73);
  MainClientArea& c = window.Client();
  const int w = c.width(), h = c.height();
  EXPECT_EQ(c.DataWindow().geometry(), QRect(0, 50, w, h - 185));
  for (int command : {cmd::kDefineBuffer, cmd::kBufferSettings, cmd::kBeginGathering,
                      cmd::kEndGathering, cmd::kUploadData}) {
    EXPECT_TRUE(c.Button(command).isVisible());
    EXPECT_FALSE(c.Button(command).isEnabled());
  }
  EXPECT_EQ(c.Button(cmd::kUploadData).geometry(), QRect(10, h - 25, w / 2 - 20, 23));

  const QImage image = Client();
  test::SaveScreenshot(window.grab().toImage(), "view_data");
  // The bar is half full: blue from W/2 + 10, white after the filled part.
  const int filled = static_cast<int>(50 * (w / 2 - 20) * 0.01);
  EXPECT_EQ(image.pixelColor(w / 2 + 12, h - 112), QColor(0, 0, 255));
  EXPECT_EQ(image.pixelColor(w / 2 + 10 + filled + 3, h - 112), QColor(255, 255, 255));
  EXPECT_EQ(image.pixelColor(5, h - 130), QColor(192, 192, 192));
  EXPECT_TRUE(test::AnyPixelNear(image, QRect(10, h - 124, w / 2 - 20, 23), Qt::black, 60));
}

// The command line sends one byte per character: a character beyond Latin-1, typed or pasted,
// is dropped rather than sent as '?'.
TEST_F(ViewsTest, CommandLineDropsCharactersBeyondLatin1) {
  shell.SelectView(kViewTerminal, true);
  CommandLineEdit& line = window.Client().CommandLine();
  line.setFocus();
  QTest::keyClicks(&line, "P1=");
  for (const QString& text : {QString::fromUtf8("\u20ac"), QString::fromUtf8("\u6f22")}) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QApplication::sendEvent(&line, &press);
  }
  QTest::keyClicks(&line, "5");
  EXPECT_EQ(line.text(), "P1=5");
  line.insert(QString::fromUtf8("\u00b5 x\u20acy"));  // as a paste inserts
  EXPECT_EQ(line.text(), QString::fromUtf8("P1=5\u00b5 xy"));
  EXPECT_EQ(line.cursorPosition(), line.text().size());
}

TEST_F(ViewsTest, EditorViewEditsAndUndoesThroughTheMenu) {
  shell.RunCommand(72);
  ASSERT_EQ(shell.ViewId(), kViewEditor);
  QWidget* focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr);
  workbench.definitions.DefineLine("#define Speed P10", 0, workbench.terminal);
  QTest::keyClicks(focus, "OPEN PLC 1 CLEAR ; start");
  QTest::keyClick(focus, Qt::Key_Return);
  QTest::keyClicks(focus, "Speed=10*\"x\"");
  EXPECT_EQ(workbench.editor.editorText.substr(0, 25), "OPEN PLC 1 CLEAR ; start\n");
  // "Toggle Raw Code" shows the raw pane at a third of the width.
  auto* view = window.Client().MainChild(kViewEditor);
  QPushButton* toggle = nullptr;
  for (QPushButton* b : view->findChildren<QPushButton*>())
    if (b->text() == "Toggle Raw Code") toggle = b;
  ASSERT_NE(toggle, nullptr);
  QTest::mouseClick(toggle, Qt::LeftButton);
  EXPECT_EQ(workbench.editor.rawWidth, static_cast<int>(0.33 * window.Client().width()));
  test::SaveScreenshot(window.grab().toImage(), "view_editor");

  const std::size_t typed = workbench.editor.editorText.size();
  window.MenuAction(cmd::kUndo)->trigger();
  EXPECT_LT(workbench.editor.editorText.size(), typed);
  EXPECT_TRUE(desktop.messages.empty());  // no Undo Error in the editor

  // The band at the top of the view names the file: white text on blue.
  const QImage image = Client();
  EXPECT_EQ(image.pixelColor(window.Client().width() - 5, 55), QColor(0, 0, 255));
  EXPECT_TRUE(test::AnyPixelNear(image, QRect(5, 52, 100, 22), Qt::white, 30));
}

TEST_F(ViewsTest, MenuBarFollowsTheCommandTable) {
  const QList<QAction*> popups = window.menuBar()->actions();
  const auto& menu = MainMenu();
  ASSERT_EQ(popups.size(), static_cast<qsizetype>(menu.size()));
  const QStringList titles = {"&File",     "&Edit",        "&Preferences", "&PMAC",
                              "&Graphing", "&Diagnostics", "&Help"};
  for (qsizetype i = 0; i < popups.size(); ++i) {
    EXPECT_EQ(popups[i]->text(), titles[i]);
    QList<int> commands;
    for (QAction* a : popups[i]->menu()->actions())
      commands << (a->isSeparator() ? 0 : a->data().toInt());
    QList<int> expected;
    for (const MenuEntry& e : menu[static_cast<std::size_t>(i)].entries) expected << e.command;
    EXPECT_EQ(commands, expected) << titles[i].toStdString();
  }
  const QList<int> file = {32822, 32818, 32826, 0,     32820, 32823, 0,  32821,
                           32829, 32827, 0,     32869, 32950, 0,     104};
  QList<int> fileCommands;
  for (QAction* a : popups[0]->menu()->actions())
    fileCommands << (a->isSeparator() ? 0 : a->data().toInt());
  EXPECT_EQ(fileCommands, file);
  EXPECT_EQ(window.MenuAction(32881)->text(), "&Position Window (Pos, Vel, F.E.)");
  EXPECT_EQ(window.MenuAction(32870)->text(), "&Brightlantern User's Manual (Table of contents)");
}

// Closing and Exit with their question are worked by the main window and program file tests.
TEST_F(ViewsTest, UndoOutsideTheEditorIsAnError) {
  shell.SelectView(kViewTerminal, true);
  window.MenuAction(cmd::kUndo)->trigger();
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].title, "Undo Error!");
}

// A connection that cannot be made: the message box, and the reason in red in the real terminal.
TEST(TerminalView, AFailedConnectionShowsItsReasonInRed) {
  test::EnsureApplication();
  BuiltinDevices devices{""};
  DeviceTable table = devices.Table();
  table[3].kind = DeviceConfig::Kind::Ethernet;
  table[3].host = "127.0.0.1";
  table[3].port = 1;  // nothing listens there
  table[3].timeoutMs = 500;
  std::string error;
  ASSERT_TRUE(devices.SetTable(table, error));
  devices.chooseDevice = [] { return 3; };
  platform::FakeDesktop desktop;
  platform::ImmediateUiThread ui;
  platform::SystemClock clock;
  Workbench workbench{desktop, ui, clock, BuiltinLibraryLoader(devices)};
  Shell shell{workbench};
  MainWindow window{workbench, shell};
  window.resize(kMainDefaultWidth, kMainDefaultHeight);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  AddStartupBanner(workbench.terminal);
  shell.SelectView(kViewTerminal, true);

  EXPECT_EQ(workbench.link.LinkConnect(), -1);
  EXPECT_EQ(desktop.messages.back().text, "Unable to connect to the specified device.");
  EXPECT_EQ(workbench.terminal.Line(0).text, "cannot connect to 127.0.0.1:1: Connection refused");
  QApplication::processEvents();
  const QImage image = window.grab().toImage();
  test::SaveScreenshot(image, "terminal_connection_refused");
  EXPECT_TRUE(test::AnyPixelNear(image, image.rect(), QColor(255, 0, 0), 30));
}

}  // namespace
}  // namespace bl
