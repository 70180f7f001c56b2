#pragma once

#include <array>
#include <atomic>

#include "tuning/gain_pages.h"
#include "tuning/qt/tuning_page.h"

class QLineEdit;
class QPushButton;

namespace bl::tuning {

class MotorSelectionGroup;

// "Position Loop Tuning": the six gains of the addressed motor with their buttons.
class GainPage : public TuningPage {
 public:
  GainPage(PmacLink& link, std::atomic<int>& addressedMotor, const int& motorCount,
           std::array<int, 6>& gains, QWidget* parent = nullptr);

  void Activate() override;

  // The field and buttons of a row of kGainRows.
  QLineEdit& Field(std::size_t row) { return *fields_[row]; }
  QPushButton& DownButton(std::size_t row) { return *down_[row]; }
  QPushButton& UpButton(std::size_t row) { return *up_[row]; }
  MotorSelectionGroup& Selection() { return *group_; }

 private:
  void Render();

  GainPagePresenter presenter_;
  MotorSelectionGroup* group_;
  std::array<QLineEdit*, 6> fields_{};
  std::array<QPushButton*, 6> down_{};
  std::array<QPushButton*, 6> up_{};
};

// "Position Loop Modifiers": the twelve fields of kModifierFields.
class ModifiersPage : public TuningPage {
 public:
  ModifiersPage(PmacLink& link, std::atomic<int>& addressedMotor, const int& motorCount,
                std::array<int, 12>& values, QWidget* parent = nullptr);

  void Activate() override;
  QLineEdit& Field(std::size_t field) { return *fields_[field]; }
  MotorSelectionGroup& Selection() { return *group_; }

 private:
  void Render();

  ModifiersPagePresenter presenter_;
  MotorSelectionGroup* group_;
  std::array<QLineEdit*, 12> fields_{};
};

}  // namespace bl::tuning
