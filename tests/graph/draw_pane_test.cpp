#include "graph/draw_pane.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/color_palette.h"
#include "platform/fake/recording_canvas.h"
#include "series/series_table.h"

namespace bl::graph {
namespace {

using platform::RecordingCanvas;

constexpr platform::Rect kPane{0, 0, 700, 300};

class DrawPaneTest : public ::testing::Test {
 protected:
  // Series k holds n samples: value a for the first half, b for the second.
  void SetSeries(int k, int n, double a, double b) {
    series::DataSeries& s = table[k];
    s.Resize(n);
    s.rawDataPeriod = 0.01;
    for (int i = 0; i < n; ++i) s.values[static_cast<std::size_t>(i)] = i < n / 2 ? a : b;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const RecordingCanvas::Op* op : canvas.Texts()) texts.push_back(op->text);
    return texts;
  }
  // The lines drawn while the plot's clip is set: the series.
  std::vector<const RecordingCanvas::Op*> SeriesLines() const {
    std::vector<const RecordingCanvas::Op*> lines;
    for (const RecordingCanvas::Op& op : canvas.Ops())
      if (op.kind == RecordingCanvas::Kind::Line && op.clip) lines.push_back(&op);
    return lines;
  }

  series::SeriesTable table;
  GraphSettings settings;
  RecordingCanvas canvas{{kPane.right, kPane.bottom}};
};

TEST_F(DrawPaneTest, PlotRectangleMakesRoomForTheLabelsOfTheSidesInUse) {
  // Left 0..1000 ticks every 200 without decimals: 3 characters of 10 pixels and two margins.
  PaneLayout l = LayOutPane(settings, table, kPane, 0, PaneStyle{});
  EXPECT_TRUE(l.axes);
  EXPECT_TRUE(l.leftUsed);
  EXPECT_FALSE(l.rightUsed);
  EXPECT_EQ(l.plot.left, 80);
  EXPECT_EQ(l.plot.top, 25);
  EXPECT_EQ(l.plot.right, 700);
  EXPECT_EQ(l.plot.bottom, 250);

  settings.slots[1] = {1, 0, 0, 1, 0, 3, 1};  // on the right axis
  settings.axes[kRight2] = {1.0, -2.5, 1.0, -2.5, 0.0, false};
  l = LayOutPane(settings, table, kPane, 1, PaneStyle{});
  EXPECT_TRUE(l.rightUsed);
  EXPECT_EQ(l.rightAxis, kRight2);
  // -2.5..1 ticks every 0.5: one decimal and no integer digits beyond the first.
  EXPECT_EQ(l.right.labelChars, 1);
  EXPECT_EQ(l.plot.right, 700 - 50 - 10);

  // A window of 1e-9 ticks every 1e-10: the exponent labels take 14 characters.
  settings.axes[kLeft2].visibleMaximum = 1e-9;
  settings.axes[kLeft2].visibleMinimum = 0.0;
  l = LayOutPane(settings, table, kPane, 1, PaneStyle{});
  EXPECT_TRUE(l.left.ticks.exponent);
  EXPECT_EQ(l.plot.left, 14 * 10 + 50);

  // A pane too small for that is all plot, with no axes, titles or labels.
  const PlotRect all = DrawPane(canvas, settings, table, {0, 0, 60, 70}, 0, PaneStyle{});
  EXPECT_EQ(all.left, 0);
  EXPECT_EQ(all.bottom, 70);
  EXPECT_TRUE(canvas.Texts().empty());
  EXPECT_FALSE(SeriesLines().empty());
}

TEST_F(DrawPaneTest, DrawsTitlesLabelsAndTicksOfEachAxis) {
  settings.slots[1] = {2, 0, 0, 1, 0, 3, 1};
  SetSeries(2, 100, 0, 0);
  settings.bottom.gridLines = true;
  const PlotRect p = DrawPane(canvas, settings, table, kPane, 1, PaneStyle{});
  const std::vector<std::string> texts = Texts();
  for (const char* t : {"Top Title", "Bottom Title", "Left Title 2", "Right Title 2", "0.0", "0.2",
                        "1.0", "0", "1000"})
    EXPECT_NE(std::find(texts.begin(), texts.end(), t), texts.end()) << t;
  EXPECT_EQ(std::find(texts.begin(), texts.end(), "Left Title"), texts.end());

  // Left labels end 10 pixels left of the plot; the right ones start 10 pixels right of it.
  const RecordingCanvas::Op* top = canvas.FindText("1000");
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->rect.right, p.left - 10);
  EXPECT_TRUE(top->flags & platform::text::kRight);
  // Grid lines on the bottom axis run from the plot's top; the vertical axes keep short ticks.
  bool fullBottomLine = false;
  bool shortLeftTick = false;
  for (const RecordingCanvas::Op& op : canvas.Ops()) {
    if (op.kind != RecordingCanvas::Kind::Line || op.clip) continue;
    EXPECT_EQ(op.pen, platform::PaletteColor(2));
    const auto& a = op.points[0];
    const auto& b = op.points[1];
    if (a.y == p.top && b.y == p.bottom + 5) fullBottomLine = true;
    if (a.x == p.left && b.x == p.left - 5 && a.y == b.y) shortLeftTick = true;
  }
  EXPECT_TRUE(fullBottomLine);
  EXPECT_TRUE(shortLeftTick);
}

TEST_F(DrawPaneTest, AMistypedFineSpacingFallsBackToTheAutomaticTicks) {
  settings.bottom.gridSpacing = 1e-12;  // 10^12 ticks across the window
  DrawPane(canvas, settings, table, kPane, 0, PaneStyle{});
  const std::vector<std::string> texts = Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "0.4"), texts.end());
  EXPECT_LT(texts.size(), 40u);
}

TEST_F(DrawPaneTest, AVerticalWindowOfAtMostTenToTheMinusTenSkipsItsSlots) {
  settings.axes[kLeft].visibleMaximum = settings.axes[kLeft].visibleMinimum + 1e-11;
  DrawPane(canvas, settings, table, kPane, 0, PaneStyle{});
  EXPECT_TRUE(SeriesLines().empty());
}

TEST_F(DrawPaneTest, SlotsAreDrawnFromThreeDownToZeroEachInItsColour) {
  for (int k = 0; k < 4; ++k) {
    SetSeries(k + 1, 50, 100.0 * (k + 1), 100.0 * (k + 1));
    settings.slots[static_cast<std::size_t>(k)] = {k + 1, 0, 0, 0, 0, 2 * k + 1, 1};
  }
  settings.slots[2].color = 11;  // Violet2, its own colour
  DrawPane(canvas, settings, table, kPane, 0, PaneStyle{});
  std::vector<platform::Rgb> order;
  for (const RecordingCanvas::Op* op : SeriesLines())
    if (order.empty() || !(order.back() == *op->pen)) order.push_back(*op->pen);
  const std::vector<platform::Rgb> expected = {platform::SlotColor(7), platform::SlotColor(11),
                                               platform::SlotColor(3), platform::SlotColor(1)};
  EXPECT_EQ(order, expected);
}

TEST_F(DrawPaneTest, FrequencyGraphDrawsMagnitudeAboveAndPhaseBelow) {
  table.graphType = series::kFrequencyGraph;
  SetSeries(1, 64, 200.0, 800.0);  // magnitude 200, phase 800 on the 0..1000 axes
  settings.bottom = {50.0, 0.0, 50.0, 0.0, 0.0, false};
  for (int pane = 0; pane < 2; ++pane) {
    canvas.Clear();
    const PlotRect p = DrawPane(canvas, settings, table, kPane, pane, PaneStyle{});
    const double value = pane == 0 ? 200.0 : 800.0;
    const int y = static_cast<int>(MapY(p, value, 0.0, 1000.0) + 0.5);
    const std::vector<const RecordingCanvas::Op*> lines = SeriesLines();
    ASSERT_FALSE(lines.empty());
    for (const RecordingCanvas::Op* op : lines) {
      EXPECT_EQ(op->points[0].y, y) << pane;
      EXPECT_EQ(op->points[1].y, y) << pane;
    }
  }
}

}  // namespace
}  // namespace bl::graph
