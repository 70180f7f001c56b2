#pragma once

#include <QDialog>
#include <array>

#include "tools/backup_presenter.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

namespace bl::tools {

// "Backup PMAC Configuration": the thirteen section boxes in three groups, the status line and
// "OK"/"Cancel". A repeating 250 ms timer runs the backup one step per tick, so the dialog stays
// responsive and Cancel (or Escape) is seen between steps.
class BackupDialog : public QDialog {
 public:
  BackupDialog(BackupPresenter& presenter, QWidget* parent = nullptr);

  QCheckBox& Box(BackupSwitch s) { return *boxes_.at(static_cast<std::size_t>(s)); }
  QLabel& StatusLine() { return *status_; }
  QPushButton& OkButton() { return *ok_; }
  QPushButton& CancelButton() { return *cancel_; }

  // Escape and the close box come here.
  void reject() override;

 private:
  void Tick();

  BackupPresenter& presenter_;
  std::array<QCheckBox*, kBackupSwitchCount> boxes_{};
  QLabel* status_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QTimer* timer_ = nullptr;
};

// Opens the dialog modally; returns when it closes.
void RunBackupDialog(QWidget* parent, BackupPresenter& presenter);

}  // namespace bl::tools
