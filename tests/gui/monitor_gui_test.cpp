#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <thread>

#include "commands/command_ids.h"
#include "controller/identify_controller.h"
#include "gui_support.h"
#include "link/builtin_library.h"
#include "link/virtual_time.h"
#include "platform/clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/qt/qt_ui_thread.h"
#include "shell/shell.h"
#include "shell/workbench.h"

namespace bl {
namespace {

using namespace std::chrono_literals;

// The program's end while the monitor waits for the user-interface thread to carry out the end of
// a test move: the task is dropped and the thread ends, as long as events are let through.
TEST(MonitorGui, StoppingWhileATaskWaitsForTheEventLoopEnds) {
  test::EnsureApplication();
  platform::SystemClock clock;
  VirtualTime time;
  VirtualTimeThread timeThread(time, clock);
  BuiltinDevices devices("", &time, &clock);
  devices.chooseDevice = [] { return 0; };
  platform::FakeDesktop desktop;
  platform::QtUiThread ui;
  Workbench workbench(desktop, ui, clock, BuiltinLibraryLoader(devices));
  Shell shell(workbench);
  int uploads = 0;
  shell.SetCommand(cmd::kUploadData, [&] { ++uploads; });
  ASSERT_EQ(workbench.link.LinkConnect(), 0);
  IdentifyController(workbench.controllerType, workbench.link, workbench.definitions,
                     workbench.terminal, {});

  // Nothing is gathering: the first cycle takes the move as ended and waits for the upload.
  workbench.testMovePending = true;
  workbench.monitor.Start();
  const auto start = std::chrono::steady_clock::now();
  while (workbench.testMovePending && std::chrono::steady_clock::now() < start + 10s)
    std::this_thread::sleep_for(10ms);
  ASSERT_FALSE(workbench.testMovePending);
  std::this_thread::sleep_for(50ms);  // by now it waits for this thread's event loop
  workbench.monitor.Stop([] { QCoreApplication::processEvents(); });
  EXPECT_EQ(uploads, 0);
}

}  // namespace
}  // namespace bl
