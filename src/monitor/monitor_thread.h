#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "monitor/live_counter.h"

namespace bl {

class PmacLink;
class Terminal;
struct ControllerType;
struct GatherStatus;
namespace platform {
class Clock;
class UiThread;
}  // namespace platform

namespace monitor {

class PositionDisplay;

// The background thread behind the live displays: every 100 ms it asks the controller for what
// the open displays need, stores the answers where they are painted from and asks for repaints;
// it also notices the end of a test move and has the main window upload and show the result.
// Without a controller it clears the live values and lets the watch window sweep its ranges.
//
// It reaches the user-interface thread only through UiThread. Hooks are given by the windows'
// owners and may be changed at any time from the user-interface thread; a window's hooks must
// stay safe to call after the window is gone (its repaint runs later, on the user-interface
// thread, and should find the window again there).
class MonitorThread {
 public:
  struct Records {
    PmacLink& link;
    const ControllerType& type;
    Terminal& terminal;  // the addressed motor and coordinate system of its status box
    GatherStatus& gather;
    std::atomic<bool>& testMovePending;
    PositionDisplay& position;
  };

  // What the main window offers.
  struct MainWindow {
    // The current view; called on the monitor thread, so it must be safe there.
    std::function<int()> viewId;
    // The rest run on the user-interface thread.
    std::function<void()> repaintGatherPanel;  // the area of the data view's gather panel
    std::function<void(int command)> runCommand;
    std::function<void()> pressGraphButton;  // toolbar button 77, the graph of data versus time
    // A test move's data has been uploaded after its end (it is kept in the tuning history).
    std::function<void()> testMoveUploaded;
  };

  // A window polled while it exists, that is while any of its hooks is set.
  struct Window {
    // On the user-interface thread; erase is false when only the values change.
    std::function<void(bool erase)> repaint;
    // On the monitor thread, connected: the window's own exchanges and the storing of results.
    std::function<void()> poll;
    // On the monitor thread, not connected: the values for the live counter just advanced.
    std::function<void(int liveCount)> sweep;
    bool Exists() const { return repaint || poll || sweep; }
  };

  MonitorThread(Records records, platform::UiThread& ui, platform::Clock& clock);
  // Stops the thread if it runs.
  ~MonitorThread();
  MonitorThread(const MonitorThread&) = delete;
  MonitorThread& operator=(const MonitorThread&) = delete;

  // Starts the cycles on a thread of the lowest priority the system grants. Once only.
  void Start();
  // Ends the thread and waits for it, without waiting out its sleep. A task it has posted to the
  // user-interface thread and is waiting for is skipped once stopping has begun; when this is
  // called on that thread while its event loop no longer runs, whileWaiting must let posted tasks
  // run (for example by processing events), or the wait could not end.
  void Stop(const std::function<void()>& whileWaiting = {});

  // One cycle, without the sleep before it: what the thread does ten times a second.
  void Cycle();

  void SetMainWindow(MainWindow hooks);
  void SetPositionWindow(Window hooks);  // the position values are polled by the monitor itself
  void SetWatchWindow(Window hooks);
  void SetDiagnosticWindow(Window hooks);

  // The live indicators of the watch and diagnostic windows (the position window's is in its
  // display record).
  LiveCounter watchLive;
  LiveCounter diagnosticLive;

 private:
  struct Hooks {
    MainWindow main;
    Window position;
    Window watch;
    Window diagnostic;
  };

  void Run();
  Hooks CopyHooks();
  std::string Ask(std::string_view command);
  void NotConnectedCycle(const Hooks& hooks);
  void PollGatherStatus(const MainWindow& main);
  void CheckTestMoveEnd(const MainWindow& main);
  void PollPositions(const Window& window);
  void Repaint(const Window& window, bool erase);
  void RepaintGatherPanel(const MainWindow& main);
  // Runs the task on the user-interface thread and waits for it, unless stopping has begun.
  void RunOnUiThread(const std::function<void()>& task);

  Records records_;
  platform::UiThread& ui_;
  platform::Clock& clock_;

  std::mutex hooksMutex_;
  Hooks hooks_;  // guarded by hooksMutex_

  std::mutex stopMutex_;
  std::condition_variable stopCv_;
  bool stop_ = false;      // guarded by stopMutex_
  bool finished_ = false;  // guarded by stopMutex_
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace monitor
}  // namespace bl
