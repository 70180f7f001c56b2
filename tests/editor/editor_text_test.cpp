#include <gtest/gtest.h>

#include "editor/editor_edit.h"
#include "editor/editor_input.h"
#include "editor/editor_text.h"
#include "editor_test_support.h"
#include "platform/fake/fake_desktop.h"

namespace bl::editor {
namespace {

using test::Editor;

TEST(EditorTextTest, InsertTextRefusesBadPositionsAndEmptyText) {
  EditorState s = Editor("abc");
  EXPECT_EQ(InsertText(s, "x", -1, false), 0);
  EXPECT_EQ(InsertText(s, "x", 4, false), 0);
  EXPECT_EQ(InsertText(s, "", 2, false), 2);
  EXPECT_EQ(s.editorText, "abc");
  EXPECT_FALSE(s.modifiedFlag);
  EXPECT_EQ(s.undoHistory[0].kind, kUndoEmpty);

  EXPECT_EQ(InsertText(s, "XY", 1, false), 3);
  EXPECT_EQ(s.editorText, "aXYbc");
  EXPECT_TRUE(s.modifiedFlag);
  EXPECT_EQ(s.undoHistory[0].kind, kUndoInsertion);
  EXPECT_EQ(s.undoHistory[0].start, 1);
  EXPECT_EQ(s.undoHistory[0].end, 3);
}

TEST(EditorTextTest, TextNeverReachesTheAreaWithItsTerminator) {
  // 499,998 characters and the terminator leave no room for one more.
  EditorState s = Editor(std::string(kTextAreaSize - 3, 'a'));
  EXPECT_EQ(InsertText(s, "b", 5, false), 6);
  EXPECT_EQ(static_cast<int>(s.editorText.size()), kTextAreaSize - 2);
  EXPECT_EQ(InsertText(s, "c", 5, false), 5);
  EXPECT_EQ(static_cast<int>(s.editorText.size()), kTextAreaSize - 2);
  EXPECT_EQ(s.undoHistory[1].kind, kUndoEmpty);  // the refused insertion left no record

  platform::FakeDesktop desktop;
  OnChar(s, desktop, 'z');
  EXPECT_EQ(static_cast<int>(s.editorText.size()), kTextAreaSize - 2);
}

TEST(EditorTextTest, DeleteRangeClampsToTheText) {
  EditorState s = Editor("abcdef");
  std::int32_t caret = 100, anchor = -7;
  DeleteRange(s, caret, anchor, false);
  EXPECT_EQ(s.editorText, "");
  EXPECT_EQ(caret, 0);
  EXPECT_EQ(anchor, 0);
  EXPECT_EQ(s.undoHistory[0].text, "abcdef");

  EditorState empty = Editor("abc");
  caret = anchor = 2;
  DeleteRange(empty, caret, anchor, false);
  EXPECT_FALSE(empty.modifiedFlag);
  EXPECT_EQ(empty.undoHistory[0].kind, kUndoEmpty);
}

TEST(EditorUndoTest, EleventhChangePushesTheOldestOut) {
  platform::FakeDesktop desktop;
  EditorState s = Editor("");
  for (char c : std::string("abcdefghijk")) OnChar(s, desktop, c);
  ASSERT_EQ(s.editorText, "abcdefghijk");
  for (int i = 0; i < 10; ++i) EditUndo(s, desktop);
  EXPECT_EQ(s.editorText, "a");
  EXPECT_TRUE(desktop.messages.empty());
  EditUndo(s, desktop);
  EXPECT_EQ(s.editorText, "a");
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "The undo buffer is empty.");
  EXPECT_EQ(desktop.messages[0].title, "Undo Error!");
}

TEST(EditorUndoTest, CaretLandsAfterRestoredTextOrWhereTheInsertionBegan) {
  platform::FakeDesktop desktop;
  EditorState s = Editor("hello world");
  s.caret = 5;
  s.anchor = 11;
  EditClear(s);
  ASSERT_EQ(s.editorText, "hello");
  s.caret = s.anchor = 0;
  EditUndo(s, desktop);
  EXPECT_EQ(s.editorText, "hello world");
  EXPECT_EQ(s.caret, 11);
  EXPECT_EQ(s.anchor, 11);

  s.caret = s.anchor = 5;
  OnChar(s, desktop, '!');
  s.caret = s.anchor = 0;
  EditUndo(s, desktop);
  EXPECT_EQ(s.editorText, "hello world");
  EXPECT_EQ(s.caret, 5);
}

TEST(EditorUndoTest, RecordsBeyondAReplacedTextKeepTheCaretInside) {
  platform::FakeDesktop desktop;
  EditorState s = Editor("0123456789");
  s.caret = 8;
  s.anchor = 10;
  EditClear(s);
  s.caret = s.anchor = 0;
  OnChar(s, desktop, 'x');
  // Another part replaces the whole text without clearing the history.
  s.editorText = "ab";
  s.caret = s.anchor = 0;
  EditUndo(s, desktop);  // the insertion at 0..1
  EXPECT_EQ(s.editorText, "b");
  EditUndo(s, desktop);  // the deletion at 8 no longer fits
  EXPECT_EQ(s.editorText, "b");
  EXPECT_GE(s.caret, 0);
  EXPECT_LE(s.caret, 1);
}

TEST(EditorUndoTest, ClearAllEmptiesTheHistory) {
  platform::FakeDesktop desktop;
  EditorState s = Editor("");
  OnChar(s, desktop, 'a');
  EXPECT_EQ(UndoLast(s, desktop, 1, true), 0);
  for (const UndoRecord& r : s.undoHistory) EXPECT_EQ(r.kind, kUndoEmpty);
}

TEST(EditorTextTest, PositionsLinesAndColumns) {
  const std::string_view text = "ab\n\ncde\n";  // lines "ab", "", "cde", ""
  EXPECT_EQ(LastLineIndex(text), 3);
  EXPECT_EQ(LastLineIndex(""), 0);
  EXPECT_EQ(PositionAt(text, 1, 0), 1);
  EXPECT_EQ(PositionAt(text, 9, 0), 2);  // past the end: the line's LF
  EXPECT_EQ(PositionAt(text, 5, 1), 3);
  EXPECT_EQ(PositionAt(text, 2, 2), 6);
  EXPECT_EQ(PositionAt(text, 0, 3), 8);
  EXPECT_EQ(PositionAt(text, 0, 4), 8);  // past the last line: the text length
  EXPECT_EQ(PositionAt(text, 3, -1), 0);
  EXPECT_EQ(LineColumnOf(text, 0), (LineColumn{0, 0}));
  EXPECT_EQ(LineColumnOf(text, 2), (LineColumn{2, 0}));
  EXPECT_EQ(LineColumnOf(text, 3), (LineColumn{0, 1}));
  EXPECT_EQ(LineColumnOf(text, 7), (LineColumn{3, 2}));
  EXPECT_EQ(LineColumnOf(text, 8), (LineColumn{0, 3}));
  EXPECT_EQ(LineLength(text, 2), 3);
  EXPECT_EQ(LineLength(text, 3), 0);
  EXPECT_EQ(LineLength(text, 9), 0);
}

TEST(EditorClipboardTest, GetTurnsCrIntoSpaceAndRefusesTextsThatDoNotFit) {
  platform::FakeDesktop desktop;
  std::string buffer = "old";
  desktop.SetClipboardText("A\r\nB");
  ClipboardGet(desktop, buffer, kTextAreaSize);
  EXPECT_EQ(buffer, "A \nB");

  desktop.SetClipboardText(std::string(kTextAreaSize - 1, 'x'));  // with terminator: the limit
  ClipboardGet(desktop, buffer, kTextAreaSize);
  EXPECT_TRUE(buffer.empty());
  desktop.SetClipboardText(std::string(kTextAreaSize - 2, 'x'));
  ClipboardGet(desktop, buffer, kTextAreaSize);
  EXPECT_EQ(buffer.size(), static_cast<std::size_t>(kTextAreaSize - 2));

  desktop.SetClipboardText(std::string("ab\0cd", 5));
  ClipboardGet(desktop, buffer, kTextAreaSize);
  EXPECT_EQ(buffer, "ab");
}

}  // namespace
}  // namespace bl::editor
