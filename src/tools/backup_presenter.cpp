#include "tools/backup_presenter.h"

#include "controller/controller_type.h"
#include "link/pmac_link.h"
#include "platform/desktop.h"

namespace bl::tools {

BackupPresenter::BackupPresenter(PmacLink& link, platform::Desktop& desktop,
                                 const ControllerType& type, BackupSwitches& switches)
    : checks(switches.on), link_(link), desktop_(desktop), type_(type), switches_(switches) {}

void BackupPresenter::Ok() {
  if (step_ != 0) return;
  if (link_.PmacDevice() == -1) {
    desktop_.ShowMessage("Not Connected to a PMAC Device.", "Error");
    return;
  }
  switches_.on = checks;
  step_ = kBackupOpenStep;
  busy_ = false;
}

bool BackupPresenter::Cancel() {
  if (step_ == 0) return true;
  step_ = kBackupCloseStep;
  return false;
}

bool BackupPresenter::Tick() {
  if (busy_ || step_ == 0) return false;
  busy_ = true;
  RunStep();
  busy_ = false;
  if (step_ != 0) ++step_;
  return ended_;
}

void BackupPresenter::RunStep() {
  std::string error;
  if (step_ == kBackupOpenStep) {
    platform::FileDialogRequest request;
    request.title = "Backup PMAC Configuration";
    request.filters = {{"PMAC Configuration Files (*.pmc)", "*.pmc"}, {"All Files  (*.*)", "*.*"}};
    request.defaultExtension = "cfg";
    const auto path = desktop_.ChooseSaveFile(request);
    job_.emplace(link_, BackupTarget{type_.typeCode.load(), type_.variableCount}, switches_);
    if (!path || !job_->Open(*path, error)) {
      job_.reset();
      step_ = 0;
    }
    return;
  }
  if (step_ >= kBackupCloseStep) {
    // Also after Cancel: the sections written so far are kept.
    const bool closed = !job_ || job_->Close(error);
    job_.reset();
    if (!closed) {
      Stopped(error);
      return;
    }
    step_ = 0;
    ended_ = true;
    return;
  }
  if (!job_) {
    step_ = 0;
    return;
  }
  if (!job_->RunStep(step_, error)) Stopped(error);
}

void BackupPresenter::Stopped(const std::string& error) {
  job_.reset();
  step_ = 0;
  desktop_.ShowMessage("The backup has stopped: " + error + ". No file was written or replaced.",
                       "Backup Error", platform::MessageButtons::Ok, platform::MessageIcon::Error);
}

}  // namespace bl::tools
