#include "tools/qt/backup_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"

namespace bl::tools {

using platform::ToQt;

namespace {
constexpr int kTickMs = 250;
}

BackupDialog::BackupDialog(BackupPresenter& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
  setWindowTitle("Backup PMAC Configuration");

  const auto box = [this](BackupSwitch s, QWidget* group) {
    auto* check = new QCheckBox(ToQt(kBackupSwitchLabels[static_cast<std::size_t>(s)]), group);
    check->setChecked(presenter_.checks[static_cast<std::size_t>(s)]);
    connect(check, &QCheckBox::toggled, this,
            [this, s](bool on) { presenter_.checks[static_cast<std::size_t>(s)] = on; });
    boxes_[static_cast<std::size_t>(s)] = check;
    return check;
  };

  auto* variables = new QGroupBox("Variables", this);
  auto* variablesLayout = new QVBoxLayout(variables);
  for (BackupSwitch s : {kBackupP, kBackupQ, kBackupM, kBackupI})
    variablesLayout->addWidget(box(s, variables));

  auto* programs = new QGroupBox("Programs", this);
  auto* programsLayout = new QVBoxLayout(programs);
  for (BackupSwitch s : {kBackupMotion, kBackupPlc, kBackupPlcc, kBackupServoRoutines})
    programsLayout->addWidget(box(s, programs));
  // Nothing is written for the user's own servo and phase routines.
  Box(kBackupServoRoutines).setEnabled(false);

  auto* misc = new QGroupBox("Miscellaneous", this);
  auto* miscLayout = new QVBoxLayout(misc);
  for (BackupSwitch s :
       {kBackupCoordinateSystems, kBackupCompensation, kBackupEncoderTable, kBackupMacro})
    miscLayout->addWidget(box(s, misc));
  auto* option16 = new QHBoxLayout;
  option16->addWidget(box(kBackupOption16, misc));
  auto* notes = new QVBoxLayout;
  notes->addWidget(new QLabel("(Non-Turbo  $A000-$BBFF)", misc));
  notes->addWidget(new QLabel("(Turbo  $50000-$53FFF or $50000-$5FFFF)", misc));
  option16->addLayout(notes);
  option16->addStretch(1);
  miscLayout->addLayout(option16);

  auto* top = new QHBoxLayout;
  top->addWidget(variables);
  top->addWidget(programs);

  status_ = new QLabel(ToQt(presenter_.StatusText()), this);
  status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);

  ok_ = new QPushButton("OK", this);
  ok_->setDefault(true);
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setAutoDefault(false);
  connect(ok_, &QPushButton::clicked, this, [this] { presenter_.Ok(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(misc);
  layout->addWidget(status_);
  layout->addLayout(buttons);

  timer_ = new QTimer(this);
  timer_->setInterval(kTickMs);
  connect(timer_, &QTimer::timeout, this, [this] { Tick(); });
  timer_->start();
}

void BackupDialog::reject() {
  if (presenter_.Cancel()) QDialog::reject();
}

void BackupDialog::Tick() {
  status_->setText(ToQt(presenter_.StatusText()));
  // The status line shows before the step holds the thread.
  status_->repaint();
  if (presenter_.Tick()) {
    timer_->stop();
    accept();
  }
}

void RunBackupDialog(QWidget* parent, BackupPresenter& presenter) {
  BackupDialog dialog(presenter, parent);
  dialog.exec();
}

}  // namespace bl::tools
