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

// Slot 1 plots series 1 (value 10·i) on the left axis 0..100, slot 3 series 2 (value −i) on the
// right axis −10..0; ten samples 0.1 s apart, bottom axis 0..1.
class GraphOverlayTest : public ::testing::Test {
 protected:
  GraphOverlayTest() {
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
  // The texts of one row of the readout box, left to right.
  std::vector<std::string> Row(const platform::Rect& box, int row) const {
    std::vector<std::string> texts;
    for (const RecordingCanvas::Op* op : canvas.Texts())
      if (op->rect.top == ReadoutRowRect(box, row).top && op->rect.left >= box.left &&
          op->rect.right <= box.right)
        texts.push_back(op->text);
    return texts;
  }

  series::SeriesTable table;
  GraphView view;
  RecordingCanvas canvas{{kPane.right, kPane.bottom}};
};

TEST_F(GraphOverlayTest, ReadoutBoxRowsAndCirclesOnlyForSlotsWithAPoint) {
  view.cursorMode = kCursorRight;
  view.cursorPosition = 0.55;  // point 5
  DrawGraphOverlay(canvas, view, table, kPane, 0, kPlot);

  ASSERT_EQ(OfKind(Kind::RoundRect).size(), 1u);
  const platform::Rect box = OfKind(Kind::RoundRect)[0]->rect;
  EXPECT_EQ(box, (platform::Rect{395, 185, 690, 290}));
  using Texts = std::vector<std::string>;
  EXPECT_EQ(Row(box, 0), (Texts{"Series", "Time(s)", "Value"}));
  EXPECT_EQ(Row(box, 1), (Texts{"#1:", "0.5000", "50"}));
  EXPECT_EQ(Row(box, 2), (Texts{"#2:", "---", "---"}));
  EXPECT_EQ(Row(box, 3), (Texts{"#3:", "0.5000", "-5"}));
  // Every row has its short line in its slot's colour.
  std::vector<platform::Rgb> swatches;
  for (const RecordingCanvas::Op* op : OfKind(Kind::Line)) swatches.push_back(*op->pen);
  EXPECT_EQ(swatches, (std::vector<platform::Rgb>{platform::SlotColor(1), platform::SlotColor(3),
                                                  platform::SlotColor(5), platform::SlotColor(9)}));

  // Both points sit mid-plot, each on its own axis: 50 of 0..100 and −5 of −10..0.
  const std::vector<const RecordingCanvas::Op*> circles = OfKind(Kind::Ellipse);
  ASSERT_EQ(circles.size(), 2u);
  const int r = kCursorMarkRadius;
  for (const RecordingCanvas::Op* c : circles) {
    EXPECT_EQ(c->rect, (platform::Rect{380 - r, 138 - r, 381 + r, 139 + r}));
    EXPECT_EQ(c->penWidth, 3);
    EXPECT_FALSE(c->brush);
    EXPECT_TRUE(c->clip);
  }
  EXPECT_EQ(*circles[1]->pen, platform::SlotColor(5));

  // Beyond the last sample no slot has a point; the box moves left in the left mode.
  canvas.Clear();
  view.cursorMode = kCursorLeft;
  view.cursorPosition = 5.0;
  DrawGraphOverlay(canvas, view, table, kPane, 0, kPlot);
  EXPECT_TRUE(OfKind(Kind::Ellipse).empty());
  EXPECT_EQ(OfKind(Kind::RoundRect)[0]->rect.left, 10);
  EXPECT_EQ(Row(OfKind(Kind::RoundRect)[0]->rect, 1), (Texts{"#1:", "---", "---"}));
}

TEST_F(GraphOverlayTest, DragRectangleOnlyInTheDraggingPaneAndNoReadoutWithTheCursorOff) {
  view.drag[1] = {true, {300, 200}, {120, 60}};  // dragged up and to the left
  DrawGraphOverlay(canvas, view, table, kPane, 0, kPlot);
  EXPECT_TRUE(canvas.Ops().empty());
  DrawGraphOverlay(canvas, view, table, kPane, 1, kPlot);
  ASSERT_EQ(canvas.Ops().size(), 1u);
  EXPECT_EQ(canvas.Ops()[0].kind, Kind::Rectangle);
  EXPECT_EQ(canvas.Ops()[0].rect, (platform::Rect{120, 60, 301, 201}));
  EXPECT_FALSE(canvas.Ops()[0].brush);
}

}  // namespace
}  // namespace bl::graph
