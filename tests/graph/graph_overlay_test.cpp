#include "graph/graph_overlay.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/color_palette.h"
#include "platform/fake/recording_canvas.h"
#include "series/series_table.h"

namespace bl::graph {
namespace {

using platform::RecordingCanvas;
using Kind = RecordingCanvas::Kind;

constexpr platform::Rect kPane{0, 0, 700, 300};
constexpr PlotRect kPlot{80, 25, 680, 250};

class GraphOverlayTest : public ::testing::Test {
 protected:
  GraphOverlayTest() {
    // Series 1: ten samples 0.1 s apart, value 10·i; series 2 the same times, value −i.
    for (int k : {1, 2}) {
      series::DataSeries& s = table[k];
      s.Resize(10);
      s.rawDataPeriod = 0.1;
      for (int i = 0; i < 10; ++i) s.values[static_cast<std::size_t>(i)] = k == 1 ? 10.0 * i : -i;
    }
    GraphSettings& s = view.settings;
    s.bottom = {1.0, 0.0, 1.0, 0.0, 0.0, false};
    s.axes[kLeft] = {100.0, 0.0, 100.0, 0.0, 0.0, false};
    s.axes[kRight] = {0.0, -10.0, 0.0, -10.0, 0.0, false};
    s.slots[2].series = 2;
    s.slots[2].axis = 1;
  }

  std::vector<const RecordingCanvas::Op*> OfKind(Kind kind) const {
    std::vector<const RecordingCanvas::Op*> found;
    for (const RecordingCanvas::Op& op : canvas.Ops())
      if (op.kind == kind) found.push_back(&op);
    return found;
  }
  // The text drawn in a row of the readout box at the given column start, or "".
  std::string TextAt(const platform::Rect& row, int left) const {
    for (const RecordingCanvas::Op* op : canvas.Texts())
      if (op->rect.top == row.top && op->rect.left == left) return op->text;
    return "";
  }

  series::SeriesTable table;
  GraphView view;
  RecordingCanvas canvas{{kPane.right, kPane.bottom}};
};

TEST_F(GraphOverlayTest, ReadoutRowsShowEachSlotsPointOrDashes) {
  view.cursorMode = kCursorRight;
  view.cursorPosition = 0.25;  // point 2 of the 0.1 s series
  DrawGraphOverlay(canvas, view, table, kPane, 0, kPlot);

  const std::vector<const RecordingCanvas::Op*> boxes = OfKind(Kind::RoundRect);
  ASSERT_EQ(boxes.size(), 1u);
  const platform::Rect box = boxes[0]->rect;
  EXPECT_EQ(box, (platform::Rect{kPane.right - 305, kPane.bottom - 115, kPane.right - 10,
                                 kPane.bottom - 10}));
  const int x = box.left + 76;
  const int y = box.left + 186;
  EXPECT_EQ(TextAt(ReadoutRowRect(box, 0), box.left + 6), "Series");
  EXPECT_EQ(TextAt(ReadoutRowRect(box, 0), x), "Time(s)");
  EXPECT_EQ(TextAt(ReadoutRowRect(box, 0), y), "Value");
  const char* labels[] = {"#1:", "#2:", "#3:", "#4:"};
  const char* xs[] = {"0.2000", "---", "0.2000", "---"};
  const char* ys[] = {"20", "---", "-2", "---"};
  for (int row = 1; row <= 4; ++row) {
    const platform::Rect r = ReadoutRowRect(box, row);
    EXPECT_EQ(TextAt(r, box.left + 6), labels[row - 1]);
    EXPECT_EQ(TextAt(r, x), xs[row - 1]) << row;
    EXPECT_EQ(TextAt(r, y), ys[row - 1]) << row;
  }
  // Every row carries a short line in its slot's colour.
  std::vector<platform::Rgb> swatches;
  for (const RecordingCanvas::Op* op : OfKind(Kind::Line)) swatches.push_back(*op->pen);
  EXPECT_EQ(swatches, (std::vector<platform::Rgb>{platform::SlotColor(1), platform::SlotColor(3),
                                                  platform::SlotColor(5), platform::SlotColor(9)}));
}

TEST_F(GraphOverlayTest, CirclesOnlyTheSlotsWithAPointEachOnItsOwnAxis) {
  view.cursorMode = kCursorLeft;
  view.cursorPosition = 0.55;  // point 5
  DrawGraphOverlay(canvas, view, table, kPane, 0, kPlot);

  const std::vector<const RecordingCanvas::Op*> circles = OfKind(Kind::Ellipse);
  ASSERT_EQ(circles.size(), 2u);
  // x 0.5 of 0..1 over 80..680; slot 1's 50 on the left 0..100, slot 3's −5 on the right −10..0.
  const int r = kCursorMarkRadius;
  const platform::Rect expected[] = {{380 - r, 138 - r, 381 + r, 139 + r},
                                     {380 - r, 138 - r, 381 + r, 139 + r}};
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(circles[i]->rect, expected[i]);
    EXPECT_EQ(circles[i]->penWidth, 3);
    EXPECT_FALSE(circles[i]->brush);
    EXPECT_TRUE(circles[i]->clip);  // a point near the edge is cut at the plot
  }
  EXPECT_EQ(*circles[0]->pen, platform::SlotColor(1));
  EXPECT_EQ(*circles[1]->pen, platform::SlotColor(5));
  EXPECT_EQ(OfKind(Kind::RoundRect)[0]->rect.left, kPane.left + 10);

  // Beyond the last sample no slot has a point: no circles, dashes in the rows.
  canvas.Clear();
  view.cursorPosition = 5.0;
  DrawGraphOverlay(canvas, view, table, kPane, 0, kPlot);
  EXPECT_TRUE(OfKind(Kind::Ellipse).empty());
  EXPECT_NE(canvas.FindText("---"), nullptr);
}

TEST_F(GraphOverlayTest, DragRectangleOnlyWhileDraggingAndNothingElseWithTheCursorOff) {
  DrawGraphOverlay(canvas, view, table, kPane, 0, kPlot);
  EXPECT_TRUE(canvas.Ops().empty());

  // Dragged up and to the left: the rectangle still runs from the smaller corner.
  view.drag[1] = {true, {300, 200}, {120, 60}};
  DrawGraphOverlay(canvas, view, table, kPane, 0, kPlot);
  EXPECT_TRUE(canvas.Ops().empty());  // pane 0 is not dragging
  DrawGraphOverlay(canvas, view, table, kPane, 1, kPlot);
  ASSERT_EQ(canvas.Ops().size(), 1u);
  const RecordingCanvas::Op& rect = canvas.Ops()[0];
  EXPECT_EQ(rect.kind, Kind::Rectangle);
  EXPECT_EQ(rect.rect, (platform::Rect{120, 60, 301, 201}));
  EXPECT_FALSE(rect.brush);
}

}  // namespace
}  // namespace bl::graph
