#include "editor/qt/print_dialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"

namespace bl::editor {

PrintFileDialog::PrintFileDialog(PrintPresenter& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter), print_(new QPushButton("Print", this)) {
  setWindowTitle("Print File");
  auto group = [this](const char* title, std::initializer_list<PrintField> fields) {
    auto* box = new QGroupBox(QString::fromLatin1(title), this);
    auto* form = new QFormLayout(box);
    for (PrintField field : fields) {
      auto* edit = new QLineEdit(platform::ToQt(presenter_.Field(field)), box);
      fields_[static_cast<std::size_t>(field)] = edit;
      form->addRow(platform::ToQt(PrintPresenter::Label(field)), edit);
    }
    return box;
  };
  auto* top = new QVBoxLayout(this);
  top->addWidget(group("Margins", {PrintField::LeftMargin, PrintField::RightMargin,
                                   PrintField::TopMargin, PrintField::BottomMargin}));
  top->addWidget(group("Print Range", {PrintField::StartingLine, PrintField::EndingLine}));
  top->addWidget(group("Page Format", {PrintField::LinesPerPage}));

  auto* cancel = new QPushButton("Cancel", this);
  print_->setDefault(true);
  connect(print_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(print_);
  buttons->addWidget(cancel);
  top->addLayout(buttons);
}

void PrintFileDialog::accept() {
  for (int i = 0; i < kPrintFieldCount; ++i) {
    const auto field = static_cast<PrintField>(i);
    presenter_.SetField(field, platform::FromQt(Field(field).text()));
  }
  presenter_.Accept();
  QDialog::accept();
}

void RunPrint(QWidget* parent, EditorContext& context) {
  PrintPresenter presenter(context.state, context.print, context.desktop);
  presenter.Open();
  PrintFileDialog dialog(presenter, parent);
  if (dialog.exec() != QDialog::Accepted) return;
  presenter.Print();
}

}  // namespace bl::editor
