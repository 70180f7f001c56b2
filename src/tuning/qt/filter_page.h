#pragma once

#include <array>
#include <atomic>
#include <memory>

#include "series/qt/filter_set_controls.h"
#include "tuning/filter_page_presenter.h"
#include "tuning/qt/tuning_page.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace bl::tuning {

class MotorSelectionGroup;

// "Position Loop Filter": the motor's coefficients Ix36 to Ix39 beside the designed ones, and
// the numerator and denominator designers.
class FilterPage : public TuningPage {
 public:
  FilterPage(PmacLink& link, std::atomic<int>& addressedMotor, const int& motorCount,
             PositionLoopValues& values, QWidget* parent = nullptr);

  void Activate() override;

  QLineEdit& Coefficient(std::size_t index) { return *coefficients_[index]; }
  QLineEdit& Design(std::size_t index) { return *design_[index]; }
  QPushButton& ApplyButton() { return *apply_; }
  QPushButton& EditButton() { return *edit_; }
  QPushButton& DeleteButton() { return *delete_; }
  QButtonGroup& KindButtons(series::FilterSet set) { return designers_[Index(set)]->Kinds(); }
  QSlider& Slider(series::FilterSet set, int row) { return designers_[Index(set)]->Slider(row); }
  QLabel& SliderValue(series::FilterSet set, int row) { return designers_[Index(set)]->Value(row); }
  QLabel& SliderCaption(series::FilterSet set, int row) {
    return designers_[Index(set)]->Caption(row);
  }
  MotorSelectionGroup& Selection() { return *group_; }

 private:
  static std::size_t Index(series::FilterSet set) { return static_cast<std::size_t>(set); }

  QWidget* BuildCoefficients();
  QWidget* BuildDesigners();
  QWidget* BuildDesigner(series::FilterSet set);
  void RenderCoefficients();
  void RenderDesign();

  FilterPagePresenter presenter_;
  MotorSelectionGroup* group_;
  std::array<QLineEdit*, 4> coefficients_{};
  std::array<QLineEdit*, 4> design_{};
  QPushButton* apply_ = nullptr;
  QPushButton* edit_ = nullptr;
  QPushButton* delete_ = nullptr;
  std::array<std::unique_ptr<series::FilterSetControls>, 2> designers_;
};

}  // namespace bl::tuning
