#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "commands/command_ids.h"
#include "editor/file_list.h"
#include "editor/qt/upload_dialog.h"
#include "gui_support.h"
#include "link/builtin_library.h"
#include "platform/clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/qt/qt_ui_thread.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"

namespace bl {
namespace {

// A start directory of the running test's own: the editor's download file is written there, and
// tests run side by side must not download each other's.
class OwnStartDirectory {
 public:
  OwnStartDirectory() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path dir = std::filesystem::path(BL_TEST_OUTPUT_DIR) / "start" /
                                      test->test_suite_name() / test->name();
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
  }
  ~OwnStartDirectory() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_ = std::filesystem::current_path();
};

// Program transfers through the real window: the menu, the progress meter and the upload
// dialog, into the built-in virtual controller.
class TransferGuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  TransferGuiTest() {
    devices.chooseDevice = [] { return 0; };
    window.resize(900, 600);
    window.show();
  }

  // Answers the next modal dialog from inside its event loop.
  template <typename Dialog, typename F>
  void WhenShown(F answer) {
    QTimer::singleShot(0, [answer] {
      auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      answer(*dialog);
    });
  }

  // Uploads the program of that number and kind through the menu's dialog.
  void Upload(const char* number, const char* kind) {
    WhenShown<editor::UploadDialog>([=](editor::UploadDialog& dialog) {
      dialog.findChild<QLineEdit*>("ProgramNumber")->setText(number);
      for (auto* radio : dialog.findChildren<QRadioButton*>())
        if (radio->text() == kind) radio->setChecked(true);
      for (auto* button : dialog.findChildren<QPushButton*>())
        if (button->text() == "OK") button->click();
    });
    window.MenuAction(cmd::kUploadProgramFile)->trigger();
  }

  std::string Ask(const char* command) {
    std::string reply;
    workbench.link.PmacCommand(reply, 999, command, false);
    return reply;
  }

  OwnStartDirectory startDirectory;
  BuiltinDevices devices{""};
  platform::FakeDesktop desktop;
  platform::QtUiThread ui;
  platform::SystemClock clock;
  Workbench workbench{desktop, ui, clock, BuiltinLibraryLoader(devices)};
  Shell shell{workbench};
  MainWindow window{workbench, shell};
};

TEST_F(TransferGuiTest, WithoutAControllerADownloadIsRefused) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.MenuAction(cmd::kDownloadEditorProgram)->trigger();
  ASSERT_FALSE(desktop.messages.empty());
  EXPECT_EQ(desktop.messages.back().text, "Not Connected to PMAC");
  EXPECT_EQ(desktop.messages.back().title, "Download Error");
}


// The example project the way an engineer works it: opened as a project, its programs
// downloaded from the main file, one uploaded with names, changed and downloaded from the
// editor, and the file list showing the project. The upload's framing and names in detail are
// the transfer unit tests'.
TEST_F(TransferGuiTest, TheExampleProjectFromOpeningToUploadAndBack) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const std::string main = BL_SOURCE_DATA_DIR "/Examples/PickPlace/pickplace.pmc";
  desktop.openFileAnswers = {main, main};
  window.MenuAction(cmd::kOpenProject)->trigger();
  EXPECT_EQ(workbench.editor.currentFile, main);
  EXPECT_EQ(workbench.definitions.NameOf(VariableKind::P, 110), "Pick_Height");
  EXPECT_EQ(workbench.editor.fileList.roots[editor::kProgramFilesRoot].children.size(), 4u);
  QApplication::processEvents();  // the tree follows the list on the next turn of the loop
  test::SaveScreenshot(window.grab().toImage(), "editor_example_project");

  ASSERT_EQ(workbench.link.LinkConnect(), 0);
  window.MenuAction(cmd::kDownloadProgramFile)->trigger();
  EXPECT_EQ(workbench.terminal.Line(0).text, "Download finished: 63 lines, 0 errors.");

  Upload("10", "Motion Program");
  EXPECT_EQ(shell.ViewId(), kViewEditor);
  std::string& text = workbench.editor.editorText;
  ASSERT_NE(text.find("Z(Pick_Height)\n"), std::string::npos) << text;
  EXPECT_TRUE(workbench.editor.currentFile.empty());
  EXPECT_FALSE(workbench.editor.modifiedFlag);
  test::SaveScreenshot(window.grab().toImage(), "editor_uploaded_program");

  // A slower pick, downloaded from the editor: the controller lists the change.
  text.replace(text.find("DWELL200"), 8, "DWELL300");
  window.MenuAction(cmd::kDownloadEditorProgram)->trigger();
  EXPECT_EQ(shell.ViewId(), kViewTerminal);
  EXPECT_EQ(workbench.terminal.Line(0).text, "Download finished: 20 lines, 0 errors.");
  EXPECT_NE(Ask("LIST PROG 10").find("\rDWELL300\r"), std::string::npos);

  // Cancelled at the unsaved-changes question: no dialog, the text stays.
  shell.hooks.confirmUnsaved = [] { return false; };
  const std::string changed = text;
  window.MenuAction(cmd::kUploadProgramFile)->trigger();
  EXPECT_EQ(text, changed);
}

}  // namespace
}  // namespace bl
