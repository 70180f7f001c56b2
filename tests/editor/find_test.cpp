#include <gtest/gtest.h>

#include <string>

#include "editor/editor_edit.h"
#include "editor/editor_test_support.h"
#include "editor/find_presenter.h"
#include "editor/find_text.h"
#include "platform/fake/fake_desktop.h"

namespace bl::editor {
namespace {

TEST(FindTextTest, DirectionsStartsAndCase) {
  const std::string text = "abc ABC abc";
  EXPECT_EQ(FindText(text, "abc", 0, true, false), 0);
  EXPECT_EQ(FindText(text, "abc", 1, true, false), 8);
  EXPECT_EQ(FindText(text, "abc", 1, false, false), 4);
  EXPECT_EQ(FindText(text, "abc", 7, true, true), 0);
  EXPECT_EQ(FindText(text, "abc", 7, false, true), 4);
  EXPECT_EQ(FindText(text, "ABC", 4, true, true), 4);
  // Only letters fold: '[' and '{' differ by the case bit but are different characters.
  EXPECT_EQ(FindText("x{y", "[", 0, false, false), -1);
  EXPECT_EQ(FindText("x{y", "{", 0, false, false), 1);
}

TEST(FindTextTest, MatchesEndingAtTheTextEndAndStartsBeyondIt) {
  EXPECT_EQ(FindText("xxab", "ab", 0, true, false), 2);
  EXPECT_EQ(FindText("xxAB", "ab", 1, false, false), 2);
  // A start too near the end is moved back to where the pattern still fits, both ways.
  EXPECT_EQ(FindText("xxab", "ab", 10, true, false), 2);
  EXPECT_EQ(FindText("xxab", "ab", 10, true, true), 2);
  EXPECT_EQ(FindText("abxx", "ab", 3, true, true), 0);
  EXPECT_EQ(FindText("abxx", "ab", -1, true, true), -1);
  EXPECT_EQ(FindText("abxx", "", 0, true, false), -1);
  EXPECT_EQ(FindText("ab", "abc", 0, true, false), -1);
  const std::string longest(255, 'q');
  EXPECT_EQ(FindText("x" + longest, longest, 0, true, false), 1);
  EXPECT_EQ(FindText("x" + longest + "q", longest + "q", 0, true, false), -1);
}

class FindPresenterTest : public ::testing::Test {
 protected:
  FindPresenter Presenter(const char* find, const char* replace = "") {
    FindPresenter p(editor, find_, desktop);
    p.SetFindText(find);
    p.SetReplaceText(replace);
    return p;
  }
  const platform::FakeDesktop::Message& LastMessage() const { return desktop.messages.back(); }

  platform::FakeDesktop desktop;
  EditorState editor = test::Editor("");
  FindState find_;
};

TEST_F(FindPresenterTest, FindNextStepsDownAndReportsTheEndOfTheFile) {
  editor.editorText = "OPEN PROG 1\nX10\nclose";
  FindPresenter p = Presenter("CLOSE");
  ASSERT_TRUE(p.FindNext());  // the match ends exactly at the text end
  EXPECT_EQ(editor.caret, 16);
  EXPECT_EQ(editor.anchor, 21);
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_FALSE(p.FindNext());
  EXPECT_EQ(LastMessage().text, "The end of the file was reached.");
  EXPECT_EQ(LastMessage().title, "String Not Found");
  EXPECT_EQ(editor.caret, 16);
  EXPECT_EQ(editor.anchor, 21);
}

TEST_F(FindPresenterTest, FindNextUpwardsSearchesBeforeTheCaret) {
  editor.editorText = "P1 P1 P1";
  editor.caret = editor.anchor = 8;
  FindPresenter p = Presenter("p1");
  p.SetSearchUpwards(true);
  ASSERT_TRUE(p.FindNext());
  EXPECT_EQ(editor.caret, 6);
  ASSERT_TRUE(p.FindNext());
  EXPECT_EQ(editor.caret, 3);
  ASSERT_TRUE(p.FindNext());
  EXPECT_EQ(editor.caret, 0);
  EXPECT_FALSE(p.FindNext());
  EXPECT_EQ(LastMessage().text, "The beginning of the file was reached.");
  p.SetCaseSensitive(true);
  editor.caret = editor.anchor = 8;
  EXPECT_FALSE(p.FindNext());
}

TEST_F(FindPresenterTest, ReplaceWorksOnlyOnTheExactSelection) {
  editor.editorText = "Pause PAUSE";
  FindPresenter p = Presenter("PAUSE", "DWELL");
  p.SetCaseSensitive(true);
  editor.caret = 0;
  editor.anchor = 5;
  p.Replace();
  EXPECT_EQ(editor.editorText, "Pause PAUSE");
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_FALSE(editor.modifiedFlag);
  // The same characters selected from the other end are not a match either.
  editor.caret = 11;
  editor.anchor = 6;
  p.Replace();
  EXPECT_EQ(editor.editorText, "Pause PAUSE");

  p.SetCaseSensitive(false);
  editor.caret = 0;
  editor.anchor = 5;
  p.Replace();
  // Replaced, then the next match is selected.
  EXPECT_EQ(editor.editorText, "DWELL PAUSE");
  EXPECT_EQ(editor.caret, 6);
  EXPECT_EQ(editor.anchor, 11);
  EXPECT_TRUE(editor.modifiedFlag);
  // Two undo records: the insertion, then the deletion.
  EditUndo(editor, desktop);
  EXPECT_EQ(editor.editorText, " PAUSE");
  EditUndo(editor, desktop);
  EXPECT_EQ(editor.editorText, "Pause PAUSE");
}

TEST_F(FindPresenterTest, ReplaceAllTerminatesWhenTheReplacementHoldsTheFindText) {
  editor.editorText = "P1 P1 P1 P1 P1 P1 P1";
  FindPresenter p = Presenter("P1", "P10");
  EXPECT_EQ(p.ReplaceAll(), 7);
  EXPECT_EQ(editor.editorText, "P10 P10 P10 P10 P10 P10 P10");
  EXPECT_EQ(LastMessage().text, "The end of the file was reached.");

  // A match at the very end, replaced by itself: found once, not again and again.
  editor.editorText = "X P1";
  editor.caret = editor.anchor = 0;
  p.SetReplaceText("P1");
  EXPECT_EQ(p.ReplaceAll(), 1);
  p.SetReplaceText("XP1");
  editor.caret = editor.anchor = 0;
  EXPECT_EQ(p.ReplaceAll(), 1);
  EXPECT_EQ(editor.editorText, "X XP1");

  editor.editorText = "P1 P1";
  editor.caret = editor.anchor = 5;
  p.SetSearchUpwards(true);
  p.SetReplaceText("Q7");
  EXPECT_EQ(p.ReplaceAll(), 2);
  EXPECT_EQ(editor.editorText, "Q7 Q7");
  EXPECT_EQ(LastMessage().text, "The beginning of the file was reached.");
}

TEST_F(FindPresenterTest, OnlyTheLastFiveReplacementsCanBeUndone) {
  editor.editorText = "P1 P1 P1 P1 P1 P1 P1";
  FindPresenter p = Presenter("P1", "P10");
  p.ReplaceAll();
  for (int i = 0; i < kUndoSlots; ++i) EditUndo(editor, desktop);
  EXPECT_EQ(editor.editorText, "P10 P10 P1 P1 P1 P1 P1");
  const std::size_t messages = desktop.messages.size();
  EditUndo(editor, desktop);
  ASSERT_EQ(desktop.messages.size(), messages + 1);
  EXPECT_EQ(LastMessage().text, "The undo buffer is empty.");
}

TEST_F(FindPresenterTest, AReplacementThatWouldOverfillTheTextLeavesTheMatch) {
  // Deleting "ab" and inserting 13 characters gives 499,999 characters: with the terminator
  // that is the whole text area, which the insertion refuses. The match must stay.
  std::string text(499999 - 13 + 2, 'x');
  text.replace(100, 2, "ab");
  editor.editorText = text;
  FindPresenter p = Presenter("ab", "abcdefghijklm");
  editor.caret = 100;
  editor.anchor = 102;
  p.Replace();
  EXPECT_EQ(editor.editorText, text);
  EXPECT_EQ(editor.undoHistory[0].kind, kUndoEmpty);
  editor.caret = editor.anchor = 0;
  EXPECT_EQ(p.ReplaceAll(), 0);
  EXPECT_EQ(editor.editorText, text);
  EXPECT_EQ(editor.caret, 100);  // the match stays selected
  EXPECT_EQ(LastMessage().text, "The end of the file was reached.");
  // One character shorter, it fits.
  p.SetReplaceText("abcdefghijkl");
  editor.caret = editor.anchor = 0;
  EXPECT_EQ(p.ReplaceAll(), 1);
}

TEST_F(FindPresenterTest, FieldsKeepAtMost254Characters) {
  Presenter(std::string(300, 'a').c_str(), std::string(255, 'r').c_str());
  EXPECT_EQ(find_.findText, std::string(254, 'a'));
  EXPECT_EQ(find_.replaceText, std::string(254, 'r'));
}

}  // namespace
}  // namespace bl::editor
