#pragma once

#include <string>
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

  platform::FakeClock clock;
  VirtualTime time;
  BuiltinDevices devices{"", &time, &clock};
  platform::FakeDesktop desktop;
  platform::ImmediateUiThread ui;
  Workbench workbench;
  Shell shell{workbench};
};

}  // namespace bl::test
