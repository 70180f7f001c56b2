#include "link/progress_meter.h"

#include <algorithm>

#include "link/pmac_link.h"
#include "platform/color_palette.h"
#include "platform/desktop.h"
#include "platform/ui_thread.h"
#include "terminal_lines/terminal_lines.h"

namespace bl {

namespace {
constexpr int kMessageColor = 0;
}

ProgressMeter::ProgressMeter(PmacLink& link, Terminal& terminal, platform::Desktop& desktop,
                             platform::UiThread& ui)
    : link_(link), terminal_(terminal), desktop_(desktop), ui_(ui) {}

ProgressResult ProgressMeter::Run() {
  if (host) {
    host(*this);
  } else {
    Open();
    while (IsOpen() && pendingTimer_) TimerFired();
  }
  // A host that ended without a close counts as a cancel.
  if (IsOpen()) Close(ProgressResult::Cancel);
  return result_.value_or(ProgressResult::Cancel);
}

void ProgressMeter::Open() {
  progressPercent = 0;
  result_.reset();
  jobDone_ = false;
  open_ = true;
  StartTimer(kStartDelayMs);
}

void ProgressMeter::StartTimer(int milliseconds) {
  pendingTimer_ = milliseconds;
  if (view.startTimer) view.startTimer(milliseconds);
}

void ProgressMeter::Close(ProgressResult result) {
  if (!open_) return;
  open_ = false;
  pendingTimer_.reset();
  result_ = result;
  if (view.close) view.close(result);
}

void ProgressMeter::TimerFired() {
  if (!open_) return;
  pendingTimer_.reset();
  switch (progressTask) {
    case ProgressTask::Download:
      RunDownload();
      DownloadReturned();
      break;
    case ProgressTask::DataJob:
      DataJobTick();
      break;
    default:
      // No task to run: nothing would ever close the meter.
      Close(ProgressResult::Cancel);
      break;
  }
  // For a data job this ends the work between two steps.
  if (open_ && desktop_.Keys().escape) Close(ProgressResult::Cancel);
}

void ProgressMeter::DataJobTick() {
  if (view.repaintBar) view.repaintBar();
  if (!jobDone_ && step) {
    jobDone_ = step();
    StartTimer(0);
    return;
  }
  if (finish) finish();
  Close(ProgressResult::Ok);
}

void ProgressMeter::RunDownload() {
  link_.Download(
      fileName, [this](std::string_view text) { Message(text); },
      [this](int percent) { Progress(percent); });
}

void ProgressMeter::DownloadReturned() { Close(ProgressResult::Ok); }

void ProgressMeter::Progress(int percent) {
  if (desktop_.Keys().escape) link_.AbortDownload();
  progressPercent = percent;
  if (view.repaintBar) view.repaintBar();
}

void ProgressMeter::Message(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  if (text.size() >= kMessageLimit) return;
  // The terminal belongs to the user-interface thread; the download may run on another.
  if (ui_.IsUiThread()) {
    terminal_.TerminalAddLine(text, kMessageColor);
  } else {
    ui_.Post([this, line = std::string(text)] { terminal_.TerminalAddLine(line, kMessageColor); });
  }
}

void PaintProgressBar(platform::Canvas& canvas, const platform::Rect& bar, int percent) {
  // Held within the bar whatever the library reports.
  percent = std::clamp(percent, 0, 100);
  const int split = bar.left + static_cast<int>(bar.Width() * percent * 0.01);
  canvas.SetPen(platform::kBlack, 1);
  if (split > bar.left) {
    canvas.SetBrush(platform::kBlack);
    canvas.DrawRectangle({bar.left, bar.top, split, bar.bottom});
  }
  if (split < bar.right) {
    canvas.SetBrush(platform::kWhite);
    canvas.DrawRectangle({split, bar.top, bar.right, bar.bottom});
  }
}

}  // namespace bl
