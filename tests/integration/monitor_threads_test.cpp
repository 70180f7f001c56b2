// The monitor on its own thread beside the user-interface thread's exchanges, a download and the
// end of a test move: run under the thread sanitizer, this is where a data race would show.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "commands/command_ids.h"
#include "controller/identify_controller.h"
#include "link/builtin_library.h"
#include "link/virtual_time.h"
#include "platform/fake/fake_desktop.h"
#include "platform/ui_thread.h"
#include "series/gather.h"
#include "shell/shell.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"

namespace bl {
namespace {

using namespace std::chrono_literals;

// The test's thread plays the user-interface thread: posted tasks wait in a queue until it runs
// them, as the event loop would.
class QueuedUiThread final : public platform::UiThread {
 public:
  void Post(std::function<void()> task) override {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  void PostAndWait(std::function<void()> task) override {
    if (IsUiThread()) {
      task();
      return;
    }
    bool done = false;
    Post([&] {
      task();
      std::lock_guard lock(mutex_);
      done = true;
      doneCv_.notify_all();
    });
    std::unique_lock lock(mutex_);
    doneCv_.wait(lock, [&] { return done; });
  }
  bool IsUiThread() const override { return std::this_thread::get_id() == owner_; }

  void RunPending() {
    std::deque<std::function<void()>> tasks;
    {
      std::lock_guard lock(mutex_);
      tasks.swap(tasks_);
    }
    for (auto& task : tasks) task();
  }

 private:
  const std::thread::id owner_ = std::this_thread::get_id();
  std::mutex mutex_;
  std::condition_variable doneCv_;
  std::deque<std::function<void()>> tasks_;
};

// Real time, a hundred times faster: a cycle every millisecond.
class QuickClock final : public platform::Clock {
 public:
  platform::Duration Now() const override { return system_.Now(); }
  void SleepFor(platform::Duration d) override { system_.SleepFor(d / 100); }
  bool SleepUnless(platform::Duration d, std::condition_variable& cv,
                   std::unique_lock<std::mutex>& lock,
                   const std::function<bool()>& stopped) override {
    return system_.SleepUnless(d / 100, cv, lock, stopped);
  }

 private:
  platform::SystemClock system_;
};

TEST(MonitorThreads, TheMonitorRunsBesideCommandsADownloadAndATestMove) {
  platform::SystemClock realClock;
  VirtualTime time;
  VirtualTimeThread timeThread(time, realClock);
  BuiltinDevices devices("", &time, &realClock);
  devices.chooseDevice = [] { return 0; };
  platform::FakeDesktop desktop;
  QueuedUiThread ui;
  QuickClock clock;
  Workbench workbench(desktop, ui, clock, BuiltinLibraryLoader(devices));
  Shell shell(workbench);
  std::atomic<int> panelRepaints = 0;
  shell.hooks.repaintGatherPanel = [&] { ++panelRepaints; };
  int uploads = 0;
  shell.SetCommand(cmd::kUploadData, [&] { ++uploads; });
  std::atomic<int> positionRepaints = 0;
  workbench.monitor.SetPositionWindow({[&](bool) { ++positionRepaints; }, {}, {}});

  workbench.monitor.Start();
  ASSERT_EQ(workbench.link.LinkConnect(), 0);
  IdentifyController(workbench.controllerType, workbench.link, workbench.definitions,
                     workbench.terminal, {});
  shell.SelectView(kViewData, false);
  for (int k = 1; k <= series::kMaxSeriesCount; ++k) workbench.series[k].active = false;
  workbench.series[1].active = true;
  workbench.series[1].sourceType = series::SourceType::kY;
  workbench.series[1].address = 0x3120;
  workbench.gather.period = 1;
  workbench.gather.bufferSize = 2000;
  series::DefineGather(workbench.link, workbench.controllerType, workbench.gather,
                       workbench.series);
  series::BeginGather(workbench.link);
  workbench.testMovePending = true;

  const std::filesystem::path program =
      std::filesystem::path(BL_TEST_OUTPUT_DIR) / "monitor_threads_download.pmc";
  {
    std::ofstream out(program);
    for (int i = 0; i < 300; ++i) out << "P" << i << "=" << i << "\r\n";
  }
  std::thread downloader([&] {
    workbench.link.Download(
        program.string(), [](std::string_view) {}, [](int) {});
  });
  // A second at least, and until the end of the move has been shown (the buffer fills in about
  // 0.9 s of the controller's time, which a sanitizer may slow).
  const auto start = std::chrono::steady_clock::now();
  auto running = [&] {
    const auto now = std::chrono::steady_clock::now();
    return (now < start + 1s || shell.ViewId() != kViewGraphTime) && now < start + 30s;
  };
  for (int exchanges = 0; running(); ++exchanges) {
    std::string reply;
    workbench.link.PmacCommand(reply, 255, "P1 I5049", false);
    double value = 0;
    workbench.link.PmacValue(ValueKind::XYPair, 0x88, value, AccessMode::Read);
    workbench.monitor.SetWatchWindow(exchanges % 2 ? monitor::MonitorThread::Window{}
                                                   : monitor::MonitorThread::Window{{}, [] {}, {}});
    ui.RunPending();
  }
  downloader.join();
  workbench.monitor.Stop([&] { ui.RunPending(); });

  EXPECT_GT(panelRepaints, 0);
  EXPECT_GT(positionRepaints, 0);
  EXPECT_EQ(uploads, 1);
  EXPECT_EQ(shell.ViewId(), kViewGraphTime);
  EXPECT_EQ(workbench.gatherStatus.end, workbench.controllerType.endOfUserMemory);
}

}  // namespace
}  // namespace bl
