#include "diagnostics/qt/value_edit_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "diagnostics/value_edit.h"
#include "platform/qt/qt_fonts.h"

namespace bl::diagnostics {

ValueEditDialog::ValueEditDialog(ValueEditPresenter& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
  setWindowTitle("Edit Diagnostic Window Value");
  auto* layout = new QVBoxLayout(this);

  title_ = new QLabel("Title...", this);
  title_->setText(platform::ToQt(presenter.Title()));
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  title_->setTextFormat(Qt::PlainText);
  layout->addWidget(title_);
  description_ = new QLabel("Description...", this);
  description_->setText(platform::ToQt(presenter.Description()));
  description_->setWordWrap(true);
  description_->setTextFormat(Qt::PlainText);
  layout->addWidget(description_);

  auto* fields = new QFormLayout;
  const auto field = [&](const char* label, const std::string& text, bool editable) {
    auto* edit = new QLineEdit(platform::ToQt(text), this);
    edit->setMaxLength(255);
    edit->setReadOnly(!editable);
    fields->addRow(label, edit);
    return edit;
  };
  value_ = field("New Value:", presenter.Value(), true);
  maximum_ = field("Maximum:", presenter.Maximum(), false);
  minimum_ = field("Minimum:", presenter.Minimum(), false);
  layout->addLayout(fields);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &ValueEditDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ValueEditDialog::reject);
  layout->addWidget(buttons);
  value_->selectAll();
  value_->setFocus();
}

void ValueEditDialog::accept() {
  // A value out of range is dropped without a word; the dialog closes either way.
  presenter_.Accept(value_->text().toStdString());
  QDialog::accept();
}

}  // namespace bl::diagnostics
