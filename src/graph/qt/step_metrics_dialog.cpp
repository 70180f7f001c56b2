#include "graph/qt/step_metrics_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <algorithm>

#include "series/series_table.h"

namespace bl::graph {

StepMetricsDialog::StepMetricsDialog(QWidget* parent, const series::SeriesTable& table,
                                     int commanded, int actual)
    : QDialog(parent), commanded_(new QComboBox(this)), actual_(new QComboBox(this)) {
  setWindowTitle("Step Metrics");
  commanded_->addItem("None");
  for (int k = 1; k <= table.seriesCount; ++k) {
    const QString name = QString("#%1: %2").arg(k).arg(QString::fromStdString(table[k].title));
    commanded_->addItem(name);
    actual_->addItem(name);
  }
  commanded_->setCurrentIndex(std::clamp(commanded, 0, table.seriesCount));
  actual_->setCurrentIndex(std::clamp(actual, 1, std::max(table.seriesCount, 1)) - 1);

  auto* form = new QFormLayout(this);
  auto* note = new QLabel(
      "The time graph shows the rise time, overshoot, settling time and following error of the "
      "actual position answering the commanded one.",
      this);
  note->setWordWrap(true);
  form->addRow(note);
  form->addRow("Commanded position:", commanded_);
  form->addRow("Actual position:", actual_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

}  // namespace bl::graph
