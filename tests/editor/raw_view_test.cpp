#include <gtest/gtest.h>

#include "definitions/definition_table.h"
#include "editor/raw_view.h"
#include "editor_test_support.h"
#include "platform/color_palette.h"
#include "platform/fake/recording_canvas.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::editor {
namespace {

using platform::RecordingCanvas;
using platform::Rect;
using test::Editor;

class RawViewTest : public ::testing::Test {
 protected:
  std::vector<std::pair<std::string, int>> RowsOf(const EditorState& s) {
    RecordingCanvas c({300, 320});
    PaintRawView(c, s, table);
    std::vector<std::pair<std::string, int>> rows;
    for (const auto* op : c.Texts()) rows.emplace_back(op->text, op->rect.top);
    return rows;
  }

  DefinitionTable table;
  Terminal terminal;
};

TEST_F(RawViewTest, DefinitionsStayBlankAndNamesAreSubstituted) {
  table.DefineLine("#define Speed P10", 0, terminal);
  const EditorState s = Editor("#define Speed P10\nSpeed=5 ; set\n#INCLUDE \"a.pmc\"\nx&y");
  using Rows = std::vector<std::pair<std::string, int>>;
  EXPECT_EQ(RowsOf(s), (Rows{{"P10=5 ", 16}, {"x&y", 48}}));
}

TEST_F(RawViewTest, BlockCommentsAcrossLinesAndTheFirstVisibleLine) {
  EditorState s = Editor("A /* x\ny\nz */ B\nC");
  using Rows = std::vector<std::pair<std::string, int>>;
  EXPECT_EQ(RowsOf(s), (Rows{{"A ", 0}, {"B", 32}, {"C", 48}}));
  s.firstLine = 1;  // starts inside the comment
  EXPECT_EQ(RowsOf(s), (Rows{{"B", 16}, {"C", 32}}));
}

TEST_F(RawViewTest, TextScrollsFromItsOwnColumnAndTheHandleIsDrawnLast) {
  EditorState s = Editor("abc");
  s.rawFirstColumn = 2;
  RecordingCanvas c({300, 320});
  PaintRawView(c, s, table);
  ASSERT_NE(c.FindText("abc"), nullptr);
  EXPECT_EQ(c.FindText("abc")->rect.left, 10 - 16);
  const auto& handle = c.Ops().back();
  EXPECT_EQ(handle.kind, RecordingCanvas::Kind::Rectangle);
  EXPECT_EQ(handle.rect, (Rect{0, 0, 9, 320}));
  EXPECT_EQ(handle.brush, platform::PaletteColor(3));
  EXPECT_FALSE(handle.pen.has_value());
}

TEST_F(RawViewTest, ScrollingKeepsTheLastColumnsReachable) {
  EditorState s = Editor("x");
  const int width = 410;  // 50 columns right of the handle
  ScrollRaw(s, ScrollAction::PageForward, 0, width);
  EXPECT_EQ(s.rawFirstColumn, 50);
  ScrollRaw(s, ScrollAction::Thumb, 2040, width);
  EXPECT_EQ(s.rawFirstColumn, 255 - 50);
  ScrollRaw(s, ScrollAction::LineBack, 0, width);
  EXPECT_EQ(s.rawFirstColumn, 204);
  const ScrollBarSettings bar = RawHorizontalBar(s, width);
  // The thumb's last position is the clamp's last column.
  EXPECT_EQ((bar.maximum - bar.page + 1) / kCellWidth, 255 - 50);
  ScrollRaw(s, ScrollAction::Thumb, 0, 3000);  // wider than all columns
  EXPECT_EQ(s.rawFirstColumn, 0);
}

TEST_F(RawViewTest, DraggingMovesTheLeftEdgeWithinLimits) {
  EditorState s = Editor("x");
  s.rawWidth = 200;
  int relayouts = 0;
  s.relayout = [&] { ++relayouts; };
  RawDragMove(s, 0, 700);  // no drag yet
  EXPECT_EQ(s.rawWidth, 200);
  RawDragBegin(s, 50);
  RawDragMove(s, 20, 700);
  EXPECT_EQ(s.rawWidth, 230);
  RawDragMove(s, -1000, 700);
  EXPECT_EQ(s.rawWidth, 600);
  RawDragMove(s, 5000, 700);
  EXPECT_EQ(s.rawWidth, 10);
  EXPECT_EQ(relayouts, 3);
  RawDragEnd(s);
  RawDragMove(s, 0, 700);
  EXPECT_EQ(s.rawWidth, 10);
}

}  // namespace
}  // namespace bl::editor
