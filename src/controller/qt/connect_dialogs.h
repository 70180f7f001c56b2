#pragma once

#include <QDialog>

#include "controller/connect_presenter.h"

class QLabel;
class QPushButton;

namespace bl {

// "Connect to PMAC": a status line, Connect, Disconnect and Work Offline, and a picture.
class ConnectDialog : public QDialog {
 public:
  ConnectDialog(ConnectPresenter& presenter, QWidget* parent = nullptr);

  ConnectPresenter::Outcome Outcome() const { return outcome_; }
  QPushButton& ConnectButton() { return *connect_; }
  QPushButton& DisconnectButton() { return *disconnect_; }
  QPushButton& WorkOfflineButton() { return *offline_; }
  QLabel& Status() { return *status_; }

  void reject() override;

 private:
  void ShowState();

  ConnectPresenter& presenter_;
  QLabel* status_;
  QPushButton* connect_;
  QPushButton* disconnect_;
  QPushButton* offline_;
  ConnectPresenter::Outcome outcome_ = ConnectPresenter::Outcome::Closed;
};

// "Work Offline": six controller types with the boards each stands for.
class WorkOfflineDialog : public QDialog {
 public:
  WorkOfflineDialog(WorkOfflinePresenter& presenter, QWidget* parent = nullptr);
  void reject() override;

 private:
  WorkOfflinePresenter& presenter_;
  bool chosen_ = false;
};

// The whole connection visit: "Connect to PMAC", then "Work Offline" when the user asks for it or
// when the program has no controller type yet.
void RunConnectionDialogs(QWidget* parent, ConnectPresenter& connect,
                          WorkOfflinePresenter& offline);

}  // namespace bl
