#include <gtest/gtest.h>

#include "platform/color_palette.h"
#include "platform/fake/recording_canvas.h"
#include "terminal_lines/terminal_lines.h"
#include "terminal/terminal_paint.h"

namespace bl {
namespace {

using platform::RecordingCanvas;
using platform::Rect;

TEST(TerminalPaintTest, DrawsNewestLineAtTheBottomInItsColour) {
  Terminal t;
  t.TerminalAddLine("older", 13);
  t.TerminalAddLine("newest", 5);
  RecordingCanvas c({640, 320});
  PaintTerminal(c, t);

  const auto* newest = c.FindText("newest");
  ASSERT_NE(newest, nullptr);
  EXPECT_EQ(newest->rect, (Rect{10, 304, 630, 320}));
  EXPECT_EQ(newest->color, platform::PaletteColor(5));
  EXPECT_EQ(newest->textBackground, platform::kWhite);
  const auto* older = c.FindText("older");
  ASSERT_NE(older, nullptr);
  EXPECT_EQ(older->rect, (Rect{10, 288, 630, 304}));
  EXPECT_EQ(older->color, platform::PaletteColor(13));
}

TEST(TerminalPaintTest, ScrolledFullyUpShowsTheOldestLineAtTheBottom) {
  Terminal t;
  for (int i = 1; i <= 101; ++i) t.TerminalAddLine("line " + std::to_string(i), 0);
  t.SetVerticalPosition(0);
  RecordingCanvas c({640, 160});  // 10 rows
  PaintTerminal(c, t);
  const auto texts = c.Texts();
  // Only the bottom row holds a line; the nine rows above are past the oldest line.
  ASSERT_EQ(texts.size(), 3u);  // the line and the two status texts
  EXPECT_EQ(texts[0]->text, "line 2");
  EXPECT_EQ(texts[0]->rect.top, 144);
}

TEST(TerminalPaintTest, HorizontalScrollShiftsTextByWholeColumns) {
  Terminal t;
  t.TerminalAddLine("abcdef", 0);
  t.SetHorizontalPosition(3, 80);
  RecordingCanvas c({640, 160});
  PaintTerminal(c, t);
  EXPECT_EQ(c.FindText("abcdef")->rect.left, 10 - 24);
}

TEST(TerminalPaintTest, StatusBoxAndScrollBars) {
  Terminal t;
  t.addressedMotor = 3;
  t.coordinateSystem = 2;
  RecordingCanvas c({100, 200});  // narrower than the box: it still starts at W - 110
  const TerminalScrollBars bars = PaintTerminal(c, t);

  const RecordingCanvas::Op* box = nullptr;
  for (const auto& op : c.Ops())
    if (op.kind == RecordingCanvas::Kind::Rectangle) box = &op;
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->rect, (Rect{-10, 0, 101, 50}));
  EXPECT_FALSE(box->pen.has_value());
  EXPECT_EQ(box->brush, platform::PaletteColor(13));
  const auto* motor = c.FindText(" Motor: 3");
  ASSERT_NE(motor, nullptr);
  EXPECT_EQ(motor->rect, (Rect{-9, 1, 99, 24}));
  EXPECT_EQ(motor->color, platform::kWhite);
  EXPECT_EQ(c.FindText(" CS:    2")->rect, (Rect{-9, 26, 99, 49}));

  EXPECT_EQ(bars.vertical.maximum, 12 + 98);
  EXPECT_EQ(bars.vertical.page, 12);
  EXPECT_EQ(bars.vertical.position, 99);
  EXPECT_TRUE(bars.vertical.Enabled());
  EXPECT_EQ(bars.horizontal.maximum, 255);
  EXPECT_EQ(bars.horizontal.page, 12);

  RecordingCanvas wide({2100, 200});
  EXPECT_FALSE(PaintTerminal(wide, t).horizontal.Enabled());
}

}  // namespace
}  // namespace bl
