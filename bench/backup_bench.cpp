// A full configuration backup of a virtual Turbo PMAC2 (8192 each of P, Q, M and I, a few motion
// programs and PLCs, a compiled PLC, axis definitions) run by brightlantern-sim in its own
// process and reached over loopback Ethernet, against the bare transfer: the same commands, with
// the same reply sizes, sent one after another without reading the replies or writing a file.
// The difference is what the backup itself costs: parsing, formatting and the file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "definitions/definition_table.h"
#include "integration/sim_process.h"
#include "link/builtin_library.h"
#include "link/pmac_link.h"
#include "platform/fake/fake_desktop.h"
#include "platform/text_format.h"
#include "terminal_lines/terminal_lines.h"
#include "tools/backup.h"

namespace {

using namespace bl;

// Hands every exchange to the built-in library and remembers the commands and reply sizes.
class RecordingLibrary final : public VendorLibrary {
 public:
  RecordingLibrary(std::unique_ptr<VendorLibrary> inner,
                   std::vector<std::pair<std::string, std::size_t>>* record)
      : inner_(std::move(inner)), record_(record) {}
  int PmacSelect(void* parent) override { return inner_->PmacSelect(parent); }
  bool OpenPmacDevice(int device) override { return inner_->OpenPmacDevice(device); }
  bool ClosePmacDevice(int device) override { return inner_->ClosePmacDevice(device); }
  std::string PmacGetResponseA(int device, std::string_view command,
                               std::size_t maxChars) override {
    if (*record_on_) record_->emplace_back(command, maxChars);
    return inner_->PmacGetResponseA(device, command, maxChars);
  }
  double PmacGetVariableDouble(int device, char type, int number, double fallback) override {
    return inner_->PmacGetVariableDouble(device, type, number, fallback);
  }
  int PmacDownloadA(int device, const MessageCallback& message, const ProgressCallback& progress,
                    const std::string& path, int a, int b, int c, int d) override {
    return inner_->PmacDownloadA(device, message, progress, path, a, b, c, d);
  }
  void PmacAbortDownload(int device) override { inner_->PmacAbortDownload(device); }
  bool PmacInBootStrapMode(int device) override { return inner_->PmacInBootStrapMode(device); }
  std::string LastError() const override { return inner_->LastError(); }
  std::vector<LinkNotice> TakeNotices(int device) override { return inner_->TakeNotices(device); }

  bool* record_on_ = nullptr;

 private:
  std::unique_ptr<VendorLibrary> inner_;
  std::vector<std::pair<std::string, std::size_t>>* record_;
};

struct SimBackup {
  SimBackup() {
    if (sim.Port() == 0) throw std::runtime_error("brightlantern-sim did not start");
    DeviceTable table = devices.Table();
    table[1].kind = DeviceConfig::Kind::Ethernet;
    table[1].host = "127.0.0.1";
    table[1].port = sim.Port();
    std::string error;
    devices.SetTable(table, error);
    devices.chooseDevice = [] { return 1; };
    if (link.LinkConnect() != 0) throw std::runtime_error("no connection");
    const char* lines[] = {
        "P1..8191=1.5 Q1..8191=-2.25 I130=3000",
        "M1->X:$78000,0,24,S M2->Y:$78805,20,1 M3->D:$88 M4->L:$6001",
        "&1 #1->1000X #2->1000Y &2 #3->500Z",
        "WP:$50003,$851000 WP:$50061,$05100B WP:$51000,1,2,3,4,5,6,7,8,9,10,11",
    };
    for (const char* line : lines) Send(line);
    for (int p = 1; p <= 6; ++p) {
      Send(platform::Format("OPEN PROG %d CLEAR", p));
      for (int k = 0; k < 40; ++k) Send(platform::Format("P%d=P%d+%d X(P%d) DWELL 5", k, k, p, k));
      Send("CLOSE");
      Send(platform::Format("OPEN PLC %d CLEAR", p));
      for (int k = 0; k < 20; ++k)
        Send(platform::Format("IF (P%d > %d) Q%d = %d ENDI", k, p, k, p));
      Send("CLOSE");
      Send(platform::Format("DIS PLC %d", p));
    }
    path = (std::filesystem::temp_directory_path() /
            ("bl-backup-bench-" + std::to_string(::getpid()) + ".pmc"))
               .string();
  }
  ~SimBackup() { std::filesystem::remove(path); }

  void Send(const std::string& line) {
    if (link.RawResponse(line, 255) != "\x06") throw std::runtime_error("refused: " + line);
  }

  SimProcess sim{0, 5};
  BuiltinDevices devices{""};
  Terminal terminal;
  DefinitionTable definitions;
  platform::FakeDesktop desktop;
  bool recording = false;
  std::vector<std::pair<std::string, std::size_t>> commands;
  PmacLink link{terminal, definitions, desktop, [this] {
                  LibraryLoad load = BuiltinLibraryLoader(devices)();
                  auto recorder =
                      std::make_unique<RecordingLibrary>(std::move(load.library), &commands);
                  recorder->record_on_ = &recording;
                  load.library = std::move(recorder);
                  return load;
                }};
  std::string path;
};

SimBackup& Bench() {
  static SimBackup bench;
  return bench;
}

void BM_Backup(benchmark::State& state) {
  SimBackup& b = Bench();
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string error;
    if (!tools::RunBackup(b.link, {5, 8192}, tools::BackupSwitches{}, b.path, nullptr, error))
      state.SkipWithError(error.c_str());
    bytes = std::filesystem::file_size(b.path);
  }
  state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BareTransfer(benchmark::State& state) {
  SimBackup& b = Bench();
  // One backup's commands, recorded once.
  b.commands.clear();
  b.recording = true;
  std::string error;
  tools::RunBackup(b.link, {5, 8192}, tools::BackupSwitches{}, b.path, nullptr, error);
  b.recording = false;
  const auto commands = b.commands;
  std::size_t replyBytes = 0;
  for (auto _ : state) {
    replyBytes = 0;
    for (const auto& [command, size] : commands)
      replyBytes += b.link.RawResponse(command, size).size();
    benchmark::DoNotOptimize(replyBytes);
  }
  state.counters["commands"] = static_cast<double>(commands.size());
  state.counters["reply_bytes"] = static_cast<double>(replyBytes);
}
BENCHMARK(BM_BareTransfer)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
