// A download over loopback Ethernet against the bare command round trip of the same link: the
// download sends one line per exchange, so its lines per second should come close to the round
// trips per second; what it loses is the file's preparation and the progress reports.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "definitions/definition_table.h"
#include "link/builtin_library.h"
#include "link/pmac_link.h"
#include "platform/fake/fake_desktop.h"
#include "sim/controller.h"
#include "sim/ethernet_server.h"
#include "terminal_lines/terminal_lines.h"

namespace {

using namespace bl;

constexpr int kLines = 2000;

// The virtual controller served over Ethernet on loopback, and a link connected to it.
struct LoopbackLink {
  LoopbackLink() : controller(5), server(controller) {
    std::string error;
    if (!server.Start(0, error)) throw std::runtime_error(error);
    DeviceTable table = devices.Table();
    table[1].kind = DeviceConfig::Kind::Ethernet;
    table[1].host = "127.0.0.1";
    table[1].port = server.Port();
    devices.SetTable(table, error);
    devices.chooseDevice = [] { return 1; };
    if (link.LinkConnect() != 0) throw std::runtime_error("no connection");
  }
  sim::Controller controller;
  sim::EthernetServer server;
  BuiltinDevices devices{""};
  Terminal terminal;
  DefinitionTable definitions;
  platform::FakeDesktop desktop;
  PmacLink link{terminal, definitions, desktop, BuiltinLibraryLoader(devices)};
};

std::string ProgramFile() {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("bl-bench-" + std::to_string(::getpid()) + ".pmc"))
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
