#include "editor/qt/find_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"

namespace bl::editor {

namespace {

QLineEdit* Field(const std::string& text, QWidget* parent) {
  auto* field = new QLineEdit(platform::ToQt(text), parent);
  field->setMaxLength(kMaxFindField);
  return field;
}

// The dialog that is open over owner: closing one hides it at once, deleting it follows later.
// (The dialog has no meta-object of its own, so Qt's casts would take any dialog for it.)
FindReplaceDialog* OpenDialog(QWidget* owner) {
  for (QDialog* child : owner->findChildren<QDialog*>(Qt::FindDirectChildrenOnly))
    if (auto* dialog = dynamic_cast<FindReplaceDialog*>(child); dialog && dialog->isVisible())
      return dialog;
  return nullptr;
}

}  // namespace

FindReplaceDialog::FindReplaceDialog(EditorContext& context, QWidget* parent)
    : QDialog(parent),
      presenter_(context.state, context.find, context.desktop),
      find_(Field(context.find.findText, this)),
      replace_(Field(context.find.replaceText, this)),
      upwards_(new QCheckBox("Search Upwards", this)),
      caseSensitive_(new QCheckBox("Case Sensitive", this)),
      findNext_(new QPushButton("Find Next", this)),
      replaceOne_(new QPushButton("Replace", this)),
      replaceAll_(new QPushButton("Replace All", this)),
      cancel_(new QPushButton("Cancel", this)) {
  presenter_.Open();
  setWindowTitle("Find and Replace");
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose);
  upwards_->setChecked(context.find.searchUpwards);
  caseSensitive_->setChecked(context.find.caseSensitive);
  findNext_->setDefault(true);

  auto* fields = new QGridLayout;
  fields->addWidget(new QLabel("Find:", this), 0, 0);
  fields->addWidget(find_, 0, 1);
  fields->addWidget(new QLabel("Replace With:", this), 1, 0);
  fields->addWidget(replace_, 1, 1);
  fields->addWidget(upwards_, 2, 1);
  fields->addWidget(caseSensitive_, 3, 1);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* button : {findNext_, replaceOne_, replaceAll_, cancel_})
    buttons->addWidget(button);
  buttons->addStretch();
  auto* top = new QHBoxLayout(this);
  top->addLayout(fields);
  top->addLayout(buttons);

  connect(find_, &QLineEdit::textChanged, this,
          [this](const QString& text) { presenter_.SetFindText(platform::FromQt(text)); });
  connect(replace_, &QLineEdit::textChanged, this,
          [this](const QString& text) { presenter_.SetReplaceText(platform::FromQt(text)); });
  connect(upwards_, &QCheckBox::toggled, this,
          [this](bool on) { presenter_.SetSearchUpwards(on); });
  connect(caseSensitive_, &QCheckBox::toggled, this,
          [this](bool on) { presenter_.SetCaseSensitive(on); });
  connect(findNext_, &QPushButton::clicked, this, [this] { presenter_.FindNext(); });
  connect(replaceOne_, &QPushButton::clicked, this, [this] { presenter_.Replace(); });
  connect(replaceAll_, &QPushButton::clicked, this, [this] { presenter_.ReplaceAll(); });
  connect(cancel_, &QPushButton::clicked, this, &QDialog::close);
}

FindReplaceDialog* OpenFindReplaceDialog(QWidget* owner, EditorContext& context) {
  if (FindReplaceDialog* open = OpenDialog(owner)) return open;
  auto* dialog = new FindReplaceDialog(context, owner);
  dialog->show();
  return dialog;
}

void CloseFindReplaceDialog(QWidget* owner) {
  if (FindReplaceDialog* open = OpenDialog(owner)) open->close();
}

}  // namespace bl::editor
