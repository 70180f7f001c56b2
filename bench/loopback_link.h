#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "definitions/definition_table.h"
#include "link/builtin_library.h"
#include "link/pmac_link.h"
#include "platform/fake/fake_desktop.h"
#include "sim/controller.h"
#include "sim/ethernet_server.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::bench {

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

// A virtual Turbo PMAC2 served over Ethernet on loopback, and a link connected to it as device 1:
// the benchmarks' way to a controller that answers through the real wire. exchanges counts the
// command lines sent.
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

}  // namespace bl::bench
