#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <cmath>

#include "commands/command_ids.h"
#include "graph/graph_overlay.h"
#include "graph/qt/step_metrics_dialog.h"
#include "gui_support.h"
#include "offline_program.h"
#include "shell/qt/graph_pane.h"

namespace bl {
namespace {

using test::WhenModal;

class StepMetricsGuiTest : public ::testing::Test, protected test::OfflineProgram {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  // Series 1 a step of 500 counts, series 2 an underdamped answer to it.
  void SetUp() override {
    window.resize(960, 680);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    series::SeriesTable& table = workbench.series;
    for (int k = 1; k <= 2; ++k) {
      table[k].Resize(1000);
      table[k].rawDataPeriod = 0.001;
      table[k].active = true;
    }
    table[1].SetTitle("Commanded");
    table[2].SetTitle("Actual");
    for (std::size_t i = 0; i < 1000; ++i) {
      const double t = (static_cast<double>(i) - 100) * 0.001;
      table[1].values[i] = t < 0 ? 0 : 500;
      table[2].values[i] =
          t < 0 ? 0 : 500 * (1 - std::exp(-40 * t) * (std::cos(60 * t) + 40.0 / 60 * std::sin(60 * t)));
    }
    // The values are rebuilt from the raw words whenever the graph type changes.
    for (int k = 1; k <= 2; ++k) table.EncodeLWords(k);
  }

  void Choose(int commandedIndex, int actualIndex) {
    WhenModal<graph::StepMetricsDialog>([=](graph::StepMetricsDialog& d) {
      d.CommandedBox().setCurrentIndex(commandedIndex);
      d.ActualBox().setCurrentIndex(actualIndex);
      d.accept();
    });
    window.MenuAction(cmd::kStepMetrics)->trigger();
  }
};

TEST_F(StepMetricsGuiTest, ChosenFromTheMenuTheTimeGraphShowsTheMetricsAndTheCursorReadsThem) {
  shell.SelectView(kViewTerminal, true);
  Choose(1, 1);
  const graph::GraphView& view = workbench.graph;
  EXPECT_EQ(view.metricsCommanded, 1);
  EXPECT_EQ(view.metricsActual, 2);
  EXPECT_EQ(shell.ViewId(), kViewGraphTime);

  auto rows = graph::MetricsTable(view, workbench.series);
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0].second, "500");
  EXPECT_NE(rows[1].second, "---") << "rise time";
  EXPECT_NE(rows[2].second, "0.0 %") << "it overshoots";

  // With the cursor on, the table reads the answer under it.
  window.Client().Button(cmd::kCursors).click();
  workbench.graph.cursorPosition = 0.2;
  rows = graph::MetricsTable(view, workbench.series);
  ASSERT_EQ(rows.size(), 9u);
  EXPECT_EQ(rows[7].second, "100.00 ms");
  QCoreApplication::processEvents();
  GraphPaneWidget& pane = window.Client().GraphPane(0);
  const QImage shown = pane.Render();
  test::SaveScreenshot(shown, "step_metrics_table");
  const graph::PlotRect p = pane.Plot();
  EXPECT_EQ(shown.pixelColor(p.right - 12, p.top + 12), QColor(Qt::white)) << "the table's box";

  Choose(0, 1);
  EXPECT_EQ(view.metricsCommanded, 0);
  EXPECT_TRUE(graph::MetricsTable(view, workbench.series).empty());
}

}  // namespace
}  // namespace bl
