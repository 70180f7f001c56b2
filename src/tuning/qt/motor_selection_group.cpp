#include "tuning/qt/motor_selection_group.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"
#include "tuning/qt/tuning_page.h"
#include "tuning/qt/wait_cursor.h"

namespace bl::tuning {

MotorSelectionGroup::MotorSelectionGroup(MotorSelection& selection,
                                         std::function<void()> selected, QWidget* parent)
    : QGroupBox("Motor Selection", parent),
      selection_(selection),
      selected_(std::move(selected)),
      list_(new QComboBox(this)) {
  auto* enable = new QPushButton("Enable Motor", this);
  auto* kill = new QPushButton("Kill Motor", this);
  auto* killAll = new QPushButton("KILL ALL MOTORS!", this);
  killAll->setStyleSheet("QPushButton { color: #c00000; font-weight: bold; }");
  for (QPushButton* button : {enable, kill, killAll}) button->setAutoDefault(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(enable);
  layout->addWidget(kill);
  layout->addWidget(killAll);
  layout->addStretch();

  // Only a choice by the user addresses a motor, not the list being filled.
  connect(list_, &QComboBox::activated, this, [this](int index) {
    selection_.Select(index);
    if (selected_) selected_();
  });
  connect(enable, &QPushButton::clicked, this, [this] { selection_.Enable(); });
  connect(kill, &QPushButton::clicked, this, [this] { selection_.Kill(); });
  connect(killAll, &QPushButton::clicked, this, [this] { selection_.KillAll(); });
}

MotorSelectionGroup* MotorSelectionGroup::ForPage(MotorSelection& selection, TuningPage* page) {
  return new MotorSelectionGroup(
      selection,
      [page] {
        WaitCursor wait;
        page->Activate();
      },
      page);
}

void MotorSelectionGroup::Fill() {
  const QSignalBlocker quiet(list_);
  list_->clear();
  for (const std::string& entry : selection_.Entries()) list_->addItem(platform::ToQt(entry));
  list_->setCurrentIndex(selection_.SelectedIndex());
}

}  // namespace bl::tuning
