#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "link/builtin_library.h"
#include "link/virtual_time.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/immediate_ui_thread.h"
#include "shell/shell.h"
#include "shell/workbench.h"

namespace bl::test {

// The whole program without windows, on the fake clock: the built-in library with the virtual
// controller as device 0, whose servo time follows the clock. dataFolders: where shipped data is
// looked for after the start directory.
struct FakeClockProgram {
  explicit FakeClockProgram(std::vector<std::string> dataFolders = {})
      : workbench{desktop, ui, clock, BuiltinLibraryLoader(devices), std::move(dataFolders)} {
    clock.OnAdvance([this](platform::Duration now) { time.Update(now); });
    devices.chooseDevice = [] { return 0; };
  }

  // Device n as configured, and the one the device choice picks.
  void UseDevice(int n, const DeviceConfig& config) {
    DeviceTable table = devices.Table();
    table[static_cast<std::size_t>(n)] = config;
    std::string error;
    if (!devices.SetTable(table, error)) ADD_FAILURE() << error;
    devices.chooseDevice = [n] { return n; };
  }
  // A command line without echo, and the controller's whole reply.
  std::string Ask(std::string_view command) {
    std::string reply;
    workbench.link.PmacCommand(reply, 499999, command, false);
    return reply;
  }

  platform::FakeClock clock;
  VirtualTime time;
  BuiltinDevices devices{"", &time, &clock};
  platform::FakeDesktop desktop;
  platform::ImmediateUiThread ui;
  Workbench workbench;
  Shell shell{workbench};
};

}  // namespace bl::test
