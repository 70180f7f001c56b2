#pragma once

#include <QDialog>

#include "tuning/tuning_history_presenter.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace bl::tuning {

// "Tuning History": the motor's runs, the buttons over the selected ones, and the difference
// table "Compare" fills.
class TuningHistoryDialog : public QDialog {
 public:
  TuningHistoryDialog(TuningHistoryPresenter& presenter, QWidget* parent = nullptr);

  QTableWidget& RunList() { return *runs_; }
  QTableWidget& DifferenceTable() { return *differences_; }
  QLabel& Notes() { return *notes_; }
  QPushButton& OverlayButton() { return *overlay_; }
  QPushButton& CompareButton() { return *compare_; }
  QPushButton& DeleteButton() { return *delete_; }
  QPushButton& WhatIfButton() { return *whatIf_; }
  QPushButton& BodeButton() { return *bode_; }

 private:
  std::vector<int> Selected() const;
  void FillRuns();
  void FillDifferences();

  TuningHistoryPresenter& presenter_;
  QTableWidget* runs_ = nullptr;
  QTableWidget* differences_ = nullptr;
  QLabel* compared_ = nullptr;
  QLabel* notes_ = nullptr;
  QPushButton* overlay_ = nullptr;
  QPushButton* compare_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* whatIf_ = nullptr;
  QPushButton* bode_ = nullptr;
};

}  // namespace bl::tuning
