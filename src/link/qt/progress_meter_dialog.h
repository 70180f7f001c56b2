#pragma once

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <thread>

#include "link/progress_meter.h"

class QLabel;

namespace bl {

namespace platform {
class CanvasWidget;
class UiThread;
}  // namespace platform

// "Progress Meter (Press ESC to Abort)": the caption above the bar, opened modally.
//
// The library's download runs on a worker thread so that the window keeps painting while it
// works; its message lines and repaints reach the user-interface thread through UiThread, and the
// meter closes when the call returns. While the download runs the window cannot be closed: ESC
// aborts through the progress callback. A data job steps on timer ticks on the user-interface
// thread.
class ProgressMeterDialog final : public QDialog {
 public:
  ProgressMeterDialog(ProgressMeter& meter, platform::UiThread& ui, QWidget* parent = nullptr);
  ~ProgressMeterDialog() override;

  // Opens the meter and returns when it has closed.
  void RunModal();

  platform::CanvasWidget* Bar() const { return bar_; }

 protected:
  void reject() override;

 private:
  void OnTimer();
  void StartDownload();
  void RequestRepaint();

  ProgressMeter& meter_;
  platform::UiThread& ui_;
  QLabel* caption_ = nullptr;
  platform::CanvasWidget* bar_ = nullptr;
  QTimer timer_;
  std::thread worker_;
  bool downloading_ = false;
  std::atomic<bool> repaintQueued_{false};
  // Made on the user-interface thread and copied by the worker: posted work checks it there.
  QPointer<ProgressMeterDialog> self_;
};

// The host through which ProgressMeter::Run shows this dialog, owned by owner.
ProgressMeter::ModalHost ProgressMeterDialogHost(platform::UiThread& ui, QWidget* owner);

}  // namespace bl
