// One refresh of a built-in diagnostic page (the values its items show read from the controller,
// as the monitor thread does each cycle while the window is open), against a virtual Turbo PMAC2
// served over Ethernet on loopback: the time per refresh and the command lines it exchanges with
// the controller ("exchanges"). The watch window's poll of as many variables, which asks for all
// of them on one command line, is measured beside it.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>

#include "diagnostics/diagnostic_refresh.h"
#include "diagnostics/diagnostic_script.h"
#include "diagnostics/watch_table.h"
#include "diagnostics/watch_window.h"
#include "loopback_link.h"

namespace bl {
namespace {

// A compiled built-in script of this build, as the loader takes it.
diagnostics::DiagnosticTables BuiltinScript(const std::string& name) {
  const std::string path = std::string(BL_BUILD_DATA_DIR) + "/Diagnostics/TURBO2_" + name + ".bin";
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  diagnostics::DiagnosticTables tables;
  if (!in || diagnostics::DecodeScript(bytes, tables) != diagnostics::DecodeResult::kOk)
    throw std::runtime_error("cannot load " + path);
  diagnostics::PrepareLoadedTables(tables);
  return tables;
}

// The controller variables (not internal ones) the current page's items read, each once.
int VariablesRead(const diagnostics::DiagnosticScript& script) {
  std::set<int> read;
  int page = 0;
  for (const diagnostics::DiagnosticItem& item : script.tables.items) {
    if (item.kind == diagnostics::kKindEnd) break;
    if (item.kind == diagnostics::kKindPage) ++page;
    if (page != script.currentPage) continue;
    for (const int v : {item.variableA, item.variableB})
      if (v >= 0 && v < diagnostics::kDiagnosticTableSize &&
          script.tables.variables[static_cast<std::size_t>(v)].type !=
              diagnostics::kVariableInternal)
        read.insert(v);
  }
  return static_cast<int>(read.size());
}

void BM_DiagnosticRefresh(benchmark::State& state, const std::string& name) {
  bench::LoopbackLink fixture;
  diagnostics::DiagnosticScript script;
  script.tables = BuiltinScript(name);
  script.currentPage = 1;
  diagnostics::RefreshDiagnosticScript(script, fixture.link);  // the first one as the others
  fixture.exchanges = 0;
  for (auto _ : state) diagnostics::RefreshDiagnosticScript(script, fixture.link);
  const double refreshes = static_cast<double>(state.iterations());
  state.counters["exchanges"] = static_cast<double>(fixture.exchanges) / refreshes;
  state.counters["variables"] = VariablesRead(script);
}
BENCHMARK_CAPTURE(BM_DiagnosticRefresh, MotorStatus, std::string("MotorStatus"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DiagnosticRefresh, MotorPositions, std::string("MotorPositions"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DiagnosticRefresh, MotorJog, std::string("MotorJog"))
    ->Unit(benchmark::kMicrosecond);

// The watch window's poll of n motor positions and velocities as M-variables and P-variables.
void BM_WatchPoll(benchmark::State& state) {
  bench::LoopbackLink fixture;
  diagnostics::WatchTable table;
  const int n = static_cast<int>(state.range(0));
  for (int i = 0; i < n; ++i) {
    diagnostics::WatchItem item;
    item.kind = static_cast<int>(diagnostics::WatchDisplay::Value);
    item.variableType = i % 2 ? 1 : 3;
    item.number = i % 2 ? i : 162 + i / 2 * 100;
    table.Insert(item);
  }
  fixture.exchanges = 0;
  for (auto _ : state) diagnostics::PollWatchTable(table, fixture.link);
  state.counters["exchanges"] =
      static_cast<double>(fixture.exchanges) / static_cast<double>(state.iterations());
  state.counters["variables"] = table.UsedCount();
}
BENCHMARK(BM_WatchPoll)->ArgName("items")->Arg(16)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace bl

BENCHMARK_MAIN();
