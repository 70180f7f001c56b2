// The graph view's panes in the real main window: the start-up sine in each graph type.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <cmath>

#include "graph/draw_pane.h"
#include "gui/gui_support.h"
#include "gui/offline_program.h"
#include "platform/color_palette.h"
#include "platform/qt/canvas_widget.h"
#include "shell/qt/graph_pane.h"

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

}  // namespace
}  // namespace bl
