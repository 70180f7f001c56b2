#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "definitions/definition_table.h"
#include "editor/editor_state.h"
#include "editor/qt/editor_view.h"
#include "editor/qt/editor_widget.h"
#include "editor/qt/preferences_dialog.h"
#include "gui/gui_support.h"
#include "platform/fake/fake_desktop.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::editor {
namespace {

bool Near(QColor c, QColor want, int tolerance = 10) {
  return std::abs(c.red() - want.red()) <= tolerance &&
         std::abs(c.green() - want.green()) <= tolerance &&
         std::abs(c.blue() - want.blue()) <= tolerance;
}

// An editor widget of 500 x 300 pixels over the state, shown by Show() once the text is in.
class EditorWidgetGuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }
  EditorWidget& Show() {
    widget.resize(500, 300);
    widget.show();
    return widget;
  }

  DefinitionTable table;
  platform::FakeDesktop desktop;
  EditorState state;
  EditorWidget widget{state, table, desktop};
};

TEST_F(EditorWidgetGuiTest, CaretSelectionAndParenthesisFrameInPixels) {
  state.editorText = "X = ((1)\nabc def\nline three";
  state.caret = 9 + 2;  // line 1, column 2
  state.anchor = state.caret;
  state.hasFocus = true;
  Show();
  // Select "line" on line 2 after the widget knows its size.
  state.anchor = 17;
  state.caret = 21;
  state.hasFocus = true;
  const QImage image = widget.Client().Render();
  test::SaveScreenshot(image, "editor_widget");

  // The caret is on line 2 now (line index 2, column 4): x = 60 + 32 = 92, pixels 91 and 92.
  const QColor red(255, 0, 0);
  EXPECT_TRUE(Near(image.pixelColor(91, 40), red));
  EXPECT_TRUE(Near(image.pixelColor(92, 40), red));
  EXPECT_FALSE(Near(image.pixelColor(93, 40), red));
  // Selected cells: white background inverted and or-ed with blue gives blue.
  EXPECT_TRUE(Near(image.pixelColor(61, 32), QColor(0, 0, 255)));
  EXPECT_TRUE(Near(image.pixelColor(88, 33), QColor(0, 0, 255)));
  // Unselected background beside the selection stays white.
  EXPECT_TRUE(Near(image.pixelColor(100, 33), QColor(255, 255, 255)));
  // "((" is framed: left edge at x = 59 and top edge along the row.
  EXPECT_TRUE(Near(image.pixelColor(59, 8), red));
  EXPECT_TRUE(Near(image.pixelColor(300, 0), red));
  EXPECT_TRUE(Near(image.pixelColor(300, 15), red));
  EXPECT_FALSE(Near(image.pixelColor(300, 16), red));
  // Gutter grey with its white strip.
  EXPECT_TRUE(Near(image.pixelColor(2, 100), QColor(192, 192, 192)));
  EXPECT_TRUE(Near(image.pixelColor(56, 100), QColor(255, 255, 255)));
}

TEST_F(EditorWidgetGuiTest, KeysReachTheEditorAndBarsFollowTheText) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "P1=1\n";
  state.editorText = text;
  Show();
  EXPECT_TRUE(widget.VerticalScrollBar().isEnabled());
  EXPECT_EQ(widget.VerticalScrollBar().maximum(), 200 - state.height / 16 + 1);

  QWidget& client = widget.Client();
  QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
  QApplication::sendEvent(&client, &end);
  EXPECT_EQ(state.caret, static_cast<int>(text.size()));
  EXPECT_EQ(widget.VerticalScrollBar().value(), state.firstLine);
  EXPECT_GT(state.firstLine, 0);
  QKeyEvent typed(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QApplication::sendEvent(&client, &typed);
  QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, "\t");
  QApplication::sendEvent(&client, &tab);
  EXPECT_EQ(state.editorText.substr(text.size()), "a    ");
  QKeyEvent undo(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier);
  QApplication::sendEvent(&client, &undo);
  EXPECT_EQ(state.editorText.substr(text.size()), "a");
}

// The text holds Latin-1: a typed character beyond it is ignored, never typed as '?'.
TEST_F(EditorWidgetGuiTest, CharactersBeyondLatin1AreIgnored) {
  state.editorText = "P1=1";
  state.caret = state.anchor = 4;
  Show();
  QWidget& client = widget.Client();

  // Each key event carries its text, as a keyboard layout's euro sign or kanji arrive; the
  // selection must survive an ignored character.
  state.anchor = 2;
  for (const char* text : {"\u20AC", "\u6F22", "\U0001F600", "\u0100"}) {
    QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8(text));
    QApplication::sendEvent(&client, &key);
    EXPECT_EQ(state.editorText, "P1=1") << text;
    EXPECT_EQ(state.caret, 4) << text;
    EXPECT_EQ(state.anchor, 2) << text;
  }
  QKeyEvent x(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
  QApplication::sendEvent(&client, &x);
  EXPECT_EQ(state.editorText, "P1x");
}

TEST_F(EditorWidgetGuiTest, EditorViewScreenshot) {
  Terminal terminal;
  table.DefineLine("#define Speed P10", 0, terminal);
  state.editorText =
      "; Axis 1 jog program\n"
      "#define Speed P10\n"
      "OPEN PROG 10 CLEAR\n"
      "Speed=5 ; set the speed\n"
      "/* a block\n"
      "   comment */ LINEAR\n"
      "X((Speed*2) ; unbalanced\n"
      "SEND\"Done\"\n"
      "CLOSE\n";
  state.caret = 40;
  state.anchor = 46;
  state.hasFocus = true;
  state.rawWidth = 231;
  EditorView view(state, table, desktop);
  view.resize(700, 450);
  view.show();
  const QImage image = view.grab().toImage();
  test::SaveScreenshot(image, "editor_view");
  // The band: blue from the top; the editor starts at y = 25.
  EXPECT_TRUE(Near(image.pixelColor(600, 5), QColor(0, 0, 255)));
  EXPECT_EQ(view.Editor().geometry(), QRect(0, 25, 469, 255));
  EXPECT_EQ(view.Raw().geometry(), QRect(469, 25, 231, 255));
  EXPECT_EQ(view.FileList().geometry(), QRect(0, 310, 700, 140));
}

TEST_F(EditorWidgetGuiTest, PreferencesDialogStoresColoursAtOnceAndChecksOnEscape) {
  EditorPreferences prefs;
  desktop.colorAnswers = {platform::Rgb{10, 20, 30}};
  int repaints = 0;
  PreferencesDialog dialog(prefs, desktop, [&] { ++repaints; });
  dialog.show();
  test::SaveScreenshot(dialog.grab().toImage(), "editor_preferences");
  EXPECT_TRUE(dialog.Check(PreferenceCheck::ProjectClearsDefinitions).isChecked());
  dialog.ColorButton(kColorComments).click();
  EXPECT_EQ(prefs.colors[kColorComments], (platform::Rgb{10, 20, 30}));
  EXPECT_EQ(repaints, 1);
  dialog.Check(PreferenceCheck::Keywords).setChecked(false);
  dialog.reject();
  EXPECT_FALSE(prefs.switches.keywords);
}

}  // namespace
}  // namespace bl::editor
