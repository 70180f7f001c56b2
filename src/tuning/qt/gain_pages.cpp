#include "tuning/qt/gain_pages.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "platform/qt/qt_fonts.h"
#include "tuning/qt/leave_field.h"
#include "tuning/qt/motor_selection_group.h"

namespace bl::tuning {

namespace {

using platform::FromQt;
using platform::ToQt;

constexpr int kFieldWidth = 110;

// A page's fields on the left, its motor selection on the right.
void LayOut(QWidget* page, QGridLayout* fields, MotorSelectionGroup* group) {
  auto* left = new QVBoxLayout;
  left->addLayout(fields);
  left->addStretch();
  auto* columns = new QHBoxLayout(page);
  columns->addLayout(left, 1);
  columns->addWidget(group);
}

}  // namespace

GainPage::GainPage(PmacLink& link, std::atomic<int>& addressedMotor, const int& motorCount,
                   std::array<int, 6>& gains, QWidget* parent)
    : TuningPage(parent),
      presenter_(link, addressedMotor, motorCount, gains),
      group_(MotorSelectionGroup::ForPage(presenter_.Selection(), this)) {
  auto* grid = new QGridLayout;
  for (std::size_t row = 0; row < kGainRows.size(); ++row) {
    const GainRow& r = kGainRows[row];
    const Gain gain = r.gain;
    fields_[row] = new LeaveField(
        [this, gain](const QString& text) {
          presenter_.Edit(gain, FromQt(text));
          Render();
        },
        this);
    fields_[row]->setMinimumWidth(kFieldWidth);
    down_[row] = new QPushButton(ToQt(r.down), this);
    up_[row] = new QPushButton(ToQt(r.up), this);
    connect(down_[row], &QPushButton::clicked, this, [this, gain] {
      presenter_.Press(gain, false);
      Render();
    });
    connect(up_[row], &QPushButton::clicked, this, [this, gain] {
      presenter_.Press(gain, true);
      Render();
    });
    const int line = static_cast<int>(row);
    grid->addWidget(new QLabel(ToQt(r.label), this), line, 0);
    grid->addWidget(fields_[row], line, 1);
    grid->addWidget(down_[row], line, 2);
    grid->addWidget(up_[row], line, 3);
  }
  LayOut(this, grid, group_);
}

void GainPage::Activate() {
  presenter_.Activate();
  group_->Fill();
  Render();
}

void GainPage::Render() {
  for (std::size_t row = 0; row < kGainRows.size(); ++row)
    fields_[row]->setText(ToQt(presenter_.Text(kGainRows[row].gain)));
}

ModifiersPage::ModifiersPage(PmacLink& link, std::atomic<int>& addressedMotor,
                             const int& motorCount, std::array<int, 12>& values, QWidget* parent)
    : TuningPage(parent),
      presenter_(link, addressedMotor, motorCount, values),
      group_(MotorSelectionGroup::ForPage(presenter_.Selection(), this)) {
  auto* grid = new QGridLayout;
  for (std::size_t i = 0; i < kModifierFields.size(); ++i) {
    fields_[i] = new LeaveField(
        [this, i](const QString& text) {
          presenter_.Edit(i, FromQt(text));
          Render();
        },
        this);
    fields_[i]->setMinimumWidth(kFieldWidth);
    const int line = static_cast<int>(i);
    grid->addWidget(new QLabel(ToQt(kModifierFields[i].label), this), line, 0);
    grid->addWidget(fields_[i], line, 1);
  }
  LayOut(this, grid, group_);
}

void ModifiersPage::Activate() {
  presenter_.Activate();
  group_->Fill();
  Render();
}

void ModifiersPage::Render() {
  for (std::size_t i = 0; i < kModifierFields.size(); ++i)
    fields_[i]->setText(ToQt(presenter_.Text(i)));
}

}  // namespace bl::tuning
