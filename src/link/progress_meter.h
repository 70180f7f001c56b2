#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/canvas.h"
#include "platform/geometry.h"

namespace bl {

class PmacLink;
class Terminal;
namespace platform {
class Desktop;
class UiThread;
}  // namespace platform

enum class ProgressTask : int { Download = 1, DataJob = 2 };
enum class ProgressResult { Ok, Cancel };

inline constexpr std::string_view kProgressMeterTitle = "Progress Meter (Press ESC to Abort)";

// The modal progress meter: downloads a program file through the link (task 1) or runs a long
// data job step by step (task 2) while ESC, polled as the key's current state, aborts.
//
// This is the dialog's presenter: a window that shows it sets the view hooks and forwards its
// events (Open, TimerFired, ...); tests drive the same events headless. The library's callbacks
// (Progress, Message) may arrive on the thread that runs the download.
class ProgressMeter {
 public:
  static constexpr int kStartDelayMs = 2000;
  // Download messages this long or longer are not shown.
  static constexpr std::size_t kMessageLimit = 100;

  ProgressMeter(PmacLink& link, Terminal& terminal, platform::Desktop& desktop,
                platform::UiThread& ui);

  // Set by the caller before Run.
  ProgressTask progressTask = ProgressTask::Download;
  std::string caption;
  std::string fileName;  // task 1: the full path of the file to download
  // Task 2: one step per timer tick; it sets progressPercent and returns true when nothing is
  // pending any more. Then finish runs on the next tick and the meter closes as OK.
  std::function<bool()> step;
  std::function<void()> finish;
  // 0..100; set to 0 when the meter opens.
  std::atomic<int> progressPercent{0};

  // Shows the meter modally and returns when it has closed. The host is the dialog that shows it;
  // without one the meter runs at once on the calling thread, every timer firing immediately.
  using ModalHost = std::function<void(ProgressMeter&)>;
  ModalHost host;
  ProgressResult Run();

  // What the showing window provides. startTimer asks for one timer event after the delay (0:
  // the next step at once, through the event queue). repaintBar may be called from any thread.
  struct View {
    std::function<void(int milliseconds)> startTimer;
    std::function<void()> repaintBar;
    std::function<void(ProgressResult)> close;
  };
  View view;

  // Events.
  void Open();
  void TimerFired();
  // Task 1 in two halves, so a window may run the library call on another thread: the download
  // itself (returns when the library returns), then its end on the user-interface thread.
  void RunDownload();
  void DownloadReturned();
  // The OK and Cancel commands.
  void Command(ProgressResult result) { Close(result); }
  // The library's callbacks.
  void Progress(int percent);
  void Message(std::string_view text);

  bool IsOpen() const { return open_.load(); }
  std::optional<ProgressResult> Result() const { return result_; }
  // The delay of the timer event asked for and not yet fired.
  std::optional<int> PendingTimer() const { return pendingTimer_; }

 private:
  void StartTimer(int milliseconds);
  void Close(ProgressResult result);
  void DataJobTick();

  PmacLink& link_;
  Terminal& terminal_;
  platform::Desktop& desktop_;
  platform::UiThread& ui_;
  std::atomic<bool> open_{false};
  std::optional<ProgressResult> result_;
  std::optional<int> pendingTimer_;
  bool jobDone_ = false;
};

// The bar: a black pen; the part from the left edge to left + width × percent × 0.01 (truncated)
// filled black, the rest white.
void PaintProgressBar(platform::Canvas& canvas, const platform::Rect& bar, int percent);

}  // namespace bl
