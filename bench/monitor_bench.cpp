// The monitor's cycle with the data view shown, against the in-process virtual Turbo PMAC2 while
// it gathers: the cost of one cycle without its 100 ms pause, and what ten cycles a second take
// of one core ("core_share_10Hz"; the aim is below 5 %). The in-process controller answers on
// the same thread, so its share is counted in; a real controller's would not be. A second case
// adds the test-move check and the position window's report.
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <stdexcept>

#include "controller/identify_controller.h"
#include "link/builtin_library.h"
#include "link/virtual_time.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/immediate_ui_thread.h"
#include "series/gather.h"
#include "shell/shell.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"
#include "tests/integration/fake_clock_program.h"

namespace {

using namespace bl;
using namespace std::chrono_literals;

struct Program : test::FakeClockProgram {
  Program() {
    if (workbench.link.LinkConnect() != 0) throw std::runtime_error("no virtual controller");
    IdentifyController(workbench.controllerType, workbench.link, workbench.definitions,
                       workbench.terminal, {});
    shell.hooks.repaintGatherPanel = [this] { ++repaints; };
    shell.SelectView(kViewData, false);
    for (int k = 1; k <= series::kMaxSeriesCount; ++k) workbench.series[k].active = false;
    workbench.series[1].active = true;
    workbench.series[1].sourceType = series::SourceType::kD;
    workbench.series[1].address = 0x88;
    workbench.gather.period = 10;
    series::DefineGather(workbench.link, workbench.controllerType, workbench.gather,
                         workbench.series);
    series::BeginGather(workbench.link);
  }

  long repaints = 0;
};

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void Measure(benchmark::State& state, Program& program) {
  double cycleCpu = 0;
  for (auto _ : state) {
    // The controller gathers on between cycles, so each cycle finds something new to show.
    state.PauseTiming();
    program.clock.Advance(1ms);
    state.ResumeTiming();
    const double before = ThreadCpuSeconds();
    program.workbench.monitor.Cycle();
    cycleCpu += ThreadCpuSeconds() - before;
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["core_share_10Hz_%"] = 100.0 * 10.0 * cycleCpu / iterations;
  state.counters["repaints"] = static_cast<double>(program.repaints);
}

void BM_DataViewCycle(benchmark::State& state) {
  Program program;
  Measure(state, program);
}
BENCHMARK(BM_DataViewCycle)->Unit(benchmark::kMicrosecond);

void BM_DataViewTestMoveAndPositionsCycle(benchmark::State& state) {
  Program program;
  program.workbench.testMovePending = true;
  program.workbench.monitor.SetPositionWindow({[](bool) {}, {}, {}});
  Measure(state, program);
}
BENCHMARK(BM_DataViewTestMoveAndPositionsCycle)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
