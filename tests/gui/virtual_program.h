#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "controller/identify_controller.h"
#include "link/builtin_library.h"
#include "link/virtual_time.h"
#include "platform/clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/immediate_ui_thread.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"
#include "shell/workbench.h"

namespace bl::test {

// The whole program in its real main window over the built-in virtual controller (device 0),
// whose time follows the system clock, so that its motors move and it gathers while a test
// waits: a scripted desktop and posted work run at once.
struct VirtualProgram {
  VirtualProgram() { devices.chooseDevice = [] { return 0; }; }

  // Connects and identifies the controller, as the connection dialogs do.
  void ConnectAndIdentify() {
    ASSERT_EQ(workbench.link.LinkConnect(), 0);
    IdentifyController(workbench.controllerType, workbench.link, workbench.definitions,
                       workbench.terminal, {});
  }
  // A command line without echo, and the controller's whole reply.
  std::string Ask(std::string_view command) {
    std::string reply;
    workbench.link.PmacCommand(reply, 499999, command, false);
    return reply;
  }

  platform::SystemClock clock;
  VirtualTime virtualTime;
  VirtualTimeThread virtualTimeThread{virtualTime, clock};
  BuiltinDevices devices{"", &virtualTime, &clock};
  platform::FakeDesktop desktop;
  platform::ImmediateUiThread ui;
  Workbench workbench{desktop, ui, clock, BuiltinLibraryLoader(devices)};
  Shell shell{workbench};
  MainWindow window{workbench, shell};
};

}  // namespace bl::test
