// The graph view's panes in the real main window: the start-up sine in each graph type, and the
// mouse, keys, scroll bars, cursor and series panel driving the graph.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "commands/command_ids.h"
#include "graph/draw_pane.h"
#include "graph/graph_input.h"
#include "gui/gui_support.h"
#include "gui/offline_program.h"
#include "platform/color_palette.h"
#include "platform/qt/canvas_widget.h"
#include "shell/qt/graph_pane.h"
#include "shell/qt/series_panel.h"

namespace bl {
namespace {

class GraphPaneTest : public ::testing::Test, protected test::OfflineProgram {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  void SetUp() override {
    window.resize(kMainDefaultWidth, kMainDefaultHeight);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  // Selecting the view processes the series and finds the limits.
  void ShowGraph(int graphType) { shell.SelectView(graphType, true); }

  // Pixels of a colour inside the pane's plot.
  int CountIn(int pane, QColor color) {
    GraphPaneWidget& widget = window.Client().GraphPane(pane);
    const QImage image = widget.Render();
    const graph::PaneLayout l = graph::LayOutPane(workbench.graph.settings, workbench.series,
                                                  widget.PaneRect(), pane, graph::PaneStyle{});
    int count = 0;
    for (int y = l.plot.top; y <= std::min(l.plot.bottom, image.height() - 1); ++y)
      for (int x = l.plot.left; x <= std::min(l.plot.right, image.width() - 1); ++x)
        if (image.pixelColor(x, y) == color) ++count;
    return count;
  }
};

const QColor kRed(255, 0, 0);

TEST_F(GraphPaneTest, StartUpSineInEveryGraphType) {
  // X-Data vs. Y-Data needs a y series: a cosine of the same length and period beside the sine.
  series::DataSeries& sine = workbench.series[1];
  series::DataSeries& cosine = workbench.series[2];
  cosine.Resize(sine.sampleCount);
  cosine.rawDataPeriod = sine.rawDataPeriod;
  for (int i = 0; i < sine.sampleCount; ++i)
    cosine.values[static_cast<std::size_t>(i)] = std::cos(i * 0.01) * std::exp(-i * 0.0005);
  // Selecting a graph view processes every series again from its raw words.
  workbench.series.EncodeLWords(2);

  const char* names[] = {"graph_time", "graph_point", "graph_frequency", "graph_xy"};
  for (int type = 0; type < 4; ++type) {
    if (type == 3) {
      workbench.graph.settings.slots[0].secondSeries = 2;
    }
    ShowGraph(type);
    MainClientArea& c = window.Client();
    EXPECT_EQ(c.GraphPane(1).isVisible(), type == 2);
    EXPECT_GT(CountIn(0, kRed), 100) << names[type];
    if (type == 2) {
      EXPECT_GT(CountIn(1, kRed), 20);
    }
    // The plot is black, the frame around it black and the pane white outside.
    const QImage image = c.GraphPane(0).Render();
    EXPECT_EQ(image.pixelColor(2, 2), QColor(255, 255, 255));
    test::SaveScreenshot(window.grab().toImage(), names[type]);
  }
}

// A pixel inside a pane's plot, as a fraction of the plot from its top-left corner.
QPoint InPlot(const graph::PlotRect& p, double fx, double fy) {
  return {p.left + static_cast<int>((p.right - p.left) * fx),
          p.top + static_cast<int>((p.bottom - p.top) * fy)};
}

class GraphPaneInputTest : public GraphPaneTest {
 protected:
  void SetUp() override {
    GraphPaneTest::SetUp();
    ShowGraph(kViewGraphTime);
    pane().Render();  // the plot the pane was drawn with
  }
  GraphPaneWidget& pane() { return window.Client().GraphPane(0); }
  graph::AxisRange& bottom() { return workbench.graph.settings.bottom; }
  graph::AxisRange& left() { return workbench.graph.settings.axes[graph::kLeft]; }
  void Drag(QPoint from, QPoint to) {
    QTest::mousePress(&pane(), Qt::LeftButton, {}, from);
    QTest::mouseMove(&pane(), to);
    QTest::mouseRelease(&pane(), Qt::LeftButton, {}, to);
  }
};

TEST_F(GraphPaneInputTest, DragZoomsRightClickRestoresAndTheBarsFollow) {
  const graph::PlotRect plot = pane().Plot();
  const graph::AxisRange x = bottom();
  const graph::AxisRange y = left();
  const QPoint from = InPlot(plot, 0.25, 0.2);
  const QPoint to = InPlot(plot, 0.5, 0.6);

  QTest::mousePress(&pane(), Qt::LeftButton, {}, to);
  QTest::mouseMove(&pane(), from);
  EXPECT_TRUE(workbench.graph.drag[0].dragging);
  // The rectangle is drawn in grey over the black plot while the button is down.
  EXPECT_EQ(pane().Render().pixelColor(from.x(), (from.y() + to.y()) / 2), QColor(128, 128, 128));
  QTest::mouseRelease(&pane(), Qt::LeftButton, {}, from);
  EXPECT_FALSE(workbench.graph.drag[0].dragging);

  const double w = x.visibleMaximum - x.visibleMinimum;
  EXPECT_NEAR(bottom().visibleMinimum, x.visibleMinimum + 0.25 * w, w * 0.01);
  EXPECT_NEAR(bottom().visibleMaximum, x.visibleMinimum + 0.5 * w, w * 0.01);
  const double h = y.visibleMaximum - y.visibleMinimum;
  EXPECT_NEAR(left().visibleMaximum, y.visibleMaximum - 0.2 * h, h * 0.01);
  EXPECT_NEAR(left().visibleMinimum, y.visibleMaximum - 0.6 * h, h * 0.01);
  // Both bars of the pane show the narrowed windows at once.
  EXPECT_EQ(pane().HorizontalBar().pageStep(), workbench.graph.bars.horizontal.page);
  EXPECT_NEAR(pane().HorizontalBar().pageStep(), 2500, 30);
  EXPECT_EQ(pane().HorizontalBar().value(), workbench.graph.bars.horizontal.position);
  EXPECT_NEAR(pane().VerticalBar().pageStep(), 4000, 30);
  EXPECT_TRUE(pane().HorizontalBar().isEnabled());

  QTest::mouseClick(&pane(), Qt::RightButton, {}, InPlot(plot, 0.5, 0.5));
  EXPECT_EQ(bottom().visibleMinimum, x.minimum);
  EXPECT_EQ(bottom().visibleMaximum, x.maximum);
  EXPECT_EQ(left().visibleMaximum, y.maximum);
  EXPECT_EQ(pane().HorizontalBar().pageStep(), 10000);
  EXPECT_EQ(pane().HorizontalBar().value(), 0);
}

TEST_F(GraphPaneInputTest, ScrollBarsArrowsAndWheelMoveTheWindowKeepingItsWidth) {
  const graph::PlotRect plot = pane().Plot();
  Drag(InPlot(plot, 0.0, 0.0), InPlot(plot, 0.5, 0.5));
  const double w = bottom().visibleMaximum - bottom().visibleMinimum;
  const double start = bottom().visibleMinimum;

  pane().HorizontalBar().triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_NEAR(bottom().visibleMinimum, start + 0.2 * w, w * 1e-9);
  EXPECT_EQ(pane().HorizontalBar().value(), workbench.graph.bars.horizontal.position);
  pane().HorizontalBar().triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_DOUBLE_EQ(bottom().visibleMaximum, bottom().maximum);
  EXPECT_NEAR(bottom().visibleMaximum - bottom().visibleMinimum, w, w * 1e-9);

  pane().setFocus();
  QTest::keyClick(&pane(), Qt::Key_Left);
  EXPECT_NEAR(bottom().visibleMaximum, bottom().maximum - 0.02 * w, w * 1e-9);

  // The left axis steps down by the arrow and a wheel notch toward the user, up by the bar's
  // line button (the window started at the top of the range).
  const double top = left().visibleMaximum;
  const double hy = top - left().visibleMinimum;
  QTest::keyClick(&pane(), Qt::Key_Down);
  EXPECT_NEAR(left().visibleMaximum, top - 0.02 * hy, hy * 1e-9);
  QWheelEvent wheel(QPointF(50, 50), pane().mapToGlobal(QPointF(50, 50)), {}, {0, -120},
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&pane(), &wheel);
  EXPECT_NEAR(left().visibleMaximum, top - 0.04 * hy, hy * 1e-9);
  pane().VerticalBar().triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_NEAR(left().visibleMaximum, top - 0.02 * hy, hy * 1e-9);
  EXPECT_EQ(pane().VerticalBar().value(), workbench.graph.bars.vertical[0].position);
}

TEST_F(GraphPaneInputTest, CursorFollowsTheMouseAndTheReadoutShowsTheValues) {
  QPushButton& cursors = window.Client().Button(cmd::kCursors);
  QTest::mouseClick(&cursors, Qt::LeftButton);
  EXPECT_EQ(cursors.text(), "Cursors: Left");

  const graph::PlotRect plot = pane().Plot();
  const QPoint at = InPlot(plot, 0.3, 0.5);
  QTest::mouseMove(&pane(), at);
  const graph::AxisRange& x = bottom();
  EXPECT_NEAR(workbench.graph.cursorPosition,
              graph::UnmapX(plot, at.x(), x.visibleMinimum, x.visibleMaximum), 1e-9);
  const graph::Readout readout = graph::CursorReadout(workbench.graph, workbench.series, 0);
  EXPECT_NE(readout.rows[0].x, "---");
  EXPECT_EQ(readout.rows[1].x, "---");

  // The box stands white over the black plot at the lower left; the circle is red.
  const QImage image = pane().Render();
  const platform::Rect box = graph::ReadoutBox(pane().PaneRect(), graph::kCursorLeft);
  EXPECT_EQ(image.pixelColor(box.left + 2, box.top + 60), QColor(255, 255, 255));
  EXPECT_TRUE(test::AnyPixelNear(image, QRect(box.left + 70, box.top + 5, 100, 20), Qt::black));
  EXPECT_TRUE(
      test::AnyPixelNear(image, QRect(at.x() - 8, plot.top, 17, plot.bottom - plot.top), kRed, 0));
  test::SaveScreenshot(window.grab().toImage(), "graph_cursor");

  QTest::mouseClick(&cursors, Qt::LeftButton);
  QTest::mouseClick(&cursors, Qt::LeftButton);
  EXPECT_EQ(cursors.text(), "Cursors: Off");
  const double position = workbench.graph.cursorPosition;
  QTest::mouseMove(&pane(), InPlot(plot, 0.6, 0.5));
  EXPECT_EQ(workbench.graph.cursorPosition, position);
}

TEST_F(GraphPaneInputTest, SeriesPanelShowsTheSlotsAndSendsChoices) {
  SeriesPanel& panel = window.Client().Series();
  QComboBox& first = *panel.RowAt(0).series;
  ASSERT_EQ(first.count(), workbench.series.seriesCount + 1);
  EXPECT_EQ(first.itemText(1).toStdString(), "#1: " + workbench.series[1].title);
  EXPECT_EQ(first.currentIndex(), 1);
  EXPECT_EQ(panel.RowAt(0).operation->count(), 4);

  // Filling the panel from settings changed elsewhere fires no choice: a choice would find the
  // limits again and undo the zoom.
  Drag(InPlot(pane().Plot(), 0.1, 0.1), InPlot(pane().Plot(), 0.4, 0.4));
  const double zoomed = bottom().visibleMaximum;
  workbench.graph.settings.slots[2].series = 3;
  workbench.graph.settings.slots[2].color = 7;
  shell.RefreshGraphPanel();
  EXPECT_EQ(panel.RowAt(2).series->currentIndex(), 3);
  EXPECT_EQ(panel.RowAt(2).color->currentIndex(), 7);
  EXPECT_EQ(bottom().visibleMaximum, zoomed);

  // A choice goes into its slot and the graph finds its limits again.
  panel.RowAt(1).secondSeries->setCurrentIndex(4);
  EXPECT_EQ(workbench.graph.settings.slots[1].secondSeries, 4);
  EXPECT_EQ(bottom().visibleMaximum, bottom().maximum);
  panel.RowAt(0).marker->setCurrentIndex(2);
  EXPECT_EQ(workbench.graph.settings.slots[0].marker, 2);
  QTest::mouseClick(panel.RowAt(0).axis, Qt::LeftButton);
  EXPECT_EQ(workbench.graph.settings.slots[0].axis, 1);
  EXPECT_EQ(panel.RowAt(0).axis->text(), "Right Axis");

  // The X-Y graph offers only "VS" between the series.
  ShowGraph(kViewGraphXY);
  ASSERT_EQ(panel.RowAt(0).operation->count(), 1);
  EXPECT_EQ(panel.RowAt(0).operation->itemText(0), "VS");
}

TEST_F(GraphPaneInputTest, ShiftRightClickOpensThePaneMenuWithoutRestoringTheRanges) {
  const graph::PlotRect plot = pane().Plot();
  Drag(InPlot(plot, 0.1, 0.1), InPlot(plot, 0.4, 0.4));
  const double zoomed = bottom().visibleMaximum;
  QStringList entries;
  QTimer::singleShot(50, [&entries] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    for (QAction* a : menu->actions()) entries << a->text();
    menu->close();
  });
  QTest::mouseClick(&pane(), Qt::RightButton, Qt::ShiftModifier, InPlot(plot, 0.5, 0.5));
  EXPECT_EQ(entries,
            (QStringList{"Export Graph...", "Print Graph", "Graph Properties", "Update Limits"}));
  EXPECT_EQ(bottom().visibleMaximum, zoomed);

  // The Menu key opens it too; Update Limits finds the full ranges.
  QTimer::singleShot(50, [] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    for (QAction* a : menu->actions())
      if (a->text() == "Update Limits") a->trigger();
    menu->close();
  });
  QTest::keyClick(&pane(), Qt::Key_Menu);
  EXPECT_EQ(bottom().visibleMaximum, bottom().maximum);
}

}  // namespace
}  // namespace bl
