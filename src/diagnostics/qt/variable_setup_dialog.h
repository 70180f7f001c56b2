#pragma once

#include <QDialog>
#include <array>

#include "diagnostics/variable_setup.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;

namespace bl::diagnostics {

// "Set PMAC Variables": twenty rows of label, value, M-variable address and defined name, the
// kind buttons, the display radio buttons and a scroll bar; a 50 ms timer reads the rows.
class VariableSetupDialog : public QDialog {
 public:
  VariableSetupDialog(VariableSetupPresenter& presenter, QWidget* parent = nullptr);

  QLabel& Label(int row) { return *rows_[static_cast<std::size_t>(row)].label; }
  QLineEdit& ValueField(int row) { return *rows_[static_cast<std::size_t>(row)].value; }
  QLineEdit& AddressField(int row) { return *rows_[static_cast<std::size_t>(row)].address; }
  QLabel& NameLabel(int row) { return *rows_[static_cast<std::size_t>(row)].name; }
  // "P-Variables", "Q-Variables", "M-Variables", "I-Variables".
  QPushButton& KindButton(int kind) { return *kinds_[static_cast<std::size_t>(kind - 1)]; }
  QRadioButton& DecimalButton() { return *decimal_; }
  QRadioButton& HexadecimalButton() { return *hexadecimal_; }
  QScrollBar& ScrollBar() { return *scroll_; }

 private:
  struct RowWidgets {
    QLabel* label = nullptr;
    QLineEdit* value = nullptr;
    QLineEdit* address = nullptr;
    QLabel* name = nullptr;
  };
  // Shows the presenter's rows; a field is only written when what it should show changed, so
  // that text being typed survives the timer.
  void Show(bool all);
  void Scroll(int action);

  VariableSetupPresenter& presenter_;
  std::array<RowWidgets, kSetupRows> rows_{};
  std::array<VariableSetupPresenter::Row, kSetupRows> shown_{};
  std::array<QPushButton*, 4> kinds_{};
  QRadioButton* decimal_;
  QRadioButton* hexadecimal_;
  QScrollBar* scroll_;
  QTimer* timer_;
};

}  // namespace bl::diagnostics
