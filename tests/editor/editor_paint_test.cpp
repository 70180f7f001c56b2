#include <gtest/gtest.h>

#include "definitions/definition_table.h"
#include "editor/editor_paint.h"
#include "editor/editor_view_layout.h"
#include "editor_test_support.h"
#include "platform/color_palette.h"
#include "platform/fake/recording_canvas.h"

namespace bl::editor {
namespace {

using platform::RecordingCanvas;
using platform::Rect;
using Kind = RecordingCanvas::Kind;
using test::Editor;

constexpr platform::Rgb kRed = platform::PaletteColor(5);
constexpr platform::Rgb kBlue = platform::PaletteColor(13);

class EditorPaintTest : public ::testing::Test {
 protected:
  RecordingCanvas& Paint(const EditorState& s) {
    canvas.Clear();
    PaintEditor(canvas, s, table);
    return canvas;
  }
  std::vector<Rect> Ops(Kind kind, platform::Rgb color) {
    std::vector<Rect> out;
    for (const auto& op : canvas.Ops())
      if (op.kind == kind && (kind == Kind::Rectangle ? op.pen == color : op.color == color))
        out.push_back(op.rect);
    return out;
  }

  DefinitionTable table;
  RecordingCanvas canvas{{700, 320}};
};

TEST_F(EditorPaintTest, UnbalancedParenthesesFrameTheirLine) {
  Paint(Editor("x = ((1)\n(2)\n)(\n"));
  const auto frames = Ops(Kind::Rectangle, kRed);
  ASSERT_EQ(frames.size(), 1u);  // ")(" balances by count
  EXPECT_EQ(frames[0], (Rect{59, 0, 700, 16}));
  for (const auto& op : canvas.Ops()) {
    if (op.kind == Kind::Rectangle) {
      EXPECT_FALSE(op.brush.has_value());
    }
  }
}

TEST_F(EditorPaintTest, SelectionInvertsItsCellsInBlueIncludingSelectedLineEnds) {
  EditorState s = Editor("abcdef\nghi\njkl", 2);
  s.anchor = 9;  // "cdef\ngh"
  Paint(s);
  const auto inverted = Ops(Kind::Invert, kBlue);
  // Two line cells; the caret's line-number box adds its fill in blue too.
  ASSERT_GE(inverted.size(), 2u);
  EXPECT_EQ(inverted[0], (Rect{60 + 16, 0, 60 + 56, 16}));  // columns 2..6 and the LF
  EXPECT_EQ(inverted[1], (Rect{60, 16, 60 + 16, 32}));
}

TEST_F(EditorPaintTest, CaretAndItsLineNumberFollowTheFocus) {
  EditorState s = Editor("ab\ncdef", 6);  // line 1, column 3
  s.hasFocus = true;
  Paint(s);
  EXPECT_EQ(Ops(Kind::FillRect, kRed), (std::vector<Rect>{{83, 16, 85, 32}}));
  // The number box: a 2-pixel red frame in four strips and a blue inside, all inverting.
  EXPECT_EQ(Ops(Kind::Invert, kRed).size(), 4u);
  EXPECT_EQ(Ops(Kind::Invert, kBlue), (std::vector<Rect>{{7, 18, 48, 30}}));

  s.hasFocus = false;
  Paint(s);
  EXPECT_TRUE(Ops(Kind::FillRect, kRed).empty());
  EXPECT_EQ(Ops(Kind::FillRect, platform::kBlack), (std::vector<Rect>{{83, 16, 85, 32}}));
  EXPECT_EQ(Ops(Kind::Invert, platform::PaletteColor(2)), (std::vector<Rect>{{7, 18, 48, 30}}));

  s.firstColumn = 4;  // the caret lies left of the text area
  Paint(s);
  EXPECT_TRUE(Ops(Kind::FillRect, platform::kBlack).empty());
}

TEST_F(EditorPaintTest, GutterNumbersAndScrolledTokens) {
  std::string text;
  for (int i = 0; i < 30; ++i) text += "OPEN PROG 1\n";
  EditorState s = Editor(text);
  s.firstLine = 9;
  s.firstColumn = 5;
  Paint(s);
  const auto* number = canvas.FindText("10");
  ASSERT_NE(number, nullptr);
  EXPECT_EQ(number->rect, (Rect{10, 0, 50, 16}));
  EXPECT_EQ(number->textBackground, (platform::Rgb{190, 190, 190}));
  EXPECT_EQ(number->color, platform::kBlack);
  EXPECT_NE(canvas.FindText("29"), nullptr);  // 20 rows: lines 10..29
  EXPECT_EQ(canvas.FindText("30"), nullptr);

  const auto* prog = canvas.FindText("PROG");
  ASSERT_NE(prog, nullptr);
  EXPECT_EQ(prog->rect, (Rect{60, 0, 92, 16}));  // column 5 is the first shown
  EXPECT_EQ(prog->color, kDefaultEditorColors[kColorKeywords]);
  EXPECT_EQ(prog->textBackground, kDefaultEditorColors[kColorBackground]);

  // The caret below the first visible line: its row counted from there.
  s.caret = s.anchor = 18 * 12 + 6;  // line 18, column 6
  Paint(s);
  EXPECT_EQ(Ops(Kind::FillRect, platform::kBlack), (std::vector<Rect>{{67, 144, 69, 160}}));
  s.caret = s.anchor = 0;  // above it: no caret, no marked number
  Paint(s);
  EXPECT_TRUE(Ops(Kind::FillRect, platform::kBlack).empty());
  EXPECT_TRUE(Ops(Kind::Invert, platform::PaletteColor(2)).empty());

  // The gutter is drawn over whatever lies left of the text area.
  const auto& ops = canvas.Ops();
  const auto gutter = std::find_if(ops.begin(), ops.end(), [](const auto& op) {
    return op.kind == Kind::FillRect && op.rect == Rect{0, 0, 59, 320};
  });
  const auto open =
      std::find_if(ops.begin(), ops.end(), [](const auto& op) { return op.text == "OPEN"; });
  ASSERT_NE(gutter, ops.end());
  EXPECT_LT(open - ops.begin(), gutter - ops.begin());
}

TEST_F(EditorPaintTest, FirstVisibleLineInsideABlockCommentStartsGreen) {
  EditorState s = Editor("a /* b\nc\nd */ e");
  s.firstLine = 1;
  Paint(s);
  const auto* c = canvas.FindText("c");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->color, kDefaultEditorColors[kColorComments]);
  const auto* e = canvas.FindText("e");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->color, kDefaultEditorColors[kColorNormalText]);
}

TEST(EditorViewLayoutTest, PanesFollowRawWidthAndFileListHeight) {
  // A 700 x 500 main window: the view is 700 x 450 from y = 50.
  const EditorViewLayout l = LayOutEditorView({700, 450}, 231, 140);
  EXPECT_EQ(l.band, (Rect{0, 0, 700, 26}));
  EXPECT_EQ(l.editor, (Rect{0, 25, 469, 280}));
  EXPECT_EQ(l.raw, (Rect{469, 25, 700, 280}));
  EXPECT_EQ(l.bar, (Rect{0, 280, 700, 310}));
  EXPECT_EQ(l.fileList, (Rect{0, 310, 700, 450}));
  const EditorViewLayout hidden = LayOutEditorView({700, 450}, 0, 0);
  EXPECT_EQ(hidden.editor, (Rect{0, 25, 700, 420}));
  EXPECT_EQ(hidden.raw.Width(), 0);
}

TEST(EditorViewLayoutTest, BandShowsNewFileWithoutAName) {
  RecordingCanvas c({700, 26});
  PaintFileNameBand(c, "");
  const auto* text = c.FindText("New File");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->color, platform::kWhite);
  EXPECT_EQ(c.Ops()[0].color, kBlue);
}

}  // namespace
}  // namespace bl::editor
