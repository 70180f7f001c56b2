#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "commands/command_ids.h"
#include "editor/qt/editor_view.h"
#include "editor/qt/find_dialog.h"
#include "editor/qt/print_dialog.h"
#include "editor/qt/program_list_dialog.h"
#include "gui_support.h"
#include "offline_program.h"
#include "platform/clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/immediate_ui_thread.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"

namespace bl {
namespace {

using test::WhenModal;

std::vector<editor::FindReplaceDialog*> OpenFindDialogs(QWidget& window) {
  std::vector<editor::FindReplaceDialog*> open;
  for (QDialog* child : window.findChildren<QDialog*>())
    if (auto* d = dynamic_cast<editor::FindReplaceDialog*>(child); d && d->isVisible())
      open.push_back(d);
  return open;
}

class EditorToolsTest : public ::testing::Test, protected test::OfflineProgram {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  void Show() {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
};

TEST_F(EditorToolsTest, FindAndReplaceOpensOnceOverTheEditorAndAnotherViewClosesIt) {
  Show();
  workbench.editor.editorText = "OPEN PLC 1\nP5=P5+1\nCLOSE\n";
  shell.SelectView(kViewTerminal, true);
  window.MenuAction(cmd::kFindReplace)->trigger();
  EXPECT_EQ(shell.ViewId(), kViewEditor);
  ASSERT_EQ(OpenFindDialogs(window).size(), 1u);
  window.MenuAction(cmd::kFindReplace)->trigger();
  ASSERT_EQ(OpenFindDialogs(window).size(), 1u);

  editor::FindReplaceDialog& dialog = *OpenFindDialogs(window).front();
  dialog.FindField().setText("p5");
  dialog.FindNextButton().click();
  EXPECT_EQ(workbench.editor.caret, 11);
  EXPECT_EQ(workbench.editor.anchor, 13);

  shell.SelectView(kViewEditor, true);
  EXPECT_EQ(OpenFindDialogs(window).size(), 1u);
  shell.RunCommand(cmd::kToolbarFirst);  // the terminal's button
  EXPECT_EQ(shell.ViewId(), kViewTerminal);
  EXPECT_TRUE(OpenFindDialogs(window).empty());
  EXPECT_EQ(workbench.editorContext.find.findText, "p5");
}

TEST_F(EditorToolsTest, JumpToProgramButtonMovesTheCaretToTheChosenProgram) {
  Show();
  workbench.editor.editorText = "OPEN PLC 1\nCLOSE\nOPEN PROG 7\nX1\nCLOSE\n";
  shell.SelectView(kViewEditor, true);
  int entries = 0;
  WhenModal<editor::ProgramListDialog>([&](editor::ProgramListDialog& d) {
    entries = d.List().count();
    d.List().setCurrentRow(1);
    d.accept();
  });
  EditorView().EditorBar().Button(4).click();
  EXPECT_EQ(entries, 2);
  EXPECT_EQ(workbench.editor.caret, 17);
  EXPECT_EQ(workbench.editor.anchor, 17);
}

TEST_F(EditorToolsTest, PrintMenuAsksForTheSettingsThenPrints) {
  Show();
  std::string text;
  for (int i = 1; i <= 25; ++i) text += "P" + std::to_string(i) + "=0\n";
  workbench.editor.editorText = text;
  workbench.editor.caret = 5;  // line 2 up to line 21
  workbench.editor.anchor = static_cast<int>(text.find("P21"));
  std::string shownStart;
  WhenModal<editor::PrintFileDialog>([&](editor::PrintFileDialog& d) {
    shownStart = d.Field(editor::PrintField::StartingLine).text().toStdString();
    test::SaveScreenshot(d.grab().toImage(), "print_file_dialog");
    d.Field(editor::PrintField::LinesPerPage).setText("10");
    d.PrintButton().click();
  });
  window.MenuAction(cmd::kPrint)->trigger();
  EXPECT_EQ(shownStart, "2");
  ASSERT_EQ(desktop.printedPages.size(), 2u);
  EXPECT_EQ(desktop.printedPages[0]->Texts().front()->text, "   2  P2=0");
  EXPECT_EQ(desktop.printedPages[1]->Texts().back()->text, "  21  P21=0");
  EXPECT_EQ(desktop.messages.back().text, "Printing is Complete");
}

}  // namespace
}  // namespace bl
