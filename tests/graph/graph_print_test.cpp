#include "graph/graph_print.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/color_palette.h"
#include "platform/fake/fake_desktop.h"
#include "series/series_table.h"

namespace bl::graph {
namespace {

using platform::RecordingCanvas;
using platform::Rect;

TEST(GraphPictureTest, PrintedPanesAndLegendRowsSitAtTheirShareOfThePage) {
  GraphPicture p = LayOutPrintedGraph(2000, 3000, 0);
  ASSERT_EQ(p.paneCount, 1);
  EXPECT_EQ(p.panes[0], (Rect{100, 150, 1900, 2400}));
  EXPECT_EQ(p.style.plotBackground, 4);
  EXPECT_EQ(p.style.margin, 60);
  EXPECT_EQ(p.style.size, 30);
  EXPECT_EQ(p.style.text.heightPx, 60);
  EXPECT_EQ(p.style.vertical.id, platform::FontId::ArialRotated);
  EXPECT_EQ(p.style.vertical.heightPx, 60);
  EXPECT_EQ(p.legendFontHeight, 48);
  EXPECT_EQ(p.legendFrame, (Rect{100, 2550, 1900, 2850}));
  EXPECT_EQ(p.legendRows[0], (Rect{100, 2550, 1900, 2625}));
  EXPECT_EQ(p.legendRows[3], (Rect{100, 2775, 1900, 2850}));

  p = LayOutPrintedGraph(2000, 3000, 2);
  ASSERT_EQ(p.paneCount, 2);
  EXPECT_EQ(p.panes[0], (Rect{100, 150, 1900, 1200}));
  EXPECT_EQ(p.panes[1], (Rect{100, 1350, 1900, 2400}));

  // The screen's picture: the panes fill the image, halves for the frequency graph.
  p = LayOutScreenGraph({800, 601}, 2);
  EXPECT_EQ(p.panes[0], (Rect{0, 0, 800, 300}));
  EXPECT_EQ(p.panes[1], (Rect{0, 300, 800, 601}));
  EXPECT_FALSE(p.legend);
  EXPECT_EQ(p.style.margin, PaneStyle{}.margin);
  EXPECT_EQ(LayOutScreenGraph({800, 600}, 3).paneCount, 1);
}

TEST(GraphPictureTest, LegendNamesTheDrawnSlotsAndTheirOperation) {
  series::SeriesTable table;
  GraphSettings settings;
  table[1].SetTitle("Position");
  table[2].Resize(table[1].sampleCount);
  table[2].rawDataPeriod = table[1].rawDataPeriod;
  table[2].SetTitle("Velocity");
  settings.slots[1] = {1, 2, 3, 0, 2, 5, 0};  // divided, circles, no line
  settings.slots[2] = {2, 0, 0, 0, 0, 3, 0};  // neither marker nor line: not drawn
  settings.slots[3] = {0, 2, 0, 0, 1, 3, 1};  // only a second series: not drawn
  EXPECT_EQ(LegendText(settings, table, 0), "#1: Position");
  EXPECT_EQ(LegendText(settings, table, 1), "#2: Position / Velocity");
  EXPECT_EQ(LegendText(settings, table, 2), "#3: No Series Selected");
  EXPECT_EQ(LegendText(settings, table, 3), "#4: No Series Selected");

  const GraphPicture p = LayOutPrintedGraph(2000, 3000, 0);
  RecordingCanvas canvas({2000, 3000});
  DrawGraphPicture(canvas, settings, table, p);
  const RecordingCanvas::Op* row2 = canvas.FindText("#2: Position / Velocity");
  ASSERT_NE(row2, nullptr);
  EXPECT_EQ(row2->fontHeight, 48);
  EXPECT_EQ(row2->font, platform::FontId::Fixed);
  EXPECT_EQ(row2->rect.top, p.legendRows[1].top);
  EXPECT_LE(row2->rect.right, LegendSample(p.legendRows[1]).left);
  // Slot 1's sample: a line in its pen; slot 2's: a circle and no line.
  const Rect s1 = LegendSample(p.legendRows[0]);
  const Rect s2 = LegendSample(p.legendRows[1]);
  int slot1Lines = 0, slot2Lines = 0, slot2Circles = 0;
  for (const RecordingCanvas::Op& op : canvas.Ops()) {
    if (op.clip) continue;
    const bool inRow1 = op.kind == RecordingCanvas::Kind::Line && op.points[0].y > s1.top &&
                        op.points[0].y < s1.bottom && op.points[0].x == s1.left;
    if (inRow1 && op.pen == platform::SlotColor(1)) ++slot1Lines;
    if (op.kind == RecordingCanvas::Kind::Line && op.points[0].y > s2.top &&
        op.points[0].y < s2.bottom && op.pen == platform::SlotColor(5))
      ++slot2Lines;
    if (op.kind == RecordingCanvas::Kind::Ellipse && op.rect.top >= s2.top &&
        op.rect.bottom <= s2.bottom && op.pen == platform::SlotColor(5))
      ++slot2Circles;
  }
  EXPECT_EQ(slot1Lines, 1);
  EXPECT_EQ(slot2Lines, 0);
  EXPECT_EQ(slot2Circles, 1);
}

class PrintGraphTest : public ::testing::Test {
 protected:
  series::SeriesTable table;
  GraphSettings settings;
  platform::FakeDesktop desktop;
};

TEST_F(PrintGraphTest, MessagesForNoGraphViewAndCancel) {
  EXPECT_EQ(PrintGraph(desktop, settings, table, false), PrintGraphOutcome::NoGraphView);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "You must be viewing a graph in order to print it.");
  EXPECT_EQ(desktop.messages[0].title, "Print Error");
  EXPECT_TRUE(desktop.printDocuments.empty());

  desktop.printCancelled = true;
  EXPECT_EQ(PrintGraph(desktop, settings, table, true), PrintGraphOutcome::Cancelled);
  EXPECT_EQ(desktop.messages.back().text, "Printing will not continue.");
  EXPECT_EQ(desktop.messages.back().title, "Print Error");
  EXPECT_TRUE(desktop.printedPages.empty());
}

TEST_F(PrintGraphTest, OnePageWithBothPanesOfTheFrequencyGraph) {
  settings.topTitle = "Spectrum";
  settings.leftTitle2 = "Phase";
  table.graphType = 2;
  table.ProcessAll();
  ASSERT_EQ(PrintGraph(desktop, settings, table, true), PrintGraphOutcome::Printed);
  EXPECT_EQ(desktop.printDocuments, std::vector<std::string>{"Brightlantern Graph"});
  ASSERT_EQ(desktop.printedPages.size(), 1u);
  EXPECT_EQ(desktop.messages.back().text, "Graph Printing is Complete");
  EXPECT_EQ(desktop.messages.back().title, "Print Message");

  const RecordingCanvas& page = *desktop.printedPages[0];
  const GraphPicture p =
      LayOutPrintedGraph(desktop.printPage.widthPx, desktop.printPage.heightPx, 2);
  // White plots framed inside each pane; the rotated titles at print size.
  int plots = 0;
  for (const RecordingCanvas::Op& op : page.Ops())
    if (op.kind == RecordingCanvas::Kind::Rectangle && op.brush == platform::kWhite &&
        op.penWidth == 3)
      ++plots;
  EXPECT_EQ(plots, 2);
  const RecordingCanvas::Op* phase = page.FindText("Phase");
  ASSERT_NE(phase, nullptr);
  EXPECT_EQ(phase->font, platform::FontId::ArialRotated);
  EXPECT_EQ(phase->fontHeight, p.style.vertical.heightPx);
  EXPECT_GE(phase->rect.top, p.panes[1].top);
  ASSERT_NE(page.FindText("#4: No Series Selected"), nullptr);
}

TEST_F(PrintGraphTest, PagesTooSmallArePrintedNeverAndReported) {
  for (platform::PageMetrics page :
       {platform::PageMetrics{0, 0, 0, 0}, platform::PageMetrics{-5, 3000, 0, 0},
        platform::PageMetrics{2000, 40, 0, 0}}) {
    desktop.printPage = page;
    EXPECT_EQ(PrintGraph(desktop, settings, table, true), PrintGraphOutcome::NoRoom);
    EXPECT_EQ(desktop.messages.back().title, "Print Error");
  }
  EXPECT_TRUE(desktop.printedPages.empty());
  // The smallest page that prints draws all of it without trouble.
  desktop.printPage = {kSmallestGraphPage, kSmallestGraphPage, 0, 0};
  EXPECT_EQ(PrintGraph(desktop, settings, table, true), PrintGraphOutcome::Printed);
}

}  // namespace
}  // namespace bl::graph
