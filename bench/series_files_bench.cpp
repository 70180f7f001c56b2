// The data file of a full Turbo table (48 series x 100,000 gathered samples) saved and loaded
// through the Graphing menu's commands, disk included; and the spreadsheet repainted over 48
// series of 1,000,000 samples at the top, the middle and the end of its rows.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <random>
#include <string>

#include "graph/graph_input.h"
#include "graph/series_files.h"
#include "platform/fake/fake_desktop.h"
#include "platform/qt/qt_canvas.h"
#include "series/series_table.h"
#include "series/spreadsheet.h"

namespace {

using namespace bl;

// Every series a gathered D source with noisy words, processed as a load processes them.
void Fill(series::SeriesTable& table, int samples) {
  std::mt19937 random(7);
  for (int k = 1; k <= table.seriesCount; ++k) {
    series::DataSeries& s = table[k];
    s.active = true;
    s.sourceType = series::SourceType::kD;
    s.scaleFactor = 1.0 / 3072;
    s.rawDataPeriod = 0.000442;
    s.Resize(samples);
    for (int i = 0; i < samples; ++i) {
      const auto u = static_cast<std::size_t>(i);
      s.xWords[u] = random() & 0xFFFFFF;
      s.yWords[u] = random() & 0xFFFFFF;
    }
    table.ProcessSeries(k, series::SpectrumLayout::kMagnitudePhase);
  }
}

std::string FilePath() { return "/tmp/brightlantern_series_files_bench.bin"; }

void BM_SaveDataFile(benchmark::State& state) {
  series::SeriesTable table;
  Fill(table, 100000);
  graph::GraphView view;
  platform::FakeDesktop desktop;
  for (auto _ : state) {
    desktop.saveFileAnswers = {FilePath()};
    desktop.messageAnswers = {platform::MessageAnswer::Yes};  // overwrite the last one
    desktop.messages.clear();
    graph::SaveSeriesFile(desktop, table, view);
  }
  // The only message expected is the question before overwriting.
  if (desktop.messages.size() > 1) state.SkipWithError(desktop.messages.back().text.c_str());
}
BENCHMARK(BM_SaveDataFile)->Unit(benchmark::kMillisecond);

void BM_LoadDataFile(benchmark::State& state) {
  {
    series::SeriesTable table;
    Fill(table, 100000);
    graph::GraphView view;
    platform::FakeDesktop desktop;
    desktop.saveFileAnswers = {FilePath()};
    graph::SaveSeriesFile(desktop, table, view);
  }
  series::SeriesTable table;
  graph::GraphView view;
  platform::FakeDesktop desktop;
  for (auto _ : state) {
    desktop.openFileAnswers = {FilePath()};
    if (!graph::LoadSeriesFile(desktop, table, view, {})) state.SkipWithError("not loaded");
  }
  std::remove(FilePath().c_str());
}
BENCHMARK(BM_LoadDataFile)->Unit(benchmark::kMillisecond);

// The same file already in memory: what the load costs without the disk.
void BM_DecodeDataFile(benchmark::State& state) {
  series::SeriesTable source;
  Fill(source, 100000);
  const std::string bytes = graph::EncodeDataFile(source, graph::GraphView{});
  series::SeriesTable table;
  graph::GraphView view;
  std::string error;
  for (auto _ : state) {
    if (!graph::ReadDataFile(bytes, true, table, view, error)) state.SkipWithError(error.c_str());
    graph::ProcessLoadedSeries(table, view, {});
  }
}
BENCHMARK(BM_DecodeDataFile)->Unit(benchmark::kMillisecond);

// Argument: where the rows begin, in tenths of the way down.
void BM_SpreadsheetRepaint(benchmark::State& state) {
  static series::SeriesTable table = [] {
    series::SeriesTable t;
    Fill(t, 1000000);
    return t;
  }();
  platform::FakeDesktop desktop;
  series::Spreadsheet sheet(table, desktop);
  const platform::Size size{1280, 900};
  sheet.SetClientSize(size);
  const int rows = sheet.PointCount();
  sheet.Scroll(true, platform::ScrollAction::Thumb, static_cast<int>(rows / 10 * state.range(0)));
  if (state.range(0) == 10) sheet.Scroll(true, platform::ScrollAction::End, 0);
  QImage image(size.width, size.height, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&image);
    platform::QtCanvas canvas(painter, size);
    sheet.Paint(canvas);
  }
  state.counters["first_row"] = sheet.FirstPoint();
}
BENCHMARK(BM_SpreadsheetRepaint)->Arg(0)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
