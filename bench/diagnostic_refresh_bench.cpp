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

#include "definitions/definition_table.h"
#include "diagnostics/diagnostic_refresh.h"
#include "diagnostics/diagnostic_script.h"
#include "diagnostics/watch_table.h"
#include "diagnostics/watch_window.h"
#include "link/builtin_library.h"
#include "link/pmac_link.h"
#include "platform/fake/fake_desktop.h"
#include "sim/controller.h"
#include "sim/ethernet_server.h"
#include "terminal_lines/terminal_lines.h"

namespace bl {
namespace {

// The built-in library with a count of the command lines sent through it.
class CountingLibrary final : public VendorLibrary {
 public:
  CountingLibrary(std::unique_ptr<VendorLibrary> inner, long& exchanges)
      : inner_(std::move(inner)), exchanges_(exchanges) {}
  int PmacSelect(void* parent) override { return inner_->PmacSelect(parent); }
  bool OpenPmacDevice(int device) override { return inner_->OpenPmacDevice(device); }
  bool ClosePmacDevice(int device) override { return inner_->ClosePmacDevice(device); }
  std::string PmacGetResponseA(int device, std::string_view command,
                               std::size_t maxChars) override {
    ++exchanges_;
    return inner_->PmacGetResponseA(device, command, maxChars);
  }
  double PmacGetVariableDouble(int device, char type, int number, double fallback) override {
    return inner_->PmacGetVariableDouble(device, type, number, fallback);
  }
  int PmacDownloadA(int device, const MessageCallback& message, const ProgressCallback& progress,
                    const std::string& path, int macro, int map, int log, int download) override {
    return inner_->PmacDownloadA(device, message, progress, path, macro, map, log, download);
  }
  void PmacAbortDownload(int device) override { inner_->PmacAbortDownload(device); }
  bool PmacInBootStrapMode(int device) override { return inner_->PmacInBootStrapMode(device); }
  std::string LastError() const override { return inner_->LastError(); }
  std::vector<LinkNotice> TakeNotices(int device) override { return inner_->TakeNotices(device); }

 private:
  std::unique_ptr<VendorLibrary> inner_;
  long& exchanges_;
};

// A virtual Turbo PMAC2 over loopback Ethernet as device 1, its link counting exchanges.
struct CountedLink {
  CountedLink() : controller(5), server(controller) {
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
  VendorLibraryLoader Loader() {
    return [this] {
      LibraryLoad load = BuiltinLibraryLoader(devices)();
      if (load.library)
        load.library = std::make_unique<CountingLibrary>(std::move(load.library), exchanges);
      return load;
    };
  }

  long exchanges = 0;
  sim::Controller controller;
  sim::EthernetServer server;
  BuiltinDevices devices{""};
  Terminal terminal;
  DefinitionTable definitions;
  platform::FakeDesktop desktop;
  PmacLink link{terminal, definitions, desktop, Loader()};
};

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
  CountedLink fixture;
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
  CountedLink fixture;
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
