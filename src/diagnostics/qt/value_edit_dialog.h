#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace bl::diagnostics {

class ValueEditPresenter;

// "Edit Diagnostic Window Value": the value box's title and description, its value to edit and
// its range. OK hands the new value to the presenter; OK and Cancel both close the dialog.
class ValueEditDialog : public QDialog {
 public:
  ValueEditDialog(ValueEditPresenter& presenter, QWidget* parent = nullptr);

  QLabel& TitleLabel() { return *title_; }
  QLabel& DescriptionLabel() { return *description_; }
  QLineEdit& ValueField() { return *value_; }
  QLineEdit& MaximumField() { return *maximum_; }
  QLineEdit& MinimumField() { return *minimum_; }
  QPushButton& OkButton() { return *ok_; }

  void accept() override;

 private:
  ValueEditPresenter& presenter_;
  QLabel* title_;
  QLabel* description_;
  QLineEdit* value_;
  QLineEdit* maximum_;
  QLineEdit* minimum_;
  QPushButton* ok_;
};

}  // namespace bl::diagnostics
