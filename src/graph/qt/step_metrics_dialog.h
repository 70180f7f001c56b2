#pragma once

#include <QComboBox>
#include <QDialog>

namespace bl::series {
class SeriesTable;
}

namespace bl::graph {

// "Step Metrics": which series the time graph measures as a move, its commanded and its actual
// position ("None" for the commanded position takes the table away).
class StepMetricsDialog : public QDialog {
 public:
  StepMetricsDialog(QWidget* parent, const series::SeriesTable& table, int commanded, int actual);

  int Commanded() const { return commanded_->currentIndex(); }
  int Actual() const { return actual_->currentIndex() + 1; }
  QComboBox& CommandedBox() { return *commanded_; }
  QComboBox& ActualBox() { return *actual_; }

 private:
  QComboBox* commanded_;
  QComboBox* actual_;
};

}  // namespace bl::graph
