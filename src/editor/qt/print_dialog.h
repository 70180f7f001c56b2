#pragma once

#include <QDialog>
#include <array>

#include "editor/editor_context.h"
#include "editor/print_presenter.h"

class QLineEdit;
class QPushButton;

namespace bl::editor {

// "Print File": margins in inches, the range of lines and the lines per page. "Print" hands the
// fields to the presenter; the printout itself follows the dialog.
class PrintFileDialog : public QDialog {
 public:
  PrintFileDialog(PrintPresenter& presenter, QWidget* parent = nullptr);

  QLineEdit& Field(PrintField field) { return *fields_[static_cast<std::size_t>(field)]; }
  QPushButton& PrintButton() { return *print_; }

  void accept() override;

 private:
  PrintPresenter& presenter_;
  std::array<QLineEdit*, kPrintFieldCount> fields_{};
  QPushButton* print_;
};

// "&Print": the dialog with the settings and the selection's range, then, on "Print", the
// system's print dialog and the printout.
void RunPrint(QWidget* parent, EditorContext& context);

}  // namespace bl::editor
