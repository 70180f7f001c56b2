#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "controller/controller_type.h"
#include "link/builtin_library.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/immediate_ui_thread.h"
#include "shell/workbench.h"
#include "tools/backup.h"

namespace bl::tools {

// A workbench connected to an in-process virtual controller of one type.
struct VirtualBench {
  explicit VirtualBench(int type) : type(type) {
    DeviceTable table = devices.Table();
    table[1].kind = DeviceConfig::Kind::Virtual;
    table[1].virtualType = type;
    std::string error;
    devices.SetTable(table, error);
    devices.chooseDevice = [] { return 1; };
    workbench.link.LinkConnect();
    SetTypeFromTable(workbench.controllerType, type);
    desktop.messages.clear();  // the connection's own greeting
  }
  BackupTarget Target() const { return {type, ControllerTypeInfoFor(type).variableCount}; }
  std::string Command(const std::string& command, int size = 255) {
    std::string reply;
    workbench.link.PmacCommand(reply, size, command, false);
    return reply;
  }

  int type;
  platform::FakeClock clock;
  BuiltinDevices devices{""};
  platform::FakeDesktop desktop;
  platform::ImmediateUiThread ui;
  Workbench workbench{desktop, ui, clock, BuiltinLibraryLoader(devices)};
};

// A folder of the test's own, removed afterwards.
struct ScratchFolder {
  ScratchFolder() {
    path = std::filesystem::temp_directory_path() /
           ("bl-backup-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~ScratchFolder() { std::filesystem::remove_all(path); }
  std::string File(const char* name) const { return (path / name).string(); }
  std::filesystem::path path;
};

inline std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace bl::tools
