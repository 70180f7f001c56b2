#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "definitions/definition_table.h"
#include "editor/editor_edit.h"
#include "editor/editor_input.h"
#include "editor/editor_paint.h"
#include "editor/editor_scroll.h"
#include "editor/editor_text.h"
#include "editor_test_support.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/recording_canvas.h"

namespace bl::editor {
namespace {

using test::Editor;

class EditorKeysTest : public ::testing::Test {
 protected:
  void Key(EditorState& s, EditorKey key, bool shift = false, bool control = false) {
    OnKeyDown(s, desktop, KeyEvent{key, shift, control});
  }
  LineColumn At(const EditorState& s) { return LineColumnOf(s.editorText, s.caret); }

  platform::FakeDesktop desktop;
};

TEST_F(EditorKeysTest, BackspaceAtStartAndDeleteAtEndChangeNothing) {
  EditorState s = Editor("ab", 0);
  Key(s, EditorKey::Backspace);
  EXPECT_EQ(s.editorText, "ab");
  s.caret = s.anchor = 2;
  Key(s, EditorKey::Delete);
  EXPECT_EQ(s.editorText, "ab");
  EXPECT_FALSE(s.modifiedFlag);
  EXPECT_EQ(s.undoHistory[0].kind, kUndoEmpty);

  Key(s, EditorKey::Backspace);
  EXPECT_EQ(s.editorText, "a");
  EXPECT_EQ(s.caret, 1);
  EXPECT_TRUE(s.modifiedFlag);
}

TEST_F(EditorKeysTest, TabFillsToTheNextMultipleOfFiveAndKeepsTheSelection) {
  EditorState s = Editor("abc", 3);
  Key(s, EditorKey::Tab);
  EXPECT_EQ(s.editorText, "abc  ");
  Key(s, EditorKey::Tab);
  EXPECT_EQ(s.editorText, "abc       ");
  EXPECT_EQ(s.caret, 10);

  EditorState empty = Editor("\nxy", 0);
  Key(empty, EditorKey::Tab);
  EXPECT_EQ(empty.editorText, "     \nxy");

  EditorState sel = Editor("xy", 2);
  sel.anchor = 0;
  Key(sel, EditorKey::Tab);
  EXPECT_EQ(sel.editorText, "xy   ");
  EXPECT_EQ(sel.caret, 5);
  EXPECT_EQ(sel.anchor, 5);
}

TEST_F(EditorKeysTest, UpAndDownKeepTheDesiredColumn) {
  EditorState s = Editor("abcdef\nxy\nlonger line", 4);
  Key(s, EditorKey::Up);  // line 0: to the start
  EXPECT_EQ(s.caret, 0);
  EXPECT_EQ(s.desiredColumn, -1);

  s.caret = s.anchor = 5;  // line 0, column 5
  Key(s, EditorKey::Down);
  EXPECT_EQ(At(s), (LineColumn{2, 1}));  // the short line's end
  Key(s, EditorKey::Down);
  EXPECT_EQ(At(s), (LineColumn{5, 2}));  // the column comes back
  Key(s, EditorKey::Up);
  Key(s, EditorKey::Up);
  EXPECT_EQ(At(s), (LineColumn{5, 0}));
  Key(s, EditorKey::Down);
  Key(s, EditorKey::Down);
  Key(s, EditorKey::Down);  // on the last line: to the text end
  EXPECT_EQ(s.caret, static_cast<int>(s.editorText.size()));
  EXPECT_EQ(s.desiredColumn, -1);
}

TEST_F(EditorKeysTest, DownBelowAnEmptyFirstLineUsesTheOwnLineColumn) {
  EditorState s = Editor("\nabcd\nefgh", 3);  // line 1, column 2
  Key(s, EditorKey::Down);
  EXPECT_EQ(At(s), (LineColumn{2, 2}));
}

TEST_F(EditorKeysTest, PageKeysMoveByWindowRowsAndClamp) {
  std::string text;
  for (int i = 0; i < 50; ++i) text += (i % 2 ? "ab\n" : "abcdefgh\n");
  EditorState s = Editor(text, PositionAt(text, 6, 4));
  s.desiredColumn = 7;
  Key(s, EditorKey::PageDown);  // 20 rows
  EXPECT_EQ(At(s), (LineColumn{6, 24}));
  Key(s, EditorKey::PageDown);
  Key(s, EditorKey::PageDown);  // clamped to the last line, which is empty
  EXPECT_EQ(At(s), (LineColumn{0, 50}));
  EXPECT_EQ(s.desiredColumn, 7);
  s.caret = s.anchor = PositionAt(text, 6, 10);
  Key(s, EditorKey::PageUp, /*shift=*/true);
  EXPECT_EQ(At(s), (LineColumn{6, 0}));
  EXPECT_EQ(s.anchor, PositionAt(text, 6, 10));  // Shift keeps the anchor
}

// 300 empty lines, then one line: more line ends in a row than a byte can count.
TEST_F(EditorKeysTest, LinesAfterThreeHundredEmptyLines) {
  const std::string text = std::string(300, '\n') + "last line";
  EXPECT_EQ(LastLineIndex(text), 300);
  EXPECT_EQ(LineColumnOf(text, static_cast<int>(text.size())), (LineColumn{9, 300}));
  EXPECT_EQ(LineColumnOf(text, 299), (LineColumn{0, 299}));
  EXPECT_EQ(PositionAt(text, 4, 300), 304);

  EditorState s = Editor(text, static_cast<int>(text.size()));  // the end of line 300
  Key(s, EditorKey::Up);  // line 299 is empty
  EXPECT_EQ(s.caret, 299);
  EXPECT_EQ(At(s), (LineColumn{0, 299}));
  Key(s, EditorKey::Down);  // the desired column comes back on the last line
  EXPECT_EQ(At(s), (LineColumn{9, 300}));
  EXPECT_EQ(s.caret, static_cast<int>(text.size()));

  s.caret = s.anchor = 0;
  Key(s, EditorKey::PageDown);  // 20 rows
  EXPECT_EQ(s.caret, 20);
  EXPECT_EQ(At(s), (LineColumn{0, 20}));
  for (int i = 0; i < 14; ++i) Key(s, EditorKey::PageDown);
  EXPECT_EQ(At(s), (LineColumn{0, 300}));
  EXPECT_EQ(s.caret, 300);
  Key(s, EditorKey::PageDown);  // clamped to the last line
  EXPECT_EQ(s.caret, 300);
  Key(s, EditorKey::Down);  // on the last line: to the text end
  EXPECT_EQ(s.caret, static_cast<int>(text.size()));
  Key(s, EditorKey::PageUp);
  EXPECT_EQ(At(s), (LineColumn{0, 280}));

  // The view scrolls so that the last line is the bottom row.
  Key(s, EditorKey::End, false, /*control=*/true);
  EXPECT_EQ(s.firstLine, 300 - VisibleRows(s) + 1);
  EXPECT_EQ(VerticalBar(s).maximum, 300);
}

TEST_F(EditorKeysTest, HomeEndLeftRight) {
  EditorState s = Editor("ab\ncdef\ng", 5);
  Key(s, EditorKey::Home);
  EXPECT_EQ(s.caret, 3);
  Key(s, EditorKey::End, /*shift=*/true);
  EXPECT_EQ(s.caret, 7);
  EXPECT_EQ(s.anchor, 3);
  Key(s, EditorKey::End, false, /*control=*/true);
  EXPECT_EQ(s.caret, 9);
  EXPECT_EQ(s.anchor, 9);
  Key(s, EditorKey::Right);
  EXPECT_EQ(s.caret, 9);
  Key(s, EditorKey::Home, false, true);
  Key(s, EditorKey::Left);
  EXPECT_EQ(s.caret, 0);
}

TEST_F(EditorKeysTest, TypingEnterAndDeleteReplaceTheSelection) {
  EditorState s = Editor("hello", 1);
  s.anchor = 4;
  OnChar(s, desktop, 'X');
  EXPECT_EQ(s.editorText, "hXo");
  EXPECT_EQ(s.undoHistory[0].kind, kUndoInsertion);
  EXPECT_EQ(s.undoHistory[1].kind, kUndoDeletion);
  OnChar(s, desktop, '\t');  // not a typed character
  OnChar(s, desktop, static_cast<char>(200));
  EXPECT_EQ(s.editorText, "hXo");
  s.anchor = 0;
  Key(s, EditorKey::Enter);
  EXPECT_EQ(s.editorText, "\no");
  EXPECT_EQ(s.caret, 1);
  s.anchor = 2;
  Key(s, EditorKey::Delete);
  EXPECT_EQ(s.editorText, "\n");
}

// Typed characters come by their code points: beyond Latin-1 they are ignored like the other
// characters the editor cannot hold, and never turn into '?'.
TEST_F(EditorKeysTest, CharactersBeyondLatin1AreIgnored) {
  EditorState s = Editor("hello", 1);
  s.anchor = 4;
  for (char32_t c : {U'\u20AC', U'\u6F22', U'\u0100', U'\U0001F600', U'\uFFFD', char32_t{0x110000},
                     char32_t{0xFFFFFFFF}}) {
    OnTypedCharacter(s, desktop, c);
    EXPECT_EQ(s.editorText, "hello") << static_cast<std::uint32_t>(c);
    EXPECT_EQ(s.caret, 1);
    EXPECT_EQ(s.anchor, 4);  // the selection stays
    EXPECT_FALSE(s.modifiedFlag);
    EXPECT_EQ(s.undoHistory[0].kind, kUndoEmpty);
  }
  // Latin-1 characters that are no typed characters are ignored too; the rest are typed.
  OnTypedCharacter(s, desktop, U'\u00E9');
  OnTypedCharacter(s, desktop, U'\t');
  EXPECT_EQ(s.editorText, "hello");
  OnTypedCharacter(s, desktop, U'X');
  EXPECT_EQ(s.editorText, "hXo");
  OnTypedCharacter(s, desktop, U'~');
  EXPECT_EQ(s.editorText, "hX~o");
  OnTypedCharacter(s, desktop, char32_t{26});  // Ctrl-Z
  EXPECT_EQ(s.editorText, "hXo");
}

TEST_F(EditorKeysTest, ClipboardKeysAndControlCharacters) {
  EditorState s = Editor("one two", 0);
  s.anchor = 3;
  Key(s, EditorKey::Insert, false, /*control=*/true);
  EXPECT_EQ(desktop.Clipboard(), "one");
  EXPECT_FALSE(s.modifiedFlag);
  EXPECT_EQ(s.anchor, 3);  // copying keeps the selection

  Key(s, EditorKey::Delete, /*shift=*/true);  // cut
  EXPECT_EQ(s.editorText, " two");
  s.caret = s.anchor = 4;
  Key(s, EditorKey::Insert, /*shift=*/true);  // paste
  EXPECT_EQ(s.editorText, " twoone");
  OnChar(s, desktop, 26);  // Ctrl-Z
  EXPECT_EQ(s.editorText, " two");
  s.caret = 0;
  s.anchor = 4;
  OnChar(s, desktop, 24);  // Ctrl-X
  EXPECT_EQ(desktop.Clipboard(), " two");
  OnChar(s, desktop, 22);  // Ctrl-V
  OnChar(s, desktop, 22);
  EXPECT_EQ(s.editorText, " two two");
}

TEST_F(EditorKeysTest, PasteOfCrLfTextAndUndoOfAPasteOverASelection) {
  EditorState s = Editor("xSELy", 1);
  s.anchor = 4;
  desktop.SetClipboardText("A\r\nB");
  EditPaste(s, desktop);
  EXPECT_EQ(s.editorText, "xA \nBy");
  EXPECT_EQ(s.caret, 5);
  EditUndo(s, desktop);
  EditUndo(s, desktop);
  EXPECT_EQ(s.editorText, "xSELy");

  // An unusable clipboard still takes the selection away, and that can be undone.
  s.caret = 1;
  s.anchor = 4;
  desktop.SetClipboardText("");
  EditPaste(s, desktop);
  EXPECT_EQ(s.editorText, "xy");
  EditUndo(s, desktop);
  EXPECT_EQ(s.editorText, "xSELy");
}

TEST_F(EditorKeysTest, InsertedNameReplacesTheSelection) {
  EditorState s = Editor("P1=5", 0);
  s.anchor = 2;
  InsertDefinedName(s, desktop, "Speed");
  EXPECT_EQ(s.editorText, "Speed=5");
  EXPECT_EQ(s.caret, 5);
}

TEST(EditorMouseTest, ClickLandsOnTheNearerBoundaryAndShiftExtends) {
  EditorState s = Editor("abcdef\nghijkl");
  OnLeftButtonDown(s, {60 + 8 * 2 + 3, 20, false});
  EXPECT_EQ(s.caret, 7 + 2);
  EXPECT_EQ(s.anchor, 9);
  OnLeftButtonUp(s);
  OnLeftButtonDown(s, {60 + 8 * 2 + 4, 2, true});
  EXPECT_EQ(s.caret, 3);
  EXPECT_EQ(s.anchor, 9);
  OnMouseMove(s, {0, 40, false});  // below the last line: the text end
  EXPECT_EQ(s.caret, 13);
  EXPECT_EQ(s.anchor, 9);
  OnLeftButtonUp(s);
  OnMouseMove(s, {300, 0, false});  // no drag: nothing
  EXPECT_EQ(s.caret, 13);
}

TEST(EditorScrollTest, ShortTextStaysAtLineOne) {
  EditorState s = Editor("a\nb\nc");
  ScrollWheel(s, -120);
  EXPECT_EQ(s.firstLine, 0);
  ScrollVertical(s, ScrollAction::PageForward, 0);
  EXPECT_EQ(s.firstLine, 0);
  ScrollVertical(s, ScrollAction::Thumb, 2);
  EXPECT_EQ(s.firstLine, 0);
}

TEST(EditorScrollTest, WheelBarsAndCaretVisibility) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "line\n";
  EditorState s = Editor(text);
  ScrollWheel(s, -120);
  EXPECT_EQ(s.firstLine, 3);
  ScrollWheel(s, -20);  // less than 40: nothing
  EXPECT_EQ(s.firstLine, 3);
  ScrollVertical(s, ScrollAction::Thumb, 1000);
  EXPECT_EQ(s.firstLine, 100 - 20 + 1);
  EXPECT_EQ(VerticalBar(s), (ScrollBarSettings{0, 100, 20, 81}));

  ScrollHorizontal(s, ScrollAction::Thumb, 2040);
  EXPECT_EQ(s.firstColumn, 255 - 80);
  EXPECT_EQ(HorizontalBar(s), (ScrollBarSettings{0, 2040, 640, 175 * 8}));
  ScrollHorizontal(s, ScrollAction::PageBack, 0);
  EXPECT_EQ(s.firstColumn, 95);

  s.caret = PositionAt(s.editorText, 2, 10);
  EnsureCaretVisible(s);
  EXPECT_EQ(s.firstLine, 10);
  EXPECT_EQ(s.firstColumn, 2);
  s.caret = static_cast<int>(s.editorText.size());
  EnsureCaretVisible(s);
  EXPECT_EQ(s.firstLine, 81);  // the last line is the bottom row
}

// Any sequence of input keeps caret, anchor and scroll position inside the text.
TEST(EditorRobustnessTest, RandomInputKeepsTheStateConsistent) {
  platform::FakeDesktop desktop;
  DefinitionTable table;
  platform::RecordingCanvas canvas({700, 320});
  EditorState s = Editor("OPEN PROG 1\n(x /* y\n\"q\n");
  std::mt19937 rng(5);
  const std::string typed = "ab(;/*\"";
  desktop.SetClipboardText("p\r\nq\n");
  for (int i = 0; i < 3000; ++i) {
    const int what = static_cast<int>(rng() % 6);
    if (what == 0) {
      OnChar(s, desktop, typed[rng() % typed.size()]);
    } else if (what == 1) {
      OnChar(s, desktop, "\x03\x16\x18\x1a"[rng() % 4]);
    } else if (what == 2) {
      OnLeftButtonDown(s, {static_cast<int>(rng() % 800) - 50, static_cast<int>(rng() % 400) - 40,
                           rng() % 2 == 0});
      OnLeftButtonUp(s);
    } else if (what == 3) {
      ScrollWheel(s, static_cast<int>(rng() % 481) - 240);
    } else {
      OnKeyDown(s, desktop,
                KeyEvent{static_cast<EditorKey>(rng() % 13), rng() % 2 == 0, rng() % 3 == 0});
    }
    const int length = static_cast<int>(s.editorText.size());
    ASSERT_TRUE(s.caret >= 0 && s.caret <= length) << i;
    ASSERT_TRUE(s.anchor >= 0 && s.anchor <= length) << i;
    ASSERT_GE(s.firstLine, 0);
    ASSERT_GE(s.firstColumn, 0);
    ASSERT_EQ(s.editorText.find('\r'), std::string::npos);
    if (i % 50 == 0) {
      canvas.Clear();
      PaintEditor(canvas, s, table);
    }
  }
}

}  // namespace
}  // namespace bl::editor
