#include "monitor/monitor_thread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>

#include "controller/controller_type.h"
#include "link/pmac_link.h"
#include "monitor/gather_status.h"
#include "monitor/monitor_replies.h"
#include "monitor/position_display.h"
#include "platform/clock.h"
#include "platform/ui_thread.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::monitor {

namespace {

using namespace std::chrono_literals;

constexpr platform::Duration kCyclePause = 100ms;
constexpr int kDataView = 10;  // the main window's data view
constexpr int kUploadDataCommand = 15;
constexpr int kGraphTimeCommand = 77;  // graph view, data versus time

// The lowest priority an ordinary user may give a thread: nice 19 for this thread alone. A system
// that refuses leaves the thread as it is.
void LowerThisThreadsPriority() {
  const auto thread = static_cast<id_t>(::gettid());
  (void)::setpriority(PRIO_PROCESS, thread, 19);
}

}  // namespace

MonitorThread::MonitorThread(Records records, platform::UiThread& ui, platform::Clock& clock)
    : records_(records), ui_(ui), clock_(clock) {}

MonitorThread::~MonitorThread() { Stop(); }

void MonitorThread::Start() {
  if (thread_.joinable() || stopping_) return;
  thread_ = std::thread([this] { Run(); });
}

void MonitorThread::Stop(const std::function<void()>& whileWaiting) {
  if (!thread_.joinable()) return;
  {
    std::unique_lock lock(stopMutex_);
    stop_ = true;
    stopping_ = true;
    stopCv_.notify_all();
    if (whileWaiting) {
      while (!finished_) {
        lock.unlock();
        whileWaiting();
        lock.lock();
        stopCv_.wait_for(lock, 5ms, [this] { return finished_; });
      }
    }
  }
  thread_.join();
}

void MonitorThread::Run() {
  LowerThisThreadsPriority();
  std::unique_lock lock(stopMutex_);
  while (!clock_.SleepUnless(kCyclePause, stopCv_, lock, [this] { return stop_; })) {
    lock.unlock();
    Cycle();
    lock.lock();
  }
  finished_ = true;
  stopCv_.notify_all();
}

void MonitorThread::SetMainWindow(MainWindow hooks) {
  std::lock_guard lock(hooksMutex_);
  hooks_.main = std::move(hooks);
}

void MonitorThread::SetPositionWindow(Window hooks) {
  std::lock_guard lock(hooksMutex_);
  hooks_.position = std::move(hooks);
}

void MonitorThread::SetWatchWindow(Window hooks) {
  std::lock_guard lock(hooksMutex_);
  hooks_.watch = std::move(hooks);
}

void MonitorThread::SetDiagnosticWindow(Window hooks) {
  std::lock_guard lock(hooksMutex_);
  hooks_.diagnostic = std::move(hooks);
}

MonitorThread::Hooks MonitorThread::CopyHooks() {
  std::lock_guard lock(hooksMutex_);
  return hooks_;
}

std::string MonitorThread::Ask(std::string_view command) {
  std::string reply;
  records_.link.PmacCommand(reply, kReplySize, command, false);
  return reply;
}

void MonitorThread::Cycle() {
  // A window closed during the cycle is polled to its end; its hooks stay safe to call.
  const Hooks hooks = CopyHooks();
  if (records_.link.PmacDevice() == -1) {
    NotConnectedCycle(hooks);
    return;
  }
  if (hooks.main.viewId && hooks.main.viewId() == kDataView) PollGatherStatus(hooks.main);
  if (records_.testMovePending) CheckTestMoveEnd(hooks.main);
  if (hooks.position.Exists()) PollPositions(hooks.position);
  if (hooks.watch.Exists()) {
    if (hooks.watch.poll) hooks.watch.poll();
    Repaint(hooks.watch, true);
    watchLive.Advance();
  }
  if (hooks.diagnostic.Exists()) {
    if (hooks.diagnostic.poll) hooks.diagnostic.poll();
    Repaint(hooks.diagnostic, true);
    diagnosticLive.Advance();
  }
}

void MonitorThread::NotConnectedCycle(const Hooks& hooks) {
  records_.testMovePending = false;
  GatherStatus& g = records_.gather;
  // The panel is repainted when it changes: left alone, the data view would go on showing the
  // addresses of a controller that is gone.
  const bool shown = g.period != 0 || g.start != 0 || g.current != 0 || g.end != 0;
  g.period = 0;
  g.start = 0;
  g.current = 0;
  g.end = 0;
  if (shown) RepaintGatherPanel(hooks.main);
  records_.terminal.addressedMotor = 0;
  records_.terminal.coordinateSystem = 0;

  if (hooks.position.Exists()) {
    records_.position.Clear();
    records_.position.live.Advance();
    Repaint(hooks.position, false);
  }
  if (hooks.watch.Exists()) {
    const int count = watchLive.Advance();
    if (hooks.watch.sweep) hooks.watch.sweep(count);
    Repaint(hooks.watch, true);
  }
}

void MonitorThread::PollGatherStatus(const MainWindow& main) {
  const int typeCode = records_.type.typeCode.load();
  GatherStatus& g = records_.gather;
  if (const auto mode = ParseGatherMode(Ask(GatherModeCommand(typeCode)))) g.mode = *mode;
  const int mode = g.mode.load();
  const auto numbers = ParseGatherStatus(Ask(GatherStatusCommand(typeCode, mode)));
  if (!numbers) return;
  const GatherAddresses now =
      GatherAddressesFrom(typeCode, mode, *numbers, records_.type.endOfUserMemory.load());
  const GatherAddresses shown{g.period.load(), g.start.load(), g.current.load(), g.end.load()};
  if (now == shown) return;
  g.period = now.period;
  g.start = now.start;
  g.current = now.current;
  g.end = now.end;
  RepaintGatherPanel(main);
}

void MonitorThread::CheckTestMoveEnd(const MainWindow& main) {
  const auto stopped = GatheringStopped(Ask(GatherBitCommand(records_.type.typeCode.load())));
  // A reply without a status word says nothing about the move: ask again next cycle rather than
  // upload a buffer that may still be filling.
  if (!stopped || !*stopped) return;
  // The user-interface thread may have given the move up meanwhile (the tab left, the sheet
  // closed); then there is nothing to upload.
  bool pending = true;
  if (!records_.testMovePending.compare_exchange_strong(pending, false)) return;
  RunOnUiThread([&main] {
    if (main.runCommand) main.runCommand(kUploadDataCommand);
    if (main.testMoveUploaded) main.testMoveUploaded();
  });
  RunOnUiThread([&main] {
    if (main.runCommand) main.runCommand(kGraphTimeCommand);
    if (main.pressGraphButton) main.pressGraphButton();
  });
}

void MonitorThread::PollPositions(const Window& window) {
  PositionDisplay& p = records_.position;
  const int group = p.motorGroup.load();
  std::array<double, 8> eight{};
  ReadPositionReply(
      Ask(PositionCommand(records_.type.typeCode.load(), p.displayMode.load(), group)), eight);
  p.Store(PositionFirstMotor(group), eight);
  p.live.Advance();
  Repaint(window, true);
}

void MonitorThread::Repaint(const Window& window, bool erase) {
  if (window.repaint) ui_.Post([repaint = window.repaint, erase] { repaint(erase); });
}

void MonitorThread::RepaintGatherPanel(const MainWindow& main) {
  if (main.repaintGatherPanel) ui_.Post(main.repaintGatherPanel);
}

void MonitorThread::RunOnUiThread(const std::function<void()>& task) {
  ui_.PostAndWait([this, &task] {
    if (!stopping_) task();
  });
}

}  // namespace bl::monitor
