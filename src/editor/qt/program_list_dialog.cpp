#include "editor/qt/program_list_dialog.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/program_list.h"
#include "platform/qt/qt_fonts.h"

namespace bl::editor {

ProgramListDialog::ProgramListDialog(EditorState& state, QWidget* parent)
    : QDialog(parent), state_(state), list_(new QListWidget(this)) {
  setWindowTitle("Program List");
  list_->setFont(platform::MakeQtFont(platform::FontId::Fixed));
  for (const std::string& entry : ProgramList(state_.editorText))
    list_->addItem(platform::ToQt(entry));
  list_->setMinimumWidth(360);
  connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  auto* top = new QVBoxLayout(this);
  top->addWidget(list_);
  top->addLayout(buttons);
}

void ProgramListDialog::accept() {
  if (list_->currentItem() && list_->currentItem()->isSelected())
    JumpToProgram(state_, list_->currentRow());
  QDialog::accept();
}

void RunProgramListDialog(QWidget* parent, EditorState& state) {
  ProgramListDialog dialog(state, parent);
  dialog.exec();
  if (state.focusEditor) state.focusEditor();
}

}  // namespace bl::editor
