// Opening a program file that fills the editor, as the user waits for it: the file read whole and
// turned into text by the reading rules, the #DEFINE update over the new text, and the first
// screen of the editor painted. Also the parts on their own, and a save of the same text.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "definitions/define_text.h"
#include "definitions/definition_table.h"
#include "editor/define_tools.h"
#include "editor/editor_files.h"
#include "editor/editor_paint.h"
#include "editor/program_file.h"
#include "editor_bench_support.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/recording_canvas.h"
#include "terminal_lines/terminal_lines.h"

namespace {

using namespace bl;
using namespace bl::editor;

constexpr platform::Size kClient{1000, 640};  // 40 rows of 117 columns

// A 499,999-byte program file with CR LF line ends and a few #define lines, removed at the end.
class ProgramFile {
 public:
  ProgramFile() {
    path_ = (std::filesystem::temp_directory_path() /
             ("bl-open-bench-" + std::to_string(::getpid()) + ".pmc"))
                .string();
    std::string text = "#define Speed P10\n#define Start Q5\n#define Gain 1.5\n";
    text += bench::Program(kMaxProgramText - text.size() - 20000);
    // The CR of each line end makes the file longer than the text; cut it back to the size.
    std::string bytes = ProgramFileBytes(text);
    bytes.resize(kMaxProgramText);
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  ~ProgramFile() { std::filesystem::remove(path_); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

const ProgramFile& File() {
  static const ProgramFile file;
  return file;
}

struct Editor {
  Editor() {
    state.width = kClient.width;
    state.height = kClient.height;
    state.hasFocus = true;
  }
  EditorState state;
  DefinitionTable table;
  Terminal terminal;
  platform::FakeDesktop desktop;
  EditorContext ctx{state, table, terminal, desktop};
};

void BM_OpenAndPaintFirstScreen(benchmark::State& st) {
  Editor e;
  bench::NullCanvas canvas(kClient);
  for (auto _ : st) {
    e.state.currentFile = File().Path();
    OpenProgramFile(e.ctx, kOpenPlainFile);
    PaintEditor(canvas, e.state, e.table);
  }
  st.counters["text"] = static_cast<double>(e.state.editorText.size());
}
BENCHMARK(BM_OpenAndPaintFirstScreen)->Unit(benchmark::kMillisecond);

// The same, painting through the recording canvas (every call kept, as a real canvas takes it).
void BM_OpenAndPaintFirstScreenRecorded(benchmark::State& st) {
  Editor e;
  platform::RecordingCanvas canvas(kClient);
  for (auto _ : st) {
    canvas.Clear();
    e.state.currentFile = File().Path();
    OpenProgramFile(e.ctx, kOpenPlainFile);
    PaintEditor(canvas, e.state, e.table);
  }
}
BENCHMARK(BM_OpenAndPaintFirstScreenRecorded)->Unit(benchmark::kMillisecond);

void BM_LoadProgramFile(benchmark::State& st) {
  ProgramFileText text;
  std::string error;
  for (auto _ : st) {
    LoadProgramFile(File().Path(), text, error);
    benchmark::DoNotOptimize(text.text.data());
  }
}
BENCHMARK(BM_LoadProgramFile)->Unit(benchmark::kMillisecond);

void BM_UpdateDefines(benchmark::State& st) {
  Editor e;
  e.state.currentFile = File().Path();
  OpenProgramFile(e.ctx, kOpenPlainFile);
  for (auto _ : st)
    benchmark::DoNotOptimize(DefineFromText(e.state.editorText, e.table, e.terminal));
}
BENCHMARK(BM_UpdateDefines)->Unit(benchmark::kMillisecond);

void BM_SaveProgramFile(benchmark::State& st) {
  Editor e;
  e.state.currentFile = File().Path();
  OpenProgramFile(e.ctx, kOpenPlainFile);
  const std::string copy = File().Path() + ".saved.pmc";
  e.state.currentFile = copy;
  for (auto _ : st) {
    SaveProgramFile(e.ctx, false);
    e.desktop.messages.clear();
  }
  std::filesystem::remove(copy);
}
BENCHMARK(BM_SaveProgramFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
