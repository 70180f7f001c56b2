#include "editor/editor_files.h"

#include <gtest/gtest.h>

#include <string>

#include "commands/command_ids.h"
#include "editor/editor_text.h"
#include "editor/files_test_support.h"
#include "editor/program_file.h"

namespace bl::editor {
namespace {

namespace fs = std::filesystem;
using platform::MessageAnswer;

class SaveTest : public test::FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    state.editorText = "P1=1\nCLOSE";
    state.modifiedFlag = true;
    state.showEditorView = [this] { ++shown; };
  }
  int shown = 0;
};

TEST_F(SaveTest, ConfirmUnsavedAsksOnlyAboutModifiedText) {
  state.modifiedFlag = false;
  EXPECT_EQ(ConfirmUnsaved(ctx), 0);
  EXPECT_TRUE(desktop.messages.empty());

  state.modifiedFlag = true;
  desktop.messageAnswers = {MessageAnswer::Cancel};
  EXPECT_EQ(ConfirmUnsaved(ctx), -1);
  EXPECT_TRUE(state.modifiedFlag);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            "The contents of the Program Editor Window have been modified.\nWould you like to "
            "save the changes before proceeding?");
  EXPECT_EQ(desktop.messages[0].title, "Unsaved File Warning");
  EXPECT_EQ(desktop.messages[0].buttons, platform::MessageButtons::YesNoCancel);

  // No: nothing is saved, but the text counts as settled from now on.
  desktop.messageAnswers = {MessageAnswer::No};
  EXPECT_EQ(ConfirmUnsaved(ctx), 0);
  EXPECT_FALSE(state.modifiedFlag);
  EXPECT_TRUE(desktop.fileRequests.empty());
  EXPECT_EQ(ConfirmUnsaved(ctx), 0);
  EXPECT_EQ(desktop.messages.size(), 2u);
}

TEST_F(SaveTest, ConfirmUnsavedYesSavesUnderAChosenNameAndACancelledDialogStops) {
  state.currentFile = Path("old.pmc");
  desktop.messageAnswers = {MessageAnswer::Yes};
  desktop.saveFileAnswers = {std::nullopt};
  EXPECT_EQ(ConfirmUnsaved(ctx), -1);
  EXPECT_TRUE(state.modifiedFlag);
  // Yes always asks for the name, even with a file in the editor; the dialog starts there.
  ASSERT_EQ(desktop.fileRequests.size(), 1u);
  EXPECT_EQ(desktop.fileRequests[0].initialPath, Path("old.pmc"));
  EXPECT_FALSE(fs::exists(Path("old.pmc")));

  desktop.messageAnswers = {MessageAnswer::Yes};
  desktop.saveFileAnswers = {Path("new.pmc")};
  EXPECT_EQ(ConfirmUnsaved(ctx), 0);
  EXPECT_FALSE(state.modifiedFlag);
  EXPECT_EQ(Contents(Path("new.pmc")), "P1=1\r\nCLOSE");
  EXPECT_EQ(state.currentFile, Path("new.pmc"));
  EXPECT_EQ(desktop.messages.back().title, "File Saved Successfully");
}

TEST_F(SaveTest, SaveOverCurrentFileIsSilentAndTheDialogShowsTheProgramFilters) {
  // No name yet: the dialog, with its filters.
  desktop.saveFileAnswers = {Path("a.pmc")};
  EXPECT_EQ(SaveProgramFile(ctx, false), 0);
  ASSERT_EQ(desktop.fileRequests.size(), 1u);
  const platform::FileDialogRequest& r = desktop.fileRequests[0];
  ASSERT_EQ(r.filters.size(), 2u);
  EXPECT_EQ(r.filters[0].description, "PMAC Program Files (*.pmc)");
  EXPECT_EQ(r.filters[0].pattern, "*.pmc");
  EXPECT_EQ(r.filters[1].description, "All Files  (*.*)");
  EXPECT_EQ(r.filters[1].pattern, "*.*");
  EXPECT_EQ(r.defaultExtension, "pmc");
  EXPECT_FALSE(r.askToOverwrite);

  // With the name, the file is replaced without a dialog or a question.
  state.editorText = "changed\n";
  desktop.messages.clear();
  EXPECT_EQ(SaveProgramFile(ctx, false), 0);
  EXPECT_EQ(desktop.fileRequests.size(), 1u);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, Path("a.pmc"));
  EXPECT_EQ(desktop.messages[0].title, "File Saved Successfully");
  EXPECT_EQ(Contents(Path("a.pmc")), "changed\r\n");
  // Saved twice, listed once; the view came up each time.
  EXPECT_EQ(state.fileList.roots[kProgramFilesRoot].children,
            (std::vector<std::string>{Path("a.pmc")}));
  EXPECT_EQ(shown, 2);
  // Saving itself leaves ModifiedFlag to the command that asked for it.
  EXPECT_TRUE(state.modifiedFlag);
}

TEST_F(SaveTest, AnExistingFileIsOverwrittenOnlyOnYesAndARefusalKeepsTheName) {
  Write(Path("there.pmc"), "keep me");
  state.currentFile = Path("mine.pmc");
  desktop.saveFileAnswers = {Path("there.pmc"), Path("there.pmc")};
  desktop.messageAnswers = {MessageAnswer::No, MessageAnswer::Yes};
  EXPECT_EQ(SaveProgramFile(ctx, true), -1);
  EXPECT_EQ(desktop.messages[0].text,
            "This program file already exists.  Do you want to overwrite?");
  EXPECT_EQ(desktop.messages[0].title, "Save Program Warning");
  EXPECT_EQ(Contents(Path("there.pmc")), "keep me");
  // A later silent save must not go to the file the user refused to overwrite.
  EXPECT_EQ(state.currentFile, Path("mine.pmc"));

  EXPECT_EQ(SaveProgramFile(ctx, true), 0);
  EXPECT_EQ(Contents(Path("there.pmc")), "P1=1\r\nCLOSE");
  EXPECT_EQ(state.currentFile, Path("there.pmc"));
}

TEST_F(SaveTest, AWriteThatFailsMidwayKeepsTheOldFileAndReportsTheName) {
  const std::string path = Path("full.pmc");
  Write(path, "precious old text");
  state.currentFile = path;
  state.editorText = std::string(5000, 'x');
  int result = 0;
  {
    test::FileSizeLimit disk(1024);
    result = SaveProgramFile(ctx, false);
  }
  EXPECT_EQ(result, -1);
  EXPECT_EQ(Contents(path), "precious old text");
  EXPECT_FALSE(fs::exists(path + ".new"));
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, path);
  EXPECT_EQ(desktop.messages[0].title, "Error Saving File!");
  EXPECT_EQ(desktop.messages[0].icon, platform::MessageIcon::Warning);
  EXPECT_NE(terminal.Line(0).text.find("cannot write"), std::string::npos);
  EXPECT_EQ(terminal.Line(0).color, 5);
  EXPECT_TRUE(state.modifiedFlag);
  EXPECT_TRUE(state.fileList.roots[kProgramFilesRoot].children.empty());

  // A folder that is gone: the same message, nothing saved.
  state.currentFile = Path("gone/x.pmc");
  EXPECT_EQ(SaveProgramFile(ctx, false), -1);
  EXPECT_EQ(desktop.messages.back().title, "Error Saving File!");

  // Through the unsaved-changes question: the failed save stops the command.
  desktop.messageAnswers = {MessageAnswer::Yes};
  desktop.saveFileAnswers = {Path("gone/y.pmc")};
  EXPECT_EQ(ConfirmUnsaved(ctx), -1);
  EXPECT_TRUE(state.modifiedFlag);
}

TEST_F(SaveTest, AChosenNameLongerThan259CharactersIsRefused) {
  const std::string longName = Path(std::string(260, 'n') + ".pmc");
  desktop.saveFileAnswers = {longName};
  EXPECT_EQ(SaveProgramFile(ctx, true), -1);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].title, "Error Saving File!");
  EXPECT_NE(desktop.messages[0].text.find("longer than 259 characters"), std::string::npos);
  EXPECT_TRUE(state.currentFile.empty());
  EXPECT_TRUE(fs::is_empty(folder));
}

class OpenTest : public test::FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    state.width = 700;
    state.height = 320;
    state.showEditorView = [this] { ++shown; };
    state.repaintMainWindow = [this] { ++repainted; };
  }
  int TerminalIndexOf(const std::string& text) const {
    for (int i = 0; i < bl::Terminal::kLineCount; ++i)
      if (terminal.Line(i).text == text) return i;
    return -1;
  }
  std::vector<std::string> ProgramFiles() const {
    return state.fileList.roots[kProgramFilesRoot].children;
  }
  int shown = 0;
  int repainted = 0;
};

TEST_F(OpenTest, OpenAPlainFileTakesItsDefinitionsButNotItsIncludes) {
  const std::string path = Path("main.pmc");
  Write(path, "#define speed P10\r\nspeed=1\r\n#include \"axis.pmc\"\r\n\tP2=2");
  state.editorText = "old";
  state.caret = state.anchor = 3;
  InsertText(state, "x", 3, false);
  state.modifiedFlag = false;
  desktop.openFileAnswers = {path};
  OpenProgramFileCommand(ctx, kOpenPlainFile);

  EXPECT_EQ(state.editorText, "#define speed P10\nspeed=1\n#include \"axis.pmc\"\n P2=2\n");
  EXPECT_EQ(state.currentFile, path);
  EXPECT_EQ(state.caret, 0);
  EXPECT_EQ(state.anchor, 0);
  EXPECT_FALSE(state.modifiedFlag);
  EXPECT_EQ(state.undoHistory[0].kind, kUndoEmpty);
  EXPECT_EQ(definitions.NameOf(VariableKind::P, 10), "speed");
  EXPECT_EQ(ProgramFiles(), (std::vector<std::string>{path}));
  EXPECT_EQ(desktop.fileRequests.at(0).filters.at(0).description, "PMAC Program Files (*.pmc)");
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(repainted, 1);  // the update colours the new names

  const int opening = TerminalIndexOf("Opening File: " + path);
  ASSERT_GE(opening, 0);
  EXPECT_EQ(terminal.Line(opening).color, 13);
  EXPECT_EQ(terminal.Line(opening + 1).text, "");
  EXPECT_EQ(terminal.Line(opening + 1).color, 9);
  EXPECT_EQ(terminal.Line(0).text, "Updating #DEFINEs...");
}

TEST_F(OpenTest, AProjectListsItsIncludesOnceBeforeItselfAfterClearing) {
  Write(Path("main.pmc"),
        "; main\r\n#include \"axis.pmc\"\r\n#INCLUDE \"sub\\motor.pmc\" ; motors\r\n"
        "#include \"axis.pmc\"\r\n#include axis.pmc\r\n#include \"unclosed\r\n#define Gain Q3\r\n");
  state.fileList.roots[kProgramFilesRoot].children = {"/elsewhere/old.pmc"};
  definitions.DefineLine("#define old P1", 0, terminal);
  definitions.DefineLine("#define ix I100", 0, terminal);
  desktop.openFileAnswers = {Path("main.pmc")};
  OpenProgramFileCommand(ctx, kOpenProject);

  EXPECT_EQ(ProgramFiles(),
            (std::vector<std::string>{Path("axis.pmc"), Path("sub/motor.pmc"), Path("main.pmc")}));
  // The definitions were cleared, I names too, before the file's own were taken in.
  EXPECT_EQ(definitions.NameOf(VariableKind::P, 1), "");
  EXPECT_EQ(definitions.NameOf(VariableKind::I, 100), "");
  EXPECT_EQ(definitions.NameOf(VariableKind::Q, 3), "Gain");
  EXPECT_TRUE(desktop.messages.empty());

  // Opened again as a plain file (a double click on it), the list is kept as it is.
  state.caret = 5;
  ActivateFileListItem(ctx, {kProgramFilesRoot, 2});
  EXPECT_EQ(ProgramFiles().size(), 3u);
  EXPECT_EQ(state.caret, 0);
}

TEST_F(OpenTest, OverlongLinesAndOverlongIncludePathsAreReportedOnce) {
  state.preferences.options.openUpdatesFileList = true;
  Write(Path("long.pmc"),
        std::string(256, 'a') + "\n#include \"" + std::string(240, 'n') + "\"\nP1\n");
  state.currentFile = Path("long.pmc");
  OpenProgramFile(ctx, kOpenPlainFile);
  EXPECT_GE(TerminalIndexOf("  Warning: Line 1 was truncated to 255 characters."), 0);
  EXPECT_EQ(
      terminal.Line(TerminalIndexOf("  Warning: Line 1 was truncated to 255 characters.")).color,
      5);
  // The name fits its line, but not with the folder in front.
  EXPECT_GE(TerminalIndexOf("  Warning: Line 2 includes a path longer than 259 characters."), 0);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            "One or more errors occured while opening this file.  Details are shown in the "
            "terminal window.");
  EXPECT_EQ(desktop.messages[0].title, "File Open Warning");
  EXPECT_EQ(ProgramFiles(), (std::vector<std::string>{Path("long.pmc")}));
  EXPECT_EQ(state.editorText.substr(0, 256), std::string(255, 'a') + "\n");
}

TEST_F(OpenTest, AFileThatCannotBeReadLeavesTheTextAndKeepsTheName) {
  state.editorText = "my unsaved work\n";
  state.caret = state.anchor = 4;
  InsertText(state, "!", 4, false);
  state.modifiedFlag = false;
  state.fileList.roots[kProgramFilesRoot].children = {"/x/listed.pmc"};
  const std::string text = state.editorText;

  for (const std::string& path : {Path("vanished.pmc"), folder.string()}) {
    desktop.messages.clear();
    state.currentFile = path;
    OpenProgramFile(ctx, kOpenProject);
    EXPECT_EQ(state.editorText, text);
    EXPECT_EQ(state.currentFile, path);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, path);
    EXPECT_EQ(desktop.messages[0].title, "Error Opening File");
    EXPECT_EQ(terminal.Line(0).color, 5);  // the reason
  }
  // The project options and the undo clear had already taken effect.
  EXPECT_TRUE(ProgramFiles().empty());
  EXPECT_EQ(state.undoHistory[0].kind, kUndoEmpty);
  EXPECT_EQ(shown, 0);
}

TEST_F(OpenTest, CancelledQuestionsAndDialogsChangeNothing) {
  state.editorText = "work";
  state.currentFile = Path("work.pmc");
  state.modifiedFlag = true;
  desktop.messageAnswers = {MessageAnswer::Cancel, MessageAnswer::Cancel};
  OpenProgramFileCommand(ctx, kOpenProject);
  NewProgramFile(ctx);
  EXPECT_TRUE(desktop.fileRequests.empty());
  EXPECT_EQ(state.editorText, "work");
  EXPECT_EQ(state.currentFile, Path("work.pmc"));

  // No to the question, then no file chosen: CurrentFile was emptied before the dialog.
  state.fileList.roots[kProgramFilesRoot].children = {"/x/kept.pmc"};
  desktop.messageAnswers = {MessageAnswer::No};
  desktop.openFileAnswers = {std::nullopt};
  OpenProgramFileCommand(ctx, kOpenProject);
  EXPECT_EQ(state.editorText, "work");
  EXPECT_EQ(state.currentFile, "");
  EXPECT_EQ(ProgramFiles(), (std::vector<std::string>{"/x/kept.pmc"}));
  EXPECT_FALSE(state.modifiedFlag);

  const std::string longName = Path(std::string(260, 'n'));
  desktop.openFileAnswers = {longName};
  OpenProgramFile(ctx, kOpenPlainFile);
  EXPECT_EQ(desktop.messages.back().title, "Error Opening File");
  EXPECT_EQ(state.currentFile, "");
}

TEST_F(OpenTest, NewEmptiesTextNameAndHistory) {
  state.editorText = "P1\n";
  state.currentFile = Path("p.pmc");
  InsertText(state, "x", 0, false);
  state.caret = state.anchor = 2;
  state.firstLine = 7;
  desktop.messageAnswers = {MessageAnswer::No};
  NewProgramFile(ctx);
  EXPECT_EQ(state.editorText, "");
  EXPECT_EQ(state.currentFile, "");
  EXPECT_EQ(state.caret, 0);
  EXPECT_EQ(state.firstLine, 0);
  EXPECT_EQ(state.undoHistory[0].kind, kUndoEmpty);
  EXPECT_FALSE(state.modifiedFlag);
  EXPECT_EQ(shown, 1);
}

TEST_F(OpenTest, FileCommandsByNumberAndSaveClearsTheModifiedFlag) {
  state.editorText = "P1=1\n";
  state.modifiedFlag = true;
  desktop.saveFileAnswers = {std::nullopt, Path("s.pmc")};
  EXPECT_TRUE(RunFileCommand(ctx, cmd::kSaveProgramFileAs));
  EXPECT_TRUE(state.modifiedFlag);
  EXPECT_TRUE(RunFileCommand(ctx, cmd::kSaveProgramFile));
  EXPECT_FALSE(state.modifiedFlag);
  EXPECT_EQ(Contents(Path("s.pmc")), "P1=1\r\n");
  EXPECT_FALSE(RunFileCommand(ctx, cmd::kPrint));
}

TEST_F(OpenTest, DoubleClicksOnRootsDoNothingAndOnCategoriesList) {
  definitions.DefineLine("#define speed P10", 0, terminal);
  state.editorText = "unchanged";
  ActivateFileListItem(ctx, {kVariableDefinitionsRoot, -1});
  ActivateFileListItem(ctx, {kProgramFilesRoot, -1});
  ActivateFileListItem(ctx, {kProgramFilesRoot, 4});
  EXPECT_EQ(state.editorText, "unchanged");
  ActivateFileListItem(ctx, {kVariableDefinitionsRoot, 1});
  EXPECT_EQ(state.editorText.substr(0, 26), "; P-Variable Definitions\n\n");
}

}  // namespace
}  // namespace bl::editor
