// A repaint of a diagnostic page with 999 items on the canvas the window paints through, all
// kinds mixed, and each kind by itself to see which costs most; and of built-in pages as shipped.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "diagnostics/diagnostic_paint.h"
#include "platform/qt/qt_canvas.h"

namespace bl {
namespace {

using diagnostics::DiagnosticItem;
using diagnostics::DiagnosticTables;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// A page of width x height with 999 items on a grid of 37 x 27 cells of 20 x 20 pixels: kind
// `only`, or the kinds 2 to 10 in turn for 0, each with its style cycling and a live value.
DiagnosticTables Page(int only) {
  DiagnosticTables tables;
  DiagnosticItem& page = tables.items[0];
  page.kind = diagnostics::kKindPage;
  page.x1 = kWidth - 10;
  page.y1 = kHeight - 41;
  page.fillNormal = 3;
  page.text1 = "Benchmark";
  tables.variables[0].type = diagnostics::kVariableInternal;
  tables.variables[0].value = 0x5A5A5A;
  for (int i = 1; i < diagnostics::kDiagnosticTableSize; ++i) {
    DiagnosticItem& item = tables.items[i];
    const int cell = i - 1;
    item.kind = only ? only : 2 + cell % 9;
    item.style = item.kind == diagnostics::kKindShape || item.kind == diagnostics::kKindButton
                     ? 1 + cell / 9 % 8
                     : cell / 9 % 3 % (item.kind == diagnostics::kKindGauge ? 3 : 2);
    if (item.kind == diagnostics::kKindStripChart) item.style = 0;
    item.x1 = cell % 37 * 21;
    item.y1 = cell / 37 * 20;
    item.x2 = item.x1 + 18;
    item.y2 = item.y1 + 18;
    item.angle = cell % 4 * 30;
    item.parameter1 = 20;
    item.parameter2 = 20;
    item.outlineNormal = cell % 48;
    item.outlineActive = 13;
    item.fillNormal = cell % 16;
    item.fillActive = 9;
    item.variableA = 0;
    item.scaleA = 1;
    item.bitCountA = 8;
    item.startBitA = 0;
    item.maximum = 1e7;
    item.minimum = 0;
    item.precision = 1;
    item.text1 = "Tx";
    for (int s = 0; s < diagnostics::kHistorySamples; ++s)
      item.history[static_cast<std::size_t>(s)] = static_cast<float>(s * 1e5);
  }
  return tables;
}

// With the shape cache the window keeps from one paint to the next, as the window paints; and
// without, every figure drawn by QPainter (the plain way).
void Repaint(benchmark::State& state, bool cached) {
  const DiagnosticTables tables = Page(static_cast<int>(state.range(0)));
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  platform::ShapeCache shapes;
  for (auto _ : state) {
    QPainter painter(&image);
    platform::QtCanvas canvas(painter, {kWidth, kHeight});
    if (cached) canvas.SetShapeCache(&shapes);
    diagnostics::PaintDiagnosticPage(canvas, tables, 1, -1, 25);
  }
  state.SetItemsProcessed(state.iterations() * (diagnostics::kDiagnosticTableSize - 1));
  state.counters["figures_cached"] = static_cast<double>(shapes.Size());
}

void BM_PageRepaint(benchmark::State& state) { Repaint(state, true); }
BENCHMARK(BM_PageRepaint)->ArgName("kind")->DenseRange(0, 10)->Unit(benchmark::kMillisecond);

void BM_PageRepaintPlain(benchmark::State& state) { Repaint(state, false); }
BENCHMARK(BM_PageRepaintPlain)->ArgName("kind")->DenseRange(0, 10)->Unit(benchmark::kMillisecond);

// A built-in Turbo PMAC2 page of this build as the window paints it, with its shape cache and
// without.
void BM_BuiltinPageRepaint(benchmark::State& state, const std::string& name) {
  const std::string path = std::string(BL_BUILD_DATA_DIR) + "/Diagnostics/TURBO2_" + name + ".bin";
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  DiagnosticTables tables;
  if (!in || diagnostics::DecodeScript(bytes, tables) != diagnostics::DecodeResult::kOk) {
    state.SkipWithError(("cannot load " + path).c_str());
    return;
  }
  diagnostics::PrepareLoadedTables(tables);
  const auto size = diagnostics::DiagnosticWindowSize(tables, 1);
  if (!size) {
    state.SkipWithError("no first page");
    return;
  }
  QImage image(size->width, size->height, QImage::Format_RGB32);
  platform::ShapeCache shapes;
  const bool cached = state.range(0) != 0;
  for (auto _ : state) {
    QPainter painter(&image);
    platform::QtCanvas canvas(painter, *size);
    if (cached) canvas.SetShapeCache(&shapes);
    diagnostics::PaintDiagnosticPage(canvas, tables, 1, -1, 25);
  }
  state.counters["figures_cached"] = static_cast<double>(shapes.Size());
}
BENCHMARK_CAPTURE(BM_BuiltinPageRepaint, MotorStatus, std::string("MotorStatus"))
    ->ArgName("cached")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BuiltinPageRepaint, MotorPositions, std::string("MotorPositions"))
    ->ArgName("cached")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace bl

int main(int argc, char** argv) {
  // Text needs the fonts, which need an application; no window is shown.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
