#include "editor/editor_files.h"

#include <gtest/gtest.h>

#include <string>

#include "editor/editor_text.h"
#include "editor/files_test_support.h"

namespace bl::editor {
namespace {

namespace fs = std::filesystem;
using platform::MessageAnswer;

class EditorFilesTest : public test::FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    state.width = 700;
    state.height = 320;
    state.editorText = "P1=1\nCLOSE";
    state.showEditorView = [this] { ++shown; };
  }
  std::vector<std::string> ProgramFiles() const {
    return state.fileList.roots[kProgramFilesRoot].children;
  }
  bool TerminalHas(const std::string& text) const {
    for (int i = 0; i < bl::Terminal::kLineCount; ++i)
      if (terminal.Line(i).text == text) return true;
    return false;
  }
  // Text that the undo history knows about, unmodified as after a save.
  void Edited(const std::string& text) {
    state.editorText = text;
    InsertText(state, "!", 0, false);
    state.modifiedFlag = false;
  }
  int shown = 0;
};

TEST_F(EditorFilesTest, ConfirmUnsavedYesNoAndCancel) {
  EXPECT_EQ(ConfirmUnsaved(ctx), 0);  // nothing modified: no question
  EXPECT_TRUE(desktop.messages.empty());

  state.modifiedFlag = true;
  state.currentFile = Path("old.pmc");
  desktop.messageAnswers = {MessageAnswer::Cancel, MessageAnswer::Yes};
  desktop.saveFileAnswers = {std::nullopt};
  EXPECT_EQ(ConfirmUnsaved(ctx), -1);
  // Yes always asks for a name, starting from the file in the editor; a cancelled dialog stops.
  EXPECT_EQ(ConfirmUnsaved(ctx), -1);
  EXPECT_TRUE(state.modifiedFlag);
  ASSERT_EQ(desktop.messages.size(), 2u);
  EXPECT_EQ(desktop.messages[0].text,
            "The contents of the Program Editor Window have been modified.\nWould you like to "
            "save the changes before proceeding?");
  EXPECT_EQ(desktop.messages[0].title, "Unsaved File Warning");
  EXPECT_EQ(desktop.messages[0].buttons, platform::MessageButtons::YesNoCancel);
  ASSERT_EQ(desktop.fileRequests.size(), 1u);
  EXPECT_EQ(desktop.fileRequests[0].initialPath, Path("old.pmc"));

  desktop.messageAnswers = {MessageAnswer::Yes};
  desktop.saveFileAnswers = {Path("new.pmc")};
  EXPECT_EQ(ConfirmUnsaved(ctx), 0);
  EXPECT_FALSE(state.modifiedFlag);
  EXPECT_EQ(Contents(Path("new.pmc")), "P1=1\r\nCLOSE");

  // No saves nothing, but the text counts as settled from then on.
  state.modifiedFlag = true;
  desktop.messageAnswers = {MessageAnswer::No};
  EXPECT_EQ(ConfirmUnsaved(ctx), 0);
  EXPECT_FALSE(state.modifiedFlag);
  EXPECT_EQ(desktop.fileRequests.size(), 2u);
}

TEST_F(EditorFilesTest, SaveOverCurrentFileIsSilentAndListsTheFileOnce) {
  desktop.saveFileAnswers = {Path("a.pmc")};
  EXPECT_EQ(SaveProgramFile(ctx, false), 0);  // no name yet: the dialog
  const platform::FileDialogRequest& r = desktop.fileRequests.at(0);
  EXPECT_EQ(r.filters.at(0).description, "PMAC Program Files (*.pmc)");
  EXPECT_EQ(r.filters.at(1).description, "All Files  (*.*)");
  EXPECT_EQ(r.defaultExtension, "pmc");
  EXPECT_FALSE(r.askToOverwrite);  // the question below is the only one

  state.editorText = "changed\n";
  desktop.messages.clear();
  EXPECT_EQ(SaveProgramFile(ctx, false), 0);
  EXPECT_EQ(desktop.fileRequests.size(), 1u);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, Path("a.pmc"));
  EXPECT_EQ(desktop.messages[0].title, "File Saved Successfully");
  EXPECT_EQ(Contents(Path("a.pmc")), "changed\r\n");
  EXPECT_EQ(ProgramFiles(), (std::vector<std::string>{Path("a.pmc")}));
  EXPECT_EQ(shown, 2);
}

TEST_F(EditorFilesTest, OverwriteOnlyOnYesAndARefusedOrTooLongNameIsNotTaken) {
  Write(Path("there.pmc"), "keep me");
  state.currentFile = Path("mine.pmc");
  desktop.saveFileAnswers = {Path("there.pmc"), Path(std::string(260, 'n')), Path("there.pmc")};
  desktop.messageAnswers = {MessageAnswer::No};
  EXPECT_EQ(SaveProgramFile(ctx, true), -1);
  EXPECT_EQ(desktop.messages[0].text,
            "This program file already exists.  Do you want to overwrite?");
  EXPECT_EQ(desktop.messages[0].title, "Save Program Warning");
  EXPECT_EQ(Contents(Path("there.pmc")), "keep me");
  // A later silent save must not go to the file the user refused to overwrite.
  EXPECT_EQ(state.currentFile, Path("mine.pmc"));

  // A name too long for a path is refused, not cut into the name of another file.
  EXPECT_EQ(SaveProgramFile(ctx, true), -1);
  EXPECT_EQ(desktop.messages[1].title, "Error Saving File!");
  EXPECT_NE(desktop.messages[1].text.find("longer than 259 characters"), std::string::npos);

  desktop.messageAnswers = {MessageAnswer::Yes};
  EXPECT_EQ(SaveProgramFile(ctx, true), 0);
  EXPECT_EQ(Contents(Path("there.pmc")), "P1=1\r\nCLOSE");
  EXPECT_EQ(state.currentFile, Path("there.pmc"));
  EXPECT_EQ(fs::directory_iterator(folder)->path(), Path("there.pmc"));
}

TEST_F(EditorFilesTest, AWriteThatFailsMidwayKeepsTheOldFileAndReportsTheName) {
  const std::string path = Path("full.pmc");
  Write(path, "precious old text");
  state.currentFile = path;
  state.editorText = std::string(5000, 'x');
  state.modifiedFlag = true;
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
  EXPECT_TRUE(state.modifiedFlag);
  EXPECT_TRUE(ProgramFiles().empty());

  // Through the unsaved-changes question, a failed save stops the command.
  desktop.messageAnswers = {MessageAnswer::Yes};
  desktop.saveFileAnswers = {Path("gone/y.pmc")};
  EXPECT_EQ(ConfirmUnsaved(ctx), -1);
  EXPECT_TRUE(state.modifiedFlag);
}

TEST_F(EditorFilesTest, OpenAPlainFileTakesItsDefinitionsButNotItsIncludes) {
  const std::string path = Path("main.pmc");
  Write(path, "#define speed P10\r\nspeed=1\r\n#include \"axis.pmc\"\r\n\tP2=2");
  Edited("old");
  state.caret = state.anchor = 3;
  desktop.openFileAnswers = {path};
  OpenProgramFileCommand(ctx, kOpenPlainFile);

  EXPECT_EQ(state.editorText, "#define speed P10\nspeed=1\n#include \"axis.pmc\"\n P2=2\n");
  EXPECT_EQ(state.currentFile, path);
  EXPECT_EQ(state.caret, 0);
  EXPECT_EQ(state.undoHistory[0].kind, kUndoEmpty);
  EXPECT_FALSE(state.modifiedFlag);
  EXPECT_EQ(definitions.NameOf(VariableKind::P, 10), "speed");
  EXPECT_EQ(ProgramFiles(), (std::vector<std::string>{path}));
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(TerminalHas("Opening File: " + path));
  EXPECT_EQ(terminal.Line(0).text, "Updating #DEFINEs...");
}

TEST_F(EditorFilesTest, AProjectListsItsIncludesOnceBeforeItselfAfterClearing) {
  Write(Path("main.pmc"),
        "#include \"axis.pmc\"\r\n#INCLUDE \"sub\\motor.pmc\" ; motors\r\n#include \"axis.pmc\"\r\n"
        "#include axis.pmc\r\n#include \"unclosed\r\n#define Gain Q3\r\n");
  state.fileList.roots[kProgramFilesRoot].children = {"/elsewhere/old.pmc"};
  definitions.DefineLine("#define ix I100", 0, terminal);
  state.currentFile = Path("main.pmc");
  OpenProgramFile(ctx, kOpenProject);

  EXPECT_EQ(ProgramFiles(),
            (std::vector<std::string>{Path("axis.pmc"), Path("sub/motor.pmc"), Path("main.pmc")}));
  EXPECT_EQ(definitions.NameOf(VariableKind::I, 100), "");  // cleared, I names too
  EXPECT_EQ(definitions.NameOf(VariableKind::Q, 3), "Gain");

  // A listed file opened by a double click is a plain file: the list is kept.
  ActivateFileListItem(ctx, {kProgramFilesRoot, 2});
  EXPECT_EQ(ProgramFiles().size(), 3u);
  // The roots do nothing.
  state.editorText = "unchanged";
  ActivateFileListItem(ctx, {kProgramFilesRoot, -1});
  ActivateFileListItem(ctx, {kVariableDefinitionsRoot, -1});
  EXPECT_EQ(state.editorText, "unchanged");
  // A category lists its definitions.
  ActivateFileListItem(ctx, {kVariableDefinitionsRoot, 2});
  EXPECT_EQ(state.editorText,
            "; Q-Variable Definitions\n\n#DEFINE Gain                             Q3\n");
}

TEST_F(EditorFilesTest, ReadingWarningsAndAnOverlongIncludePathEndInOneMessage) {
  state.preferences.options.openUpdatesFileList = true;
  Write(Path("long.pmc"),
        std::string(256, 'a') + "\n#include \"" + std::string(240, 'n') + "\"\nP1\n");
  state.currentFile = Path("long.pmc");
  OpenProgramFile(ctx, kOpenPlainFile);
  EXPECT_TRUE(TerminalHas("  Warning: Line 1 was truncated to 255 characters."));
  // The name fits its line, but not with the folder in front.
  EXPECT_TRUE(TerminalHas("  Warning: Line 2 includes a path longer than 259 characters."));
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            "One or more errors occured while opening this file.  Details are shown in the "
            "terminal window.");
  EXPECT_EQ(desktop.messages[0].title, "File Open Warning");
  EXPECT_EQ(ProgramFiles(), (std::vector<std::string>{Path("long.pmc")}));
}

TEST_F(EditorFilesTest, AFileThatCannotBeReadLeavesTheTextAndKeepsTheName) {
  Edited("my unsaved work\n");
  const std::string text = state.editorText;
  state.fileList.roots[kProgramFilesRoot].children = {"/x/listed.pmc"};
  for (const std::string& path : {Path("vanished.pmc"), folder.string()}) {
    desktop.messages.clear();
    state.currentFile = path;
    OpenProgramFile(ctx, kOpenProject);
    EXPECT_EQ(state.editorText, text);
    EXPECT_EQ(state.currentFile, path);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, path);
    EXPECT_EQ(desktop.messages[0].title, "Error Opening File");
  }
  // The project options and the undo clear had taken effect before the file was tried.
  EXPECT_TRUE(ProgramFiles().empty());
  EXPECT_EQ(state.undoHistory[0].kind, kUndoEmpty);
  EXPECT_EQ(shown, 0);
}

TEST_F(EditorFilesTest, NewAndOpenStopOnCancelAndOpenEmptiesTheNameBeforeItsDialog) {
  state.currentFile = Path("work.pmc");
  state.modifiedFlag = true;
  desktop.messageAnswers = {MessageAnswer::Cancel, MessageAnswer::Cancel, MessageAnswer::No};
  OpenProgramFileCommand(ctx, kOpenProject);
  NewProgramFile(ctx);
  EXPECT_TRUE(desktop.fileRequests.empty());
  EXPECT_EQ(state.editorText, "P1=1\nCLOSE");
  desktop.openFileAnswers = {std::nullopt};
  OpenProgramFileCommand(ctx, kOpenProject);
  EXPECT_EQ(state.editorText, "P1=1\nCLOSE");
  EXPECT_EQ(state.currentFile, "");

  state.currentFile = Path("p.pmc");
  Edited("P1\n");
  state.firstLine = 7;
  NewProgramFile(ctx);
  EXPECT_EQ(state.editorText, "");
  EXPECT_EQ(state.currentFile, "");
  EXPECT_EQ(state.firstLine, 0);
  EXPECT_EQ(state.undoHistory[0].kind, kUndoEmpty);
}

}  // namespace
}  // namespace bl::editor
