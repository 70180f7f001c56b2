#pragma once

#include <QDialog>
#include <array>

#include "tuning/reference_series_presenter.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace bl::tuning {

// "Create Reference Series": the series to overwrite, the signal's type and settings, and the
// two buttons. Every control goes to the presenter; the fields are shown again after each.
class ReferenceSeriesDialog : public QDialog {
 public:
  ReferenceSeriesDialog(ReferenceSeriesPresenter& presenter, QWidget* parent = nullptr);

  QComboBox& SeriesList() { return *seriesList_; }
  QRadioButton& TypeButton(ReferenceType type) {
    return *types_.at(static_cast<std::size_t>(type));
  }
  QLineEdit& Field(ReferenceField field) { return *fields_.at(static_cast<std::size_t>(field)); }
  QPushButton& CreateButton() { return *create_; }
  QPushButton& DoneButton() { return *done_; }

  // Fills the list and shows every field from the settings.
  void Fill();

 private:
  ReferenceSeriesPresenter& presenter_;
  QComboBox* seriesList_ = nullptr;
  std::array<QRadioButton*, kReferenceTypeCount> types_{};
  std::array<QLineEdit*, kReferenceFieldCount> fields_{};
  QPushButton* create_ = nullptr;
  QPushButton* done_ = nullptr;
};

// Opens the presenter, then the dialog, modally; returns when "Done" (or Esc) closes it.
void RunReferenceSeriesDialog(QWidget* parent, ReferenceSeriesPresenter& presenter);

}  // namespace bl::tuning
