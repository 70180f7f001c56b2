// A download over loopback Ethernet against the bare command round trip of the same link: the
// download sends one line per exchange, so its lines per second should come close to the round
// trips per second; what it loses is the file's preparation and the progress reports.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "loopback_link.h"

namespace {

using namespace bl;

constexpr int kLines = 2000;

using bench::LoopbackLink;

std::string ProgramFile() {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("bl-bench-" + std::to_string(::getpid()) + ".pmc"))
          .string();
  std::ofstream out(path, std::ios::binary);
  out << "#define Count P10\r\n";
  for (int i = 0; i < kLines; ++i) out << "Count=" << i << " ; line " << i << "\r\n";
  return path;
}

void CommandRoundTrip(benchmark::State& state) {
  LoopbackLink l;
  std::string reply;
  for (auto _ : state) {
    for (int i = 0; i < kLines; ++i) l.link.PmacCommand(reply, 255, "P10=1", false);
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}

void DownloadLines(benchmark::State& state) {
  LoopbackLink l;
  const std::string path = ProgramFile();
  for (auto _ : state) {
    const int result = l.link.Download(path, nullptr, [](int) {});
    if (result != 1) state.SkipWithError("the download failed");
  }
  state.SetItemsProcessed(state.iterations() * kLines);
  std::filesystem::remove(path);
}

BENCHMARK(CommandRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DownloadLines)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
