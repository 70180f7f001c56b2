#include "definitions/qt/select_variable_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"

namespace bl {

SelectVariableDialog::SelectVariableDialog(const DefinitionTable& table,
                                           SelectVariableMemory& memory, QWidget* parent)
    : QDialog(parent), presenter_(table, memory), list_(new QListWidget(this)) {
  setWindowTitle("Select PMAC Variable");
  list_->setFont(platform::MakeQtFont(platform::FontId::Fixed));
  list_->setMinimumSize(360, 240);

  auto* kinds = new QHBoxLayout;
  const char* labels[] = {"P-Variables", "Q-Variables", "M-Variables", "I-Variables"};
  for (int kind = 1; kind <= 4; ++kind) {
    auto* button = new QPushButton(labels[kind - 1], this);
    button->setAutoDefault(false);
    kinds->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, kind] {
      presenter_.ChooseKind(kind);
      Refill();
    });
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::currentRowChanged, this,
          [this](int row) { presenter_.SelectLine(row); });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(kinds);
  layout->addWidget(buttons);
  Refill();
}

void SelectVariableDialog::Refill() {
  const int selected = presenter_.Selected();
  list_->blockSignals(true);
  list_->clear();
  for (const std::string& line : presenter_.Lines()) list_->addItem(platform::ToQt(line));
  list_->setCurrentRow(selected);
  list_->blockSignals(false);
}

void SelectVariableDialog::accept() {
  chosen_ = presenter_.Accept();
  QDialog::accept();
}

void SelectVariableDialog::reject() {
  presenter_.Cancel();
  QDialog::reject();
}

std::optional<std::string> ChooseDefinedVariable(QWidget* parent, const DefinitionTable& table,
                                                 SelectVariableMemory& memory, int insertKind) {
  memory.insertKind = insertKind;
  SelectVariableDialog dialog(table, memory, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Chosen();
}

}  // namespace bl
