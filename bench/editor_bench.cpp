// Repainting the editor after a keystroke: the scan from the text's start for the first visible
// line's block-comment state, then the visible lines. At the end of a full text the scan covers
// the whole text; at the start it covers nothing.
#include <benchmark/benchmark.h>

#include <string>

#include "definitions/definition_table.h"
#include "editor/colour_line.h"
#include "editor/editor_input.h"
#include "editor/editor_paint.h"
#include "editor/editor_scroll.h"
#include "editor/raw_view.h"
#include "editor_bench_support.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/recording_canvas.h"
#include "terminal_lines/terminal_lines.h"

namespace {

using namespace bl;
using namespace bl::editor;
using bench::NullCanvas;
using bench::Program;

constexpr platform::Size kClient{1000, 640};  // 40 rows of 117 columns

struct Fixture {
  explicit Fixture(std::size_t bytes, bool atEnd) {
    table.DefineLine("#define Speed P10", 0, terminal);
    table.DefineLine("#define Start Q5", 0, terminal);
    s.editorText = Program(bytes);
    s.width = kClient.width;
    s.height = kClient.height;
    s.hasFocus = true;
    s.caret = s.anchor = atEnd ? static_cast<int>(s.editorText.size()) : 0;
    EnsureCaretVisible(s);
  }
  Terminal terminal;
  DefinitionTable table;
  EditorState s;
  platform::FakeDesktop desktop;
};

void BM_RepaintAtEnd(benchmark::State& st) {
  Fixture f(499999, true);
  NullCanvas canvas(kClient);
  for (auto _ : st) PaintEditor(canvas, f.s, f.table);
}
BENCHMARK(BM_RepaintAtEnd)->Unit(benchmark::kMicrosecond);

void BM_RepaintAtStart(benchmark::State& st) {
  Fixture f(499999, false);
  NullCanvas canvas(kClient);
  for (auto _ : st) PaintEditor(canvas, f.s, f.table);
}
BENCHMARK(BM_RepaintAtStart)->Unit(benchmark::kMicrosecond);

void BM_BlockCommentAtEnd(benchmark::State& st) {
  Fixture f(499999, true);
  for (auto _ : st) benchmark::DoNotOptimize(BlockCommentAt(f.s.editorText, f.s.firstLine));
}
BENCHMARK(BM_BlockCommentAtEnd)->Unit(benchmark::kMicrosecond);

// The keystroke at the end of a 499,999-byte text is refused by the bound; the handler still
// runs and the editor repaints.
void BM_KeystrokeAndRepaintAtEnd(benchmark::State& st) {
  Fixture f(499999, true);
  NullCanvas canvas(kClient);
  for (auto _ : st) {
    OnChar(f.s, f.desktop, 'x');
    PaintEditor(canvas, f.s, f.table);
  }
}
BENCHMARK(BM_KeystrokeAndRepaintAtEnd)->Unit(benchmark::kMicrosecond);

// A character that fits, and Backspace, each followed by a repaint: two keystrokes an iteration.
void BM_TypeAndBackspaceAtEnd(benchmark::State& st) {
  Fixture f(499997, true);
  NullCanvas canvas(kClient);
  for (auto _ : st) {
    OnChar(f.s, f.desktop, 'x');
    PaintEditor(canvas, f.s, f.table);
    OnKeyDown(f.s, f.desktop, KeyEvent{EditorKey::Backspace});
    PaintEditor(canvas, f.s, f.table);
  }
}
BENCHMARK(BM_TypeAndBackspaceAtEnd)->Unit(benchmark::kMicrosecond);

void BM_RepaintAtEndRecording(benchmark::State& st) {
  Fixture f(499999, true);
  platform::RecordingCanvas canvas(kClient);
  for (auto _ : st) {
    canvas.Clear();
    PaintEditor(canvas, f.s, f.table);
  }
}
BENCHMARK(BM_RepaintAtEndRecording)->Unit(benchmark::kMicrosecond);

void BM_RawViewAtEnd(benchmark::State& st) {
  Fixture f(499999, true);
  NullCanvas canvas({330, 640});
  for (auto _ : st) PaintRawView(canvas, f.s, f.table);
}
BENCHMARK(BM_RawViewAtEnd)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
