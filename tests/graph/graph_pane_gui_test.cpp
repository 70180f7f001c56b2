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
#include <functional>

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
  void Drag(double fx0, double fy0, double fx1, double fy1) {
    QTest::mousePress(&pane(), Qt::LeftButton, {}, InPlot(pane().Plot(), fx0, fy0));
    QTest::mouseMove(&pane(), InPlot(pane().Plot(), fx1, fy1));
    QTest::mouseRelease(&pane(), Qt::LeftButton, {}, InPlot(pane().Plot(), fx1, fy1));
  }
  // Runs the entry of the pane menu that the trigger opens, and gives the menu's entries.
  QStringList FromMenu(const QString& entry, const std::function<void()>& trigger) {
    QStringList entries;
    QTimer::singleShot(50, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu) return;
      for (QAction* a : menu->actions()) {
        entries << a->text();
        if (a->text() == entry) a->trigger();
      }
      menu->close();
    });
    trigger();
    return entries;
  }
};

TEST_F(GraphPaneInputTest, DragZoomsBarsKeysAndWheelScrollRightClickRestores) {
  const graph::AxisRange x = bottom();
  QTest::mousePress(&pane(), Qt::LeftButton, {}, InPlot(pane().Plot(), 0.5, 0.5));
  QTest::mouseMove(&pane(), InPlot(pane().Plot(), 0.0, 0.0));
  // The rectangle is drawn in grey over the black plot while the button is down.
  const QPoint edge = InPlot(pane().Plot(), 0.5, 0.25);
  EXPECT_EQ(pane().Render().pixelColor(edge), QColor(128, 128, 128));
  QTest::mouseRelease(&pane(), Qt::LeftButton, {}, InPlot(pane().Plot(), 0.0, 0.0));
  const double w = bottom().visibleMaximum - bottom().visibleMinimum;
  EXPECT_NEAR(w, (x.visibleMaximum - x.visibleMinimum) / 2, w * 0.01);
  EXPECT_NEAR(bottom().visibleMinimum, x.visibleMinimum, w * 0.01);
  // The bars show the narrowed windows at once.
  EXPECT_NEAR(pane().HorizontalBar().pageStep(), 5000, 30);
  EXPECT_NEAR(pane().VerticalBar().pageStep(), 5000, 30);

  const double start = bottom().visibleMinimum;
  pane().HorizontalBar().triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_NEAR(bottom().visibleMinimum, start + 0.2 * w, w * 1e-9);
  EXPECT_EQ(pane().HorizontalBar().value(), workbench.graph.bars.horizontal.position);
  QTest::keyClick(&pane(), Qt::Key_Left);
  EXPECT_NEAR(bottom().visibleMinimum, start + 0.18 * w, w * 1e-9);

  // The window started at the top: down by the arrow and a wheel notch, up by the bar.
  const double top = left().visibleMaximum;
  const double h = top - left().visibleMinimum;
  QTest::keyClick(&pane(), Qt::Key_Down);
  QWheelEvent wheel({50, 50}, pane().mapToGlobal(QPointF(50, 50)), {}, {0, -120}, Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&pane(), &wheel);
  EXPECT_NEAR(left().visibleMaximum, top - 0.04 * h, h * 1e-9);
  pane().VerticalBar().triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_NEAR(left().visibleMaximum, top - 0.02 * h, h * 1e-9);

  QTest::mouseClick(&pane(), Qt::RightButton, {}, InPlot(pane().Plot(), 0.5, 0.5));
  EXPECT_EQ(bottom().visibleMinimum, x.minimum);
  EXPECT_EQ(bottom().visibleMaximum, x.maximum);
  EXPECT_EQ(pane().HorizontalBar().pageStep(), 10000);
}

TEST_F(GraphPaneInputTest, CursorFollowsTheMouseAndTheReadoutShowsTheValues) {
  QPushButton& cursors = window.Client().Button(cmd::kCursors);
  QTest::mouseClick(&cursors, Qt::LeftButton);
  EXPECT_EQ(cursors.text(), "Cursors: Left");
  const graph::PlotRect plot = pane().Plot();
  const QPoint at = InPlot(plot, 0.3, 0.5);
  QTest::mouseMove(&pane(), at);
  EXPECT_NEAR(workbench.graph.cursorPosition,
              graph::UnmapX(plot, at.x(), bottom().visibleMinimum, bottom().visibleMaximum), 1e-9);
  EXPECT_NE(graph::CursorReadout(workbench.graph, workbench.series, 0).rows[0].x, "---");

  // The box stands white over the black plot at the lower left, with black text in it.
  const QImage image = pane().Render();
  const platform::Rect box = graph::ReadoutBox(pane().PaneRect(), graph::kCursorLeft);
  EXPECT_EQ(image.pixelColor(box.left + 2, box.top + 60), QColor(255, 255, 255));
  EXPECT_TRUE(test::AnyPixelNear(image, QRect(box.left + 70, box.top + 5, 100, 20), Qt::black));
  test::SaveScreenshot(window.grab().toImage(), "graph_cursor");
}

TEST_F(GraphPaneInputTest, SeriesPanelFollowsTheSettingsAndThePaneMenuRoutesCommands) {
  SeriesPanel& panel = window.Client().Series();
  EXPECT_EQ(panel.RowAt(0).series->itemText(1).toStdString(), "#1: " + workbench.series[1].title);
  // Filling the panel fires no choice: a choice would find the limits and undo the zoom.
  Drag(0.1, 0.1, 0.4, 0.4);
  const double zoomed = bottom().visibleMaximum;
  workbench.graph.settings.slots[2].series = 3;
  shell.RefreshGraphPanel();
  EXPECT_EQ(panel.RowAt(2).series->currentIndex(), 3);
  EXPECT_EQ(bottom().visibleMaximum, zoomed);

  // Shift+right-click opens the menu and leaves the zoom alone.
  const QStringList entries = FromMenu("", [&] {
    QTest::mouseClick(&pane(), Qt::RightButton, Qt::ShiftModifier, InPlot(pane().Plot(), .5, .5));
  });
  EXPECT_EQ(entries,
            (QStringList{"Export Graph...", "Print Graph", "Graph Properties", "Update Limits"}));
  EXPECT_EQ(bottom().visibleMaximum, zoomed);
  FromMenu("Update Limits", [&] { QTest::keyClick(&pane(), Qt::Key_Menu); });
  EXPECT_EQ(bottom().visibleMaximum, bottom().maximum);

  // Choices go into the slot.
  panel.RowAt(1).secondSeries->setCurrentIndex(4);
  EXPECT_EQ(workbench.graph.settings.slots[1].secondSeries, 4);
  QTest::mouseClick(panel.RowAt(0).axis, Qt::LeftButton);
  EXPECT_EQ(workbench.graph.settings.slots[0].axis, 1);
  EXPECT_EQ(panel.RowAt(0).axis->text(), "Right Axis");
  ShowGraph(kViewGraphXY);  // only "VS" between the X and the Y series
  EXPECT_EQ(panel.RowAt(0).operation->count(), 1);
}

}  // namespace
}  // namespace bl
