// The upload of a full Turbo gather buffer over loopback Ethernet against the bare RHX/RHY round
// trips of the same blocks on the same link: the upload sends nothing else of weight, so its
// blocks per second should come close to the bare ones; what it loses is the settings read
// first, the placement of the words and the processing of the series at the end.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

#include "controller/controller_type.h"
#include "loopback_link.h"
#include "platform/fake/immediate_ui_thread.h"
#include "platform/text_format.h"
#include "series/gather.h"
#include "series/series_table.h"
#include "series/upload.h"

namespace {

using namespace bl;

constexpr std::uint32_t kGatherRegisters = 0x3120;
constexpr int kEndOfUserMemory = 0x10800;

// The virtual Turbo PMAC2 served over Ethernet on loopback, a link to it, and a gather buffer
// that takes all free memory, full: motor 1's commanded and actual position and servo output and
// motor 2's commanded position, four addresses a sample.
struct LoopbackGather : bench::LoopbackLink {
  LoopbackGather() {
    type.typeCode = 5;
    type.servoPeriod = 0.000442;
    type.endOfUserMemory = kEndOfUserMemory;

    for (int k = 1; k <= series::kMaxSeriesCount; ++k) series[k].active = false;
    const std::pair<series::SourceType, std::uint32_t> sources[] = {
        {series::SourceType::kD, 0x88},
        {series::SourceType::kD, 0x8B},
        {series::SourceType::kX, 0xBF},
        {series::SourceType::kD, 0x108}};
    for (int k = 1; k <= 4; ++k) {
      series[k].active = true;
      series[k].sourceType = sources[k - 1].first;
      series[k].address = sources[k - 1].second;
    }
    series::DefineGather(link, type, buffer, series);
    // Gathered to the end: the pointer stands past the last whole sample.
    start = static_cast<int>(controller.ReadX(kGatherRegisters) & 0xFFFFF);
    const int addresses = (kEndOfUserMemory - start) / 4 * 4;
    controller.WriteY(kGatherRegisters, static_cast<std::uint32_t>(start + addresses));
    end = start + addresses;
  }
  platform::ImmediateUiThread ui;
  ControllerType type;
  series::GatherBuffer buffer;
  series::SeriesTable series;
  int start = 0;
  int end = 0;
};

void BareBlockRoundTrips(benchmark::State& state) {
  LoopbackGather g;
  std::string x;
  std::string y;
  for (auto _ : state) {
    for (int current = g.start; current < g.end; current += series::kUploadBlock) {
      const int n = std::min(series::kUploadBlock, g.end - current);
      g.link.PmacCommand(x, series::kUploadReplySize, platform::Format("RHX:%d,%d", current, n + 1),
                         false);
      g.link.PmacCommand(y, series::kUploadReplySize, platform::Format("RHY:%d,%d", current, n + 1),
                         false);
    }
  }
  state.SetItemsProcessed(state.iterations() * (g.end - g.start));
  state.counters["addresses"] = g.end - g.start;
}

void UploadGatheredData(benchmark::State& state) {
  LoopbackGather g;
  for (auto _ : state) {
    const series::UploadReport report = series::UploadGatheredData(
        {g.link, g.terminal, g.desktop, g.ui, g.type, g.buffer, g.series});
    if (report.outcome != series::UploadOutcome::kDone) state.SkipWithError("the upload failed");
  }
  state.SetItemsProcessed(state.iterations() * (g.end - g.start));
  state.counters["samples"] = g.series[1].sampleCount;
}

BENCHMARK(BareBlockRoundTrips)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(UploadGatheredData)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
