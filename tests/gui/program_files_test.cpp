#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands/command_ids.h"
#include "editor/file_list.h"
#include "editor/qt/editor_bar_widget.h"
#include "editor/qt/editor_view.h"
#include "editor/qt/file_list_widget.h"
#include "gui_support.h"
#include "offline_program.h"
#include "link/builtin_library.h"
#include "platform/clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/immediate_ui_thread.h"
#include "shell/main_layout.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"

namespace bl {
namespace {

namespace fs = std::filesystem;
using platform::MessageAnswer;

// A double click as the window system delivers it: press, release, double click, release.
void DoubleClick(QWidget* widget, QPoint pos) {
  QTest::mousePress(widget, Qt::LeftButton, {}, pos);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
  QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}

class ProgramFilesGuiTest : public ::testing::Test, protected test::OfflineProgram {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  void SetUp() override {
    folder = fs::temp_directory_path() / ("bl-program-files-gui-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    window.resize(kMainDefaultWidth, kMainDefaultHeight);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  void TearDown() override { fs::remove_all(folder); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (folder / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  editor::EditorView& View() { return EditorView(); }
  editor::FileListWidget& Tree() { return View().FileList(); }
  int UnsavedQuestions() const {
    int n = 0;
    for (const auto& m : desktop.messages) n += m.title == "Unsaved File Warning" ? 1 : 0;
    return n;
  }

  fs::path folder;
};

TEST_F(ProgramFilesGuiTest, AProjectOpenedFromTheMenuListsItsFilesAndADoubleClickOpensOne) {
  const std::string axis = Write("axis.pmc", "#define jog P20\r\njog=5\r\n");
  const std::string main =
      Write("main.pmc", "; main\r\n#include \"axis.pmc\"\r\n#define speed P10\r\nspeed=1\r\n");
  desktop.openFileAnswers = {main};
  window.MenuAction(cmd::kOpenProject)->trigger();
  EXPECT_EQ(shell.ViewId(), kViewEditor);
  EXPECT_EQ(workbench.editor.currentFile, main);
  EXPECT_EQ(workbench.editor.editorText,
            "; main\n#include \"axis.pmc\"\n#define speed P10\nspeed=1\n");
  EXPECT_EQ(workbench.definitions.NameOf(VariableKind::P, 10), "speed");

  // The tree follows the model once the window has handled the menu command.
  editor::FileListWidget& tree = Tree();
  const auto files = [&] { return tree.topLevelItem(editor::kProgramFilesRoot); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return files() && files()->childCount() == 2; }));
  ASSERT_EQ(tree.topLevelItemCount(), 2);
  EXPECT_EQ(tree.topLevelItem(0)->text(0), "Variable Definitions");
  EXPECT_EQ(tree.topLevelItem(0)->child(4)->text(0), "I-Variable Definitions");
  EXPECT_EQ(files()->text(0), "Program Files");
  EXPECT_EQ(files()->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
  EXPECT_EQ(files()->child(0)->text(0).toStdString(), axis);
  EXPECT_EQ(files()->child(1)->text(0).toStdString(), main);
  EXPECT_TRUE(tree.isVisible());
  EXPECT_EQ(tree.objectName(), "EditorFiles");

  // The files the project brought in are in sight.
  EXPECT_TRUE(files()->isExpanded());
  tree.scrollToItem(files()->child(0));
  test::SaveScreenshot(window.grab().toImage(), "editor_project_file_list");
  const QRect itemRect = tree.visualItemRect(files()->child(0));
  ASSERT_TRUE(itemRect.isValid());
  DoubleClick(tree.viewport(), itemRect.center());
  EXPECT_TRUE(QTest::qWaitFor([&] { return workbench.editor.currentFile == axis; }));
  EXPECT_EQ(workbench.editor.editorText, "#define jog P20\njog=5\n");
  EXPECT_EQ(workbench.definitions.NameOf(VariableKind::P, 20), "jog");
  EXPECT_TRUE(desktop.messages.empty());

  // Closed by the user, the root stays closed while nothing is added to it, and opens again
  // for a new file.
  files()->setExpanded(false);
  editor::AddFileListEntry(workbench.editor.fileList, "/elsewhere/x.pmc", editor::kFileListRoot);
  ASSERT_TRUE(QTest::qWaitFor([&] { return tree.topLevelItemCount() == 3; }));
  EXPECT_FALSE(files()->isExpanded());
  editor::AddFileListEntry(workbench.editor.fileList, "/elsewhere/x.pmc", editor::kFileListProgram);
  ASSERT_TRUE(QTest::qWaitFor([&] { return files()->childCount() == 3; }));
  EXPECT_TRUE(files()->isExpanded());
}

TEST_F(ProgramFilesGuiTest, EditorBarSavesAndUpdatesDefinitions) {
  const std::string path = Write("bar.pmc", "#define speed P10\r\n");
  workbench.editor.currentFile = path;
  workbench.editor.editorText = "#define speed P10\n#define gain 2\n";
  workbench.editor.modifiedFlag = true;
  shell.SelectView(kViewEditor, true);
  editor::EditorBarWidget* bar = &View().EditorBar();

  QTest::mouseClick(&bar->Button(1), Qt::LeftButton);  // "Update #Defines"
  EXPECT_EQ(workbench.definitions.Replacement("gain"), "2");
  EXPECT_EQ(workbench.terminal.Line(0).text, "Updating #DEFINEs...");

  QTest::mouseClick(&bar->Button(0), Qt::LeftButton);  // "Save File": silently over the file
  EXPECT_EQ(Contents(path), "#define speed P10\r\n#define gain 2\r\n");
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].title, "File Saved Successfully");
  EXPECT_FALSE(workbench.editor.modifiedFlag);
  EXPECT_TRUE(desktop.fileRequests.empty());
}

TEST_F(ProgramFilesGuiTest, CloseBoxAndExitAskBeforeUnsavedTextIsLost) {
  shell.SelectView(kViewEditor, true);
  QTest::keyClicks(&View().Editor().Client(), "P1=1");
  ASSERT_TRUE(workbench.editor.modifiedFlag);

  desktop.messageAnswers = {MessageAnswer::Cancel};
  EXPECT_FALSE(window.close());
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(UnsavedQuestions(), 1);

  desktop.messageAnswers = {MessageAnswer::Cancel};
  window.MenuAction(cmd::kExit)->trigger();
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(UnsavedQuestions(), 2);
  EXPECT_TRUE(workbench.editor.modifiedFlag);

  // Yes saves under a chosen name first, and only then does Exit close the window.
  const std::string path = (folder / "exit.pmc").string();
  desktop.messageAnswers = {MessageAnswer::Yes};
  desktop.saveFileAnswers = {path};
  window.MenuAction(cmd::kExit)->trigger();
  EXPECT_EQ(UnsavedQuestions(), 3);
  EXPECT_FALSE(window.isVisible());
  EXPECT_NE(Contents(path).find("P1=1"), std::string::npos);
}

}  // namespace
}  // namespace bl
