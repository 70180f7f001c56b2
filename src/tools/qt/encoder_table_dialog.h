#pragma once

#include <QDialog>
#include <array>

#include "tools/encoder_table_presenter.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace bl::tools {

// "PMAC Encoder Conversion Table Editor": the table's lines, the "Selected ECT Entry" group
// with the controls the entry's type uses, and the buttons. Every control goes to the
// presenter; the list and the group are drawn again after each.
class EncoderTableDialog : public QDialog {
 public:
  EncoderTableDialog(EncoderTablePresenter& presenter, QWidget* parent = nullptr);

  QListWidget& List() { return *list_; }
  QComboBox& TypeBox() { return *type_; }
  QLineEdit& Field(EctField field) { return *fields_.at(static_cast<std::size_t>(field)); }
  QLabel& FieldLabel(EctField field) { return *labels_.at(static_cast<std::size_t>(field)); }
  QCheckBox& Box(int box) { return *boxes_.at(static_cast<std::size_t>(box)); }
  QPushButton& InsertButton() { return *insert_; }
  QPushButton& DeleteButton() { return *delete_; }
  QPushButton& OkButton() { return *ok_; }

  void Fill();

 private:
  void FillGroup();

  EncoderTablePresenter& presenter_;
  QListWidget* list_ = nullptr;
  QComboBox* type_ = nullptr;
  std::array<QLineEdit*, kEctFieldCount> fields_{};
  std::array<QLabel*, kEctFieldCount> labels_{};
  std::array<QCheckBox*, kEctBoxCount> boxes_{};
  QLabel* secondLine_ = nullptr;
  QLabel* thirdLine_ = nullptr;
  QPushButton* insert_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* ok_ = nullptr;
  // Set while the controls are refilled, when their own signals must not count as edits.
  bool filling_ = false;
};

// Reads the table, then runs the dialog modally; "OK" writes the table back, Cancel does not.
void RunEncoderTableDialog(QWidget* parent, EncoderTablePresenter& presenter);

}  // namespace bl::tools
