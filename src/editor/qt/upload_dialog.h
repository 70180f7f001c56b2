#pragma once

#include <QDialog>

#include "editor/editor_transfer.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace bl::editor {

// "Upload Motion Program or PLC Program from PMAC": which program to list and which variables
// get their names back. OK writes the controls into the presenter; Escape and the close box
// leave it alone.
class UploadDialog final : public QDialog {
 public:
  UploadDialog(UploadPresenter& presenter, QWidget* parent = nullptr);

  void accept() override;

 private:
  UploadPresenter& presenter_;
  QRadioButton* plc_;
  QRadioButton* motion_;
  QLineEdit* number_;
  QCheckBox* p_;
  QCheckBox* q_;
  QCheckBox* m_;
  QCheckBox* i_;
};

// Shows the dialog modally; true when it ended with OK.
bool RunUploadDialog(QWidget* parent, UploadPresenter& presenter);

}  // namespace bl::editor
