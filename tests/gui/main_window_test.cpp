#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QTest>
#include <QTimer>
#include <memory>
#include <vector>

#include "gui_support.h"
#include "link/builtin_library.h"
#include "link/pmac_link.h"
#include "link/qt/select_device_dialog.h"
#include "platform/clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/immediate_ui_thread.h"
#include "platform/qt/qt_desktop.h"
#include "editor/editor_state.h"
#include "commands/command_ids.h"
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

  // The echo's lines and colours in detail are the command line's own tests.
  EXPECT_EQ(workbench.terminal.Line(1).text, "Command:  P1");
  EXPECT_EQ(workbench.terminal.Line(0).text, "Line  1:  Not Connected to a PMAC Device.");

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

// The close box: the shell's unsaved-changes question decides in the one close event.
TEST_F(MainWindowTest, CloseBoxClosesOnProceedAndStaysOpenOnCancel) {
  MainWindow window(workbench, shell);
  int asked = 0;
  bool proceed = false;
  shell.hooks.confirmUnsaved = [&] {
    ++asked;
    return proceed;
  };
  // One try by the close box or by Exit: exactly one question, and the window open when it
  // returns only if the answer was no.
  const auto attempt = [&](bool byExit, bool answer) {
    if (!window.isVisible()) {
      window.show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    proceed = answer;
    const int before = asked;
    if (byExit)
      window.MenuAction(cmd::kExit)->trigger();
    else
      EXPECT_EQ(window.close(), answer);
    EXPECT_EQ(asked, before + 1);
    EXPECT_EQ(window.isVisible(), !answer);
  };
  // Every cancelled click asks again; shown again, the window still asks. Exit asks once (not
  // a second time in the close event) and leaves the close box asking.
  const std::pair<bool, bool> tries[] = {{false, false}, {false, false}, {false, true},
                                         {false, false}, {false, true},  {true, false},
                                         {true, true},   {false, false}};
  for (const auto& [byExit, answer] : tries) {
    SCOPED_TRACE(asked);
    attempt(byExit, answer);
  }
}

// The close box as the window system sends it: a close event of its own, not QWidget::close.
TEST_F(MainWindowTest, SpontaneousCloseEventIsDecidedInOneGo) {
  MainWindow window(workbench, shell);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  int asked = 0;
  bool proceed = false;
  shell.hooks.confirmUnsaved = [&] {
    ++asked;
    return proceed;
  };
  QCloseEvent cancelled;
  QApplication::sendEvent(&window, &cancelled);
  EXPECT_FALSE(cancelled.isAccepted());
  EXPECT_EQ(asked, 1);
  proceed = true;
  QCloseEvent accepted;
  QApplication::sendEvent(&window, &accepted);
  EXPECT_TRUE(accepted.isAccepted());
  EXPECT_EQ(asked, 2);
}

// Closes any modal dialog that opens while it runs, and counts them: the paths below must open
// none once the window is gone (nor wait for a user, should one open all the same).
class DialogGuard {
 public:
  DialogGuard() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        ++opened;
        parents.push_back(modal->parentWidget());
        modal->close();
      }
    });
    timer_.start(20);
  }
  int opened = 0;
  std::vector<QWidget*> parents;

 private:
  QTimer timer_;
};

// Hooks the window gave the shell and the editor end with the window: the core paths that call
// them afterwards find nothing to call (under AddressSanitizer a call would be a use after free).
TEST_F(MainWindowTest, ShellAndEditorHooksEndWithTheWindow) {
  auto window = std::make_unique<MainWindow>(workbench, shell);
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  shell.SelectView(kViewEditor, true);
  ASSERT_TRUE(shell.hooks.showView);
  ASSERT_TRUE(shell.editor.edit);
  ASSERT_TRUE(workbench.editor.repaint);
  ASSERT_TRUE(shell.HasCommand(cmd::kEditorPreferences));
  ASSERT_TRUE(shell.HasCommand(cmd::kOpenProject));
  ASSERT_TRUE(workbench.editor.fileList.changed);
  window.reset();

  const Shell::Hooks& h = shell.hooks;
  EXPECT_FALSE(h.showView || h.relayout || h.repaint || h.pressToolbarButton ||
               h.enableGatheringButtons || h.destroyMainWindow || h.runConnectionDialogs ||
               h.chooseVariable || h.commandLineEdit || h.insertIntoCommandLine ||
               h.sendKeyToView || h.showAbout || h.closeFindDialog ||
               h.reprocessSeriesAndLimits || h.refreshGraphPanel || h.confirmUnsaved);
  const Shell::EditorHooks& e = shell.editor;
  EXPECT_FALSE(e.edit || e.undo || e.focus || e.insert || e.findAndReplace);
  EXPECT_FALSE(workbench.editor.repaint || workbench.editor.repaintRaw ||
               workbench.editor.relayout || workbench.editor.focusEditor ||
               workbench.editor.showEditorView || workbench.editor.showTerminalView ||
               workbench.editor.repaintMainWindow || workbench.editor.fileList.changed);
  EXPECT_FALSE(workbench.terminal.repaint);
  EXPECT_FALSE(shell.HasCommand(cmd::kEditorPreferences));
  for (int command : {cmd::kNewProgramFile, cmd::kOpenProgramFile, cmd::kOpenProject,
                      cmd::kSaveProgramFile, cmd::kSaveProgramFileAs})
    EXPECT_FALSE(shell.HasCommand(command));

  DialogGuard guard;
  // The editor's commands.
  for (int command : {cmd::kCut, cmd::kCopy, cmd::kPaste, cmd::kDelete, cmd::kUndo,
                      cmd::kFindReplace, cmd::kInsertP, cmd::kEditorPreferences})
    shell.RunCommand(command);
  editor::Repaint(workbench.editor);
  // The terminal's command line, the data view, the views and the frame's own commands.
  shell.SelectView(kViewTerminal, true);
  for (int command : {cmd::kCopy, cmd::kInsertQ}) shell.RunCommand(command);
  shell.SelectView(kViewData, true);
  shell.RunCommand(cmd::kPaste);
  shell.SelectView(kViewGraphXY, true);
  for (int command : {cmd::kFullScreen, cmd::kAbout, cmd::kConnect, cmd::kExit})
    shell.RunCommand(command);
  workbench.terminal.TerminalAddLine("after the window", 0);
  EXPECT_EQ(guard.opened, 0);
}

// The desktop's owner and the built-in library's device choice, set from the main window as the
// program does, keep no pointer to it once it is destroyed: both outlive it.
TEST_F(MainWindowTest, DesktopOwnerAndDeviceChoiceForgetTheDestroyedWindow) {
  platform::QtDesktop qtDesktop;
  BuiltinDevices devices("");
  auto window = std::make_unique<MainWindow>(workbench, shell);
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  qtDesktop.SetOwner(window.get());
  SetDeviceChooser(devices, window.get());
  ASSERT_TRUE(devices.chooseDevice);
  window.reset();

  DialogGuard guard;
  // The device choice shows nothing and chooses no device, so a connection is not made.
  BuiltinVendorLibrary library(devices);
  EXPECT_EQ(library.PmacSelect(nullptr), -1);
  PmacLink link(workbench.terminal, workbench.definitions, desktop, BuiltinLibraryLoader(devices));
  EXPECT_EQ(link.LinkConnect(), -1);
  EXPECT_EQ(link.PmacDevice(), -1);
  EXPECT_EQ(guard.opened, 0);

  // A message box still comes up (the guard closes it), without the destroyed window as parent.
  platform::Desktop& services = qtDesktop;
  services.ShowMessage("After the main window.", "Brightlantern");
  ASSERT_EQ(guard.opened, 1);
  QWidget* parent = guard.parents.front();
  EXPECT_TRUE(parent == nullptr || QApplication::topLevelWidgets().contains(parent));
}

}  // namespace
}  // namespace bl
