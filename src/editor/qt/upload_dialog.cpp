#include "editor/qt/upload_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"

namespace bl::editor {

UploadDialog::UploadDialog(UploadPresenter& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
  setWindowTitle("Upload Motion Program or PLC Program from PMAC");
  auto* layout = new QVBoxLayout(this);

  auto* selection = new QGroupBox("Program Selection", this);
  auto* selectionLayout = new QVBoxLayout(selection);
  plc_ = new QRadioButton("PLC Program", selection);
  motion_ = new QRadioButton("Motion Program", selection);
  (presenter.plc ? plc_ : motion_)->setChecked(true);
  selectionLayout->addWidget(plc_);
  selectionLayout->addWidget(motion_);
  auto* numberRow = new QFormLayout;
  number_ = new QLineEdit(platform::ToQt(presenter.numberText), selection);
  number_->setObjectName("ProgramNumber");
  number_->setMaxLength(100);
  numberRow->addRow("Program Number:", number_);
  selectionLayout->addLayout(numberRow);
  layout->addWidget(selection);

  auto* names = new QGroupBox("Variable Definitions", this);
  auto* namesLayout = new QVBoxLayout(names);
  const auto check = [&](const char* text, bool on) {
    auto* box = new QCheckBox(text, names);
    box->setChecked(on);
    namesLayout->addWidget(box);
    return box;
  };
  p_ = check("Replace P-Variables with variable names.", presenter.switches.p);
  q_ = check("Replace Q-variables with variable names.", presenter.switches.q);
  m_ = check("Replace M-Variables with variable names.", presenter.switches.m);
  i_ = check("Replace I-Variables with variable names.", presenter.switches.i);
  layout->addWidget(names);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  buttons->addWidget(ok);
  layout->addLayout(buttons);
}

void UploadDialog::accept() {
  presenter_.numberText = number_->text().toStdString();
  presenter_.plc = plc_->isChecked();
  presenter_.switches = {p_->isChecked(), q_->isChecked(), m_->isChecked(), i_->isChecked()};
  QDialog::accept();
}

bool RunUploadDialog(QWidget* parent, UploadPresenter& presenter) {
  UploadDialog dialog(presenter, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace bl::editor
