#pragma once

#include <QDialog>

#include "tuning/frequency_response.h"

class QComboBox;
class QPushButton;

namespace bl::tuning {

// "Create Frequency Response": the commanded, actual and result series, and the two buttons.
class FrequencyResponseDialog : public QDialog {
 public:
  FrequencyResponseDialog(FrequencyResponsePresenter& presenter, QWidget* parent = nullptr);

  QComboBox& CommandedList() { return *commanded_; }
  QComboBox& ActualList() { return *actual_; }
  QComboBox& ResultList() { return *result_; }
  QPushButton& CreateButton() { return *create_; }
  QPushButton& DoneButton() { return *done_; }

  // Fills the three lists and selects the stored choices.
  void Fill();

 private:
  FrequencyResponsePresenter& presenter_;
  QComboBox* commanded_ = nullptr;
  QComboBox* actual_ = nullptr;
  QComboBox* result_ = nullptr;
  QPushButton* create_ = nullptr;
  QPushButton* done_ = nullptr;
};

// Opens the presenter, then the dialog, modally; returns when "Done" (or Esc) closes it.
void RunFrequencyResponseDialog(QWidget* parent, FrequencyResponsePresenter& presenter);

}  // namespace bl::tuning
