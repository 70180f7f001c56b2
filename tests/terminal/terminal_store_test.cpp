#include <gtest/gtest.h>

#include "terminal_lines/control_key_names.h"
#include "terminal_lines/terminal_lines.h"
#include "terminal/terminal_paint.h"

namespace bl {
namespace {

TEST(TerminalStoreTest, KeepsTheNewestHundredLines) {
  Terminal t;
  for (int i = 1; i <= 101; ++i) t.TerminalAddLine("line " + std::to_string(i), i % 15);
  EXPECT_EQ(t.Line(0).text, "line 101");
  EXPECT_EQ(t.Line(0).color, 101 % 15);
  EXPECT_EQ(t.Line(99).text, "line 2");  // the first line was pushed out
  EXPECT_EQ(t.Line(99).color, 2);
}

TEST(TerminalStoreTest, CutsLongLinesAndJumpsBackToTheNewest) {
  Terminal t;
  int repaints = 0;
  t.repaint = [&] { ++repaints; };
  ScrollTerminalVertical(t, ScrollAction::PageBack, 0, 160);
  ScrollTerminalHorizontal(t, ScrollAction::LineForward, 0, 640);
  EXPECT_EQ(t.VerticalPosition(), 89);
  EXPECT_EQ(t.HorizontalPosition(), 1);

  t.TerminalAddLine(std::string(300, 'z'), 0);
  EXPECT_EQ(t.Line(0).text.size(), 255u);
  EXPECT_EQ(t.VerticalPosition(), 99);
  EXPECT_EQ(t.HorizontalPosition(), 0);
  EXPECT_EQ(repaints, 3);
}

TEST(TerminalStoreTest, ScrollPositionsStayInRange) {
  Terminal t;
  const int h = 320, w = 640;                            // 20 rows, 80 columns
  ScrollTerminalVertical(t, ScrollAction::Start, 0, h);  // the top changes nothing
  EXPECT_EQ(t.VerticalPosition(), 99);
  ScrollTerminalVertical(t, ScrollAction::LineForward, 0, h);
  EXPECT_EQ(t.VerticalPosition(), 99);
  for (int i = 0; i < 10; ++i) ScrollTerminalVertical(t, ScrollAction::PageBack, 0, h);
  EXPECT_EQ(t.VerticalPosition(), 0);
  ScrollTerminalVertical(t, ScrollAction::Thumb, 42, h);
  EXPECT_EQ(t.VerticalPosition(), 42);
  ScrollTerminalVertical(t, ScrollAction::End, 0, h);
  EXPECT_EQ(t.VerticalPosition(), 99);

  ScrollTerminalHorizontal(t, ScrollAction::LineBack, 0, w);
  EXPECT_EQ(t.HorizontalPosition(), 0);
  ScrollTerminalHorizontal(t, ScrollAction::Thumb, 250, w);
  EXPECT_EQ(t.HorizontalPosition(), 255 - 80);
  ScrollTerminalHorizontal(t, ScrollAction::Start, 0, w);
  EXPECT_EQ(t.HorizontalPosition(), 0);
  // A view wider than a whole line never scrolls to a negative column.
  ScrollTerminalHorizontal(t, ScrollAction::PageForward, 0, 2400);
  EXPECT_EQ(t.HorizontalPosition(), 0);
}

TEST(ControlKeyNamesTest, NamesEveryControlCharacter) {
  EXPECT_EQ(ControlKeyName(1), "Control-A (Abort all programs and moves.)");
  EXPECT_EQ(ControlKeyName(3), "Control-C (Report all coordinate system status words.)");
  EXPECT_EQ(ControlKeyName(10), "Control-J");
  EXPECT_EQ(ControlKeyName(18),
            "Control-R (Begin execution of motion programs in all coordinate systems.");
  EXPECT_EQ(ControlKeyName(26), "Control-Z (Set PMAC in serial port communications mode.)");
  for (int code = 1; code <= 26; ++code) {
    EXPECT_EQ(ControlKeyName(code).substr(0, 9), "Control-" + std::string(1, char('A' + code - 1)));
    EXPECT_LT(ControlKeyName(code).size(), 100u);
  }
  EXPECT_TRUE(ControlKeyName(0).empty());
  EXPECT_TRUE(ControlKeyName(27).empty());
}

}  // namespace
}  // namespace bl
