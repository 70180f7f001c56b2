// A graph pane repainted with four traces of 1,000,000 points each on a 700 x 300 plot, for each
// pen width, with and without markers; and one trace drawn by the trace renderer against the
// plain drawing (one line per pair of points, one marker per point) on fewer points, with the
// cost per point of each.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <random>
#include <vector>

#include "graph/draw_pane.h"
#include "graph/trace_renderer.h"
#include "platform/qt/qt_canvas.h"
#include "series/series_table.h"

namespace {

using namespace bl;

constexpr int kSamples = 1000000;
// A pane whose plot comes out 700 x 300: 80 pixels of left labels, 25 above, 50 below.
constexpr platform::Rect kPane{0, 0, 780, 375};
constexpr graph::PlotRect kPlot{80, 25, 780, 325};

// Four traces as gathered data looks: a noisy sine, a random walk, a fast sine, a square wave.
series::SeriesTable& Table() {
  static series::SeriesTable table = [] {
    series::SeriesTable t;
    std::mt19937 random(5);
    std::normal_distribution<double> noise(0.0, 1.0);
    double walk = 0.0;
    for (int k = 1; k <= 4; ++k) {
      series::DataSeries& s = t[k];
      s.Resize(kSamples);
      s.rawDataPeriod = 0.0001;
      for (int i = 0; i < kSamples; ++i) {
        double v = 0.0;
        if (k == 1) v = 400 * std::sin(i * 2e-5) + 20 * noise(random);
        if (k == 2) v = walk = std::clamp(walk + noise(random), -450.0, 450.0);
        if (k == 3) v = 300 * std::sin(i * 0.003);
        if (k == 4) v = (i / 50000) % 2 ? 200.0 : -200.0;
        s.values[static_cast<std::size_t>(i)] = v;
      }
    }
    return t;
  }();
  return table;
}

graph::GraphSettings Settings(int thickness, int marker) {
  graph::GraphSettings g;
  for (int k = 0; k < graph::kSlotCount; ++k)
    g.slots[static_cast<std::size_t>(k)] = {k + 1, 0, 0, 0, marker, 2 * k + 1, thickness};
  g.bottom = {kSamples * 0.0001, 0.0, kSamples * 0.0001, 0.0, 0.0, false};
  g.axes[graph::kLeft] = {500.0, -500.0, 500.0, -500.0, 0.0, false};
  return g;
}

void BM_PaneRepaint(benchmark::State& state) {
  const int thickness = static_cast<int>(state.range(0));
  const int marker = static_cast<int>(state.range(1));
  const graph::GraphSettings settings = Settings(thickness, marker);
  const series::SeriesTable& table = Table();
  QImage image(kPane.right, kPane.bottom, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&image);
    platform::QtCanvas canvas(painter, {kPane.right, kPane.bottom});
    graph::DrawPane(canvas, settings, table, kPane, 0, graph::PaneStyle{});
  }
  state.SetItemsProcessed(state.iterations() * 4LL * kSamples);
}
BENCHMARK(BM_PaneRepaint)
    ->ArgNames({"pen", "marker"})
    ->ArgsProduct({{1, 2, 3}, {0, 2}})
    ->Unit(benchmark::kMillisecond);

// One trace already mapped to pixels: the random walk of series 2 over the plot.
std::vector<graph::MappedPoint> Mapped(int count) {
  const series::DataSeries& s = Table()[2];
  std::vector<graph::MappedPoint> points(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    points[static_cast<std::size_t>(i)] = {
        graph::MapX(kPlot, i, 0.0, count - 1.0),
        graph::MapY(kPlot, s.values[static_cast<std::size_t>(i)], -500.0, 500.0)};
  return points;
}

template <bool kFast>
void BM_Trace(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const graph::TraceStyle style{{255, 0, 0},
                                static_cast<int>(state.range(1)),
                                static_cast<int>(state.range(2)),
                                5 + static_cast<int>(state.range(1))};
  const std::vector<graph::MappedPoint> points = Mapped(count);
  QImage image(kPane.right, kPane.bottom, QImage::Format_RGB32);
  image.fill(Qt::black);
  for (auto _ : state) {
    QPainter painter(&image);
    platform::QtCanvas canvas(painter, {kPane.right, kPane.bottom});
    canvas.SetClipRect({kPlot.left, kPlot.top, kPlot.right + 1, kPlot.bottom + 1});
    if (kFast)
      graph::DrawTrace(canvas, kPlot, style, points);
    else
      graph::DrawTracePlain(canvas, kPlot, style, points);
  }
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["s_per_point"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * count,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Trace<true>)
    ->Name("BM_TraceFast")
    ->ArgNames({"points", "pen", "marker"})
    ->ArgsProduct({{1000000}, {1, 2, 3}, {0, 2}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Trace<false>)
    ->Name("BM_TracePlain")
    ->ArgNames({"points", "pen", "marker"})
    ->ArgsProduct({{20000}, {1, 2, 3}, {0, 2}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Text on the pane needs the fonts, which need an application; no window is shown.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
