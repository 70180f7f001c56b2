#include "tuning/qt/motor_tuning_sheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "tuning/qt/wait_cursor.h"

namespace bl::tuning {

MotorTuningSheet::MotorTuningSheet(QWidget* parent) : QDialog(parent), tabs_(new QTabWidget) {
  setWindowTitle("Motor Tuning");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  // Enter in an edit field writes that field; it must not press a button as well.
  buttons->button(QDialogButtonBox::Ok)->setAutoDefault(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (shown_) Switch(index);
  });
}

void MotorTuningSheet::AddPage(TuningPage* page, const QString& title) {
  pages_.push_back(page);
  tabs_->addTab(page, title);
  for (QPushButton* button : page->findChildren<QPushButton*>()) button->setAutoDefault(false);
}

void MotorTuningSheet::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  Switch(tabs_->currentIndex());
}

void MotorTuningSheet::Switch(int index) {
  if (current_ >= 0 && current_ < static_cast<int>(pages_.size())) pages_[current_]->Leave();
  current_ = index;
  if (index < 0 || index >= static_cast<int>(pages_.size())) return;
  WaitCursor wait;
  pages_[index]->Activate();
}

void MotorTuningSheet::done(int result) {
  if (current_ >= 0 && current_ < static_cast<int>(pages_.size())) pages_[current_]->Leave();
  current_ = -1;
  QDialog::done(result);
}

}  // namespace bl::tuning
