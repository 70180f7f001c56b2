// Find Next across a 499,999-byte motion program: each step searches on from the selection and
// scrolls the match into view. A rare pattern costs a search across the whole text; a frequent
// one shows the cost of a step between neighbouring matches. Replace All and the printout's rows
// over the same text for comparison.
#include <benchmark/benchmark.h>

#include <string>

#include "editor/editor_state.h"
#include "editor/find_presenter.h"
#include "editor/find_text.h"
#include "editor/print_layout.h"
#include "editor_bench_support.h"
#include "platform/fake/fake_desktop.h"

namespace {

using namespace bl;
using namespace bl::editor;
using bl::bench::Program;

constexpr std::size_t kTextBytes = 499999;

struct Fixture {
  Fixture() {
    s.editorText = Program(kTextBytes);
    s.width = 1000;
    s.height = 640;
  }
  EditorState s;
  FindState find;
  platform::FakeDesktop desktop;
};

// One match, near the end: every step searches the whole text (Find Next from the start).
void FindNextWholeText(benchmark::State& st, bool caseSensitive) {
  Fixture f;
  f.s.editorText.replace(kTextBytes - 40, 9, "HOME_AXIS");
  FindPresenter p(f.s, f.find, f.desktop);
  p.SetFindText("home_axis");
  p.SetCaseSensitive(caseSensitive);
  if (caseSensitive) p.SetFindText("HOME_AXIS");
  for (auto _ : st) {
    f.s.caret = f.s.anchor = 0;
    benchmark::DoNotOptimize(p.FindNext());
  }
}
void BM_FindNextWholeTextAnyCase(benchmark::State& st) { FindNextWholeText(st, false); }
void BM_FindNextWholeTextCaseSensitive(benchmark::State& st) { FindNextWholeText(st, true); }
BENCHMARK(BM_FindNextWholeTextAnyCase)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindNextWholeTextCaseSensitive)->Unit(benchmark::kMicrosecond);

// Stepping through "speed" (about 3 matches a line of four): one step an iteration, starting
// over at the text's start when the end is reached.
void BM_FindNextStepAnyCase(benchmark::State& st) {
  Fixture f;
  FindPresenter p(f.s, f.find, f.desktop);
  p.SetFindText("speed");
  for (auto _ : st) {
    if (!p.FindNext()) {
      f.desktop.messages.clear();
      f.s.caret = f.s.anchor = 0;
    }
  }
}
BENCHMARK(BM_FindNextStepAnyCase)->Unit(benchmark::kMicrosecond);

// Upwards from the end: the same whole-text search backwards.
void BM_FindNextUpwardsWholeText(benchmark::State& st) {
  Fixture f;
  f.s.editorText.replace(20, 9, "HOME_AXIS");
  FindPresenter p(f.s, f.find, f.desktop);
  p.SetFindText("home_axis");
  p.SetSearchUpwards(true);
  const int end = static_cast<int>(f.s.editorText.size());
  for (auto _ : st) {
    f.s.caret = f.s.anchor = end;
    benchmark::DoNotOptimize(p.FindNext());
  }
}
BENCHMARK(BM_FindNextUpwardsWholeText)->Unit(benchmark::kMicrosecond);

// FindText alone, without the scroll into view.
void BM_FindTextWholeTextAnyCase(benchmark::State& st) {
  const std::string text = Program(kTextBytes);
  for (auto _ : st) benchmark::DoNotOptimize(FindText(text, "home_axis", 0, false, false));
}
BENCHMARK(BM_FindTextWholeTextAnyCase)->Unit(benchmark::kMicrosecond);

// Replace All of "DWELL" (one line in nine) by "DELAY", each iteration on a fresh text. A text
// of the full 499,999 bytes has no room even for a replacement of the same length (the match is
// deleted before its replacement goes in), so this one is a little shorter.
void BM_ReplaceAll(benchmark::State& st) {
  Fixture f;
  const std::string text = Program(kTextBytes - 10);
  FindPresenter p(f.s, f.find, f.desktop);
  p.SetFindText("DWELL");
  p.SetReplaceText("DELAY");
  int replaced = 0;
  for (auto _ : st) {
    st.PauseTiming();
    f.s.editorText = text;
    f.s.caret = f.s.anchor = 0;
    f.desktop.messages.clear();
    st.ResumeTiming();
    replaced = p.ReplaceAll();
  }
  st.counters["replaced"] = replaced;
}
BENCHMARK(BM_ReplaceAll)->Unit(benchmark::kMillisecond);

// The rows of a printout of the whole text at 100 characters a row.
void BM_PrintRowsWholeText(benchmark::State& st) {
  const std::string text = Program(kTextBytes);
  for (auto _ : st) {
    PrintRows rows(text, 0, 0, 100);
    std::size_t n = 0;
    while (!rows.Done()) n += rows.Next().label.size();
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_PrintRowsWholeText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
