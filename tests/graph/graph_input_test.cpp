#include "graph/graph_input.h"

#include <gtest/gtest.h>

#include "series/series_table.h"

namespace bl::graph {
namespace {

using platform::ScrollAction;

void ExpectWindow(const AxisRange& a, double minimum, double maximum) {
  EXPECT_NEAR(a.visibleMinimum, minimum, 1e-9);
  EXPECT_NEAR(a.visibleMaximum, maximum, 1e-9);
}

// Every axis 0..10 in full, the plot 100 x 100 pixels from (0, 0).
class GraphInputTest : public ::testing::Test {
 protected:
  GraphInputTest() {
    view.settings.bottom = {10, 0, 10, 0, 0, false};
    for (AxisRange& a : view.settings.axes) a = {10, 0, 10, 0, 0, false};
    view.settings.axes[kRight] = {20, 0, 20, 0, 0, false};
  }
  GraphView view;
  const PlotRect plot{0, 0, 100, 100};
};

TEST_F(GraphInputTest, ClickZoomsInAroundItsPointAndRightClickRestores) {
  LeftButtonDown(view, 0, {50, 50});
  EXPECT_TRUE(view.drag[0].dragging);
  // Less than 4 pixels of movement is still a click.
  EXPECT_TRUE(LeftButtonUp(view, 0, {52, 47}, plot));
  EXPECT_FALSE(view.drag[0].dragging);
  ExpectWindow(view.settings.bottom, 0.52, 9.52);
  ExpectWindow(view.settings.axes[kLeft], 0.53, 9.53);
  ExpectWindow(view.settings.axes[kRight], 1.06, 19.06);  // follows the left axis
  ExpectWindow(view.settings.axes[kLeft2], 0, 10);

  EXPECT_TRUE(RightButtonDown(view));
  ExpectWindow(view.settings.bottom, 0, 10);
  ExpectWindow(view.settings.axes[kLeft], 0, 10);
}

TEST_F(GraphInputTest, DragZoomsIntoTheRectangleWhicheverWayItWasDrawn) {
  LeftButtonDown(view, 1, {60, 30});
  EXPECT_TRUE(MouseMove(view, 1, {40, 50}, plot));
  EXPECT_EQ(view.drag[1].current, (platform::Point{40, 50}));
  EXPECT_TRUE(LeftButtonUp(view, 1, {20, 80}, plot));
  ExpectWindow(view.settings.bottom, 2, 6);
  ExpectWindow(view.settings.axes[kLeft2], 2, 7);
  ExpectWindow(view.settings.axes[kLeft], 0, 10);
  EXPECT_EQ(view.bars.vertical[1].position, 3000);
}

TEST_F(GraphInputTest, ScrollingKeepsTheWidthAndStaysInside) {
  view.settings.bottom.visibleMinimum = 2;
  view.settings.bottom.visibleMaximum = 4;
  HorizontalScroll(view, ScrollAction::LineForward, 0);
  ExpectWindow(view.settings.bottom, 2.04, 4.04);
  KeyDown(view, 0, GraphKey::Left);
  ExpectWindow(view.settings.bottom, 2, 4);
  for (int i = 0; i < 20; ++i) HorizontalScroll(view, ScrollAction::PageBack, 0);
  ExpectWindow(view.settings.bottom, 0, 2);
  HorizontalScroll(view, ScrollAction::Thumb, 10000);
  ExpectWindow(view.settings.bottom, 8, 10);
  EXPECT_EQ(view.bars.horizontal.position, 8000);

  // Vertically up is toward larger values and the thumb counts from the top.
  AxisRange& left2 = view.settings.axes[kLeft2];
  left2.visibleMinimum = 2;
  left2.visibleMaximum = 4;
  KeyDown(view, 1, GraphKey::Up);
  ExpectWindow(left2, 2.04, 4.04);
  VerticalScroll(view, 1, ScrollAction::PageForward, 0);
  ExpectWindow(left2, 1.64, 3.64);
  VerticalScroll(view, 1, ScrollAction::Thumb, 0);
  ExpectWindow(left2, 8, 10);
  VerticalScroll(view, 1, ScrollAction::End, 0);
  ExpectWindow(left2, 0, 2);
  EXPECT_EQ(view.bars.vertical[1].position, 8000);
}

class CursorTest : public ::testing::Test {
 protected:
  CursorTest() {
    series::DataSeries& s = table[2];
    s.Resize(8);
    s.rawDataPeriod = 0.5;
    for (int i = 0; i < 8; ++i) s.values[static_cast<std::size_t>(i)] = i * 1.5;
    view.settings.slots[0].series = 2;
    view.settings.slots[1] = {2, 0, 0, 0, 0, 7, 0};  // neither marker nor line
  }
  series::SeriesTable table;
  GraphView view;
};

TEST_F(CursorTest, MouseMovesTheCursorOnlyWhenItIsOn) {
  view.settings.bottom = {10, 0, 10, 0, 0, false};
  const PlotRect graph1{0, 0, 100, 50};
  EXPECT_FALSE(MouseMove(view, 1, {30, 10}, graph1));
  EXPECT_EQ(view.cursorPosition, 0);
  view.cursorMode = kCursorRight;
  EXPECT_TRUE(MouseMove(view, 1, {30, 10}, graph1));
  EXPECT_DOUBLE_EQ(view.cursorPosition, 3);
}

TEST_F(CursorTest, PointIndexPerGraphTypeAndPane) {
  const GraphSettings& s = view.settings;
  EXPECT_EQ(CursorPointIndex(s, table, 0, 0, 1.2), 2);   // time: 1.2 s / 0.5 s
  EXPECT_EQ(CursorPointIndex(s, table, 0, 0, 4.0), -1);  // past the last sample
  EXPECT_EQ(CursorPointIndex(s, table, 1, 0, 1.2), -1);  // slot not drawn
  EXPECT_EQ(CursorPointIndex(s, table, 0, 0, 1e300), -1);
  table.graphType = 1;
  EXPECT_EQ(CursorPointIndex(s, table, 0, 0, 7.9), 7);
  table.graphType = 2;  // 0.25 Hz per point
  EXPECT_EQ(CursorPointIndex(s, table, 0, 0, 0.5), 2);
  EXPECT_EQ(CursorPointIndex(s, table, 0, 1, 0.5), 6);
  EXPECT_EQ(CursorPointIndex(s, table, 0, 0, 1.0), -1);  // beyond the magnitude half
  table.graphType = 3;
  view.settings.slots[0].secondSeries = 2;
  EXPECT_EQ(CursorPointIndex(s, table, 0, 0, 4.6), 3);  // x values 0, 1.5, 3, 4.5, ...
}

TEST_F(CursorTest, ReadoutRowsShowThePointOrDashes) {
  view.cursorPosition = 1.2;
  Readout r = CursorReadout(view, table, 0);
  EXPECT_EQ(r.headers, (std::array<std::string, 3>{"Series", "Time(s)", "Value"}));
  EXPECT_EQ(r.rows[0].label, "#1:");
  EXPECT_EQ(r.rows[0].x, "1.0000");
  EXPECT_EQ(r.rows[0].y, "3");
  EXPECT_EQ(r.rows[1].x, "---");

  view.cursorPosition = 9;  // beyond the last sample
  EXPECT_EQ(CursorReadout(view, table, 0).rows[0].x, "---");

  table.graphType = 1;
  view.cursorPosition = 5;
  r = CursorReadout(view, table, 0);
  EXPECT_EQ(r.headers[1], "Data Point");
  EXPECT_EQ(r.rows[0].x, "5");
  EXPECT_EQ(r.rows[0].y, "7.500");

  table.graphType = 2;
  view.cursorPosition = 0.25;
  r = CursorReadout(view, table, 1);
  EXPECT_EQ(r.headers[1], "Freq(Hz)");
  EXPECT_EQ(r.headers[2], "Phase(deg)");
  EXPECT_EQ(r.rows[0].x, "0.2500");
  EXPECT_EQ(r.rows[0].y, "7.500");
}

TEST(ReadoutBox, SitsAtTheChosenSideAboveTheBottom) {
  const platform::Rect pane{0, 50, 800, 450};
  const platform::Rect left = ReadoutBox(pane, kCursorLeft);
  EXPECT_EQ(left, (platform::Rect{10, 335, 305, 440}));
  EXPECT_EQ(ReadoutBox(pane, kCursorRight), (platform::Rect{495, 335, 790, 440}));
  EXPECT_EQ(ReadoutRowRect(left, 4).bottom, left.bottom);
}

TEST_F(CursorTest, PanelListsAndChoices) {
  table.seriesCount = 24;
  GraphPanel panel = RefreshGraphPanel(view, table);
  ASSERT_EQ(panel.seriesItems.size(), 25u);
  EXPECT_EQ(panel.seriesItems[1], "#1: Sine Wave");
  EXPECT_EQ(panel.rows[0].series, 2);
  EXPECT_EQ(panel.rows[0].operations, (std::vector<std::string>{"+", "-", "*", "/"}));

  // A choice is stored, every series processed again and the limits found.
  view.settings.bottom = {1, 0, 1, 0, 0, false};
  EXPECT_TRUE(ChooseInSlot(view, table, 0, SlotField::Series, 1));
  EXPECT_EQ(view.settings.slots[0].series, 1);
  EXPECT_DOUBLE_EQ(view.settings.bottom.maximum, 4095 * 0.00442);
  EXPECT_FALSE(ChooseInSlot(view, table, 0, SlotField::Series, 25));
  EXPECT_TRUE(ToggleSlotAxis(view, table, 0));
  EXPECT_EQ(RefreshGraphPanel(view, table).rows[0].axisText, "Right Axis");

  table.graphType = 3;
  panel = RefreshGraphPanel(view, table);
  EXPECT_EQ(panel.rows[2].operations, (std::vector<std::string>{"VS"}));
  EXPECT_FALSE(ChooseInSlot(view, table, 2, SlotField::Operation, 1));
  EXPECT_EQ(view.settings.slots[2].operation, 0);
}

}  // namespace
}  // namespace bl::graph
