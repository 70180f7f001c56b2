#pragma once

#include <stdexcept>
#include <string>

#include "definitions/definition_table.h"
#include "link/builtin_library.h"
#include "link/pmac_link.h"
#include "platform/fake/fake_desktop.h"
#include "sim/controller.h"
#include "sim/ethernet_server.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::bench {

// A virtual Turbo PMAC2 served over Ethernet on loopback, and a link connected to it as device 1:
// the benchmarks' way to a controller that answers through the real wire.
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

}  // namespace bl::bench
