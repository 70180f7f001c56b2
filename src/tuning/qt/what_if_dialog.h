#pragma once

#include <QDialog>
#include <array>

#include "tuning/what_if_presenter.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace bl::tuning {

class CurvePlot;

// "What If": the plant identified from a run, fields for the gains and filter to try, the move
// to try them on, and the predicted time and frequency responses beside them.
class WhatIfDialog : public QDialog {
 public:
  WhatIfDialog(WhatIfPresenter& presenter, QWidget* parent = nullptr);

  QLineEdit& Field(std::size_t field) { return *fields_[field]; }
  QComboBox& MoveChoice() { return *move_; }
  QLineEdit& MoveField(std::size_t field) { return *moveFields_[field]; }
  QLineEdit& PhaseMarginGoal() { return *phaseGoal_; }
  QLineEdit& GainMarginGoal() { return *gainGoal_; }
  QPushButton& SuggestButton() { return *suggest_; }
  QPushButton& ApplyButton() { return *apply_; }
  QLabel& Results() { return *results_; }
  QLabel& PlantText() { return *plant_; }
  CurvePlot& TimePlot() { return *time_; }
  CurvePlot& MagnitudePlot() { return *magnitude_; }
  CurvePlot& PhasePlot() { return *phase_; }

 private:
  void MoveEdited();
  void Refresh();

  WhatIfPresenter& presenter_;
  std::array<QLineEdit*, kWhatIfFields.size()> fields_{};
  QComboBox* move_ = nullptr;
  std::array<QLineEdit*, 4> moveFields_{};  // size, dwell, velocity, acceleration
  QLineEdit* phaseGoal_ = nullptr;
  QLineEdit* gainGoal_ = nullptr;
  QPushButton* suggest_ = nullptr;
  QPushButton* apply_ = nullptr;
  QLabel* suggestion_ = nullptr;
  QLabel* results_ = nullptr;
  QLabel* plant_ = nullptr;
  CurvePlot* time_ = nullptr;
  CurvePlot* magnitude_ = nullptr;
  CurvePlot* phase_ = nullptr;
};

}  // namespace bl::tuning
