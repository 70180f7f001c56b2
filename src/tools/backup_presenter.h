#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "tools/backup.h"

namespace bl {
class PmacLink;
struct ControllerType;
namespace platform {
class Desktop;
}
}  // namespace bl

namespace bl::tools {

// The dialog "Backup PMAC Configuration": its check boxes and status line, and the steps its
// 250 ms timer drives, one per tick.
class BackupPresenter {
 public:
  BackupPresenter(PmacLink& link, platform::Desktop& desktop, const ControllerType& type,
                  BackupSwitches& switches);

  // The check boxes (the servo-routines box is shown disabled).
  std::array<bool, kBackupSwitchCount> checks{};

  // BackupStep: the step the next tick runs; 0 idle.
  int Step() const { return step_; }
  bool Busy() const { return busy_; }
  // The status line: the text of the step.
  std::string_view StatusText() const { return BackupStepText(step_); }

  // "OK": starts a backup when idle (not connected: a message, and the dialog stays idle).
  void Ok();
  // "Cancel" or Escape: while a backup runs the next tick closes the file; when idle, true:
  // the dialog closes now.
  bool Cancel();
  // One timer tick; true when the dialog ends (the file closed).
  bool Tick();

 private:
  void RunStep();
  // A write that failed or a controller gone: the copy is dropped, the user told.
  void Stopped(const std::string& error);

  PmacLink& link_;
  platform::Desktop& desktop_;
  const ControllerType& type_;
  BackupSwitches& switches_;
  std::optional<BackupJob> job_;
  int step_ = 0;
  bool busy_ = false;
  bool ended_ = false;
};

}  // namespace bl::tools
