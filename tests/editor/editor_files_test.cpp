#include "editor/editor_files.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace bl::editor
