#pragma once

#include <QDialog>
#include <array>

#include "diagnostics/position_window.h"

class QLineEdit;

namespace bl::diagnostics {

// "Position Window Units": unit name, counts per unit and display precision of the eight motors
// of the page. OK stores them; Cancel changes nothing.
class PositionUnitsDialog : public QDialog {
 public:
  PositionUnitsDialog(PositionUnitsPresenter& presenter, QWidget* parent = nullptr);

  // Column 0 unit name, 1 counts per unit, 2 display precision.
  QLineEdit& Field(int row, int column) {
    return *fields_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
  }

  void accept() override;

 private:
  PositionUnitsPresenter& presenter_;
  std::array<std::array<QLineEdit*, 3>, kMotorsPerPage> fields_{};
};

}  // namespace bl::diagnostics
