#include "tuning/qt/tuning_history_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/qt/qt_fonts.h"

namespace bl::tuning {

using platform::ToQt;

namespace {

QTableWidget* NewTable(QWidget* parent, const std::vector<std::string>& columns) {
  auto* table = new QTableWidget(0, static_cast<int>(columns.size()), parent);
  QStringList headers;
  for (const std::string& c : columns) headers << ToQt(c);
  table->setHorizontalHeaderLabels(headers);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

void FillTable(QTableWidget& table, const std::vector<std::vector<std::string>>& rows) {
  table.clearSelection();
  table.setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const auto& row = rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < static_cast<int>(row.size()) && c < table.columnCount(); ++c)
      table.setItem(r, c, new QTableWidgetItem(ToQt(row[static_cast<std::size_t>(c)])));
  }
  table.resizeColumnsToContents();
}

}  // namespace

TuningHistoryDialog::TuningHistoryDialog(TuningHistoryPresenter& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
  setWindowTitle(ToQt(presenter_.Caption()));

  runs_ = NewTable(this, TuningHistoryPresenter::Columns());
  runs_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  notes_ = new QLabel(this);
  notes_->setWordWrap(true);

  overlay_ = new QPushButton("Overlay", this);
  compare_ = new QPushButton("Compare", this);
  whatIf_ = new QPushButton("What If...", this);
  bode_ = new QPushButton("Bode...", this);
  delete_ = new QPushButton("Delete", this);
  auto* close = new QPushButton("Close", this);
  for (QPushButton* b : {overlay_, compare_, whatIf_, bode_, delete_, close})
    b->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(overlay_);
  buttons->addWidget(compare_);
  buttons->addWidget(whatIf_);
  buttons->addWidget(bode_);
  buttons->addWidget(delete_);
  buttons->addStretch();
  buttons->addWidget(close);

  compared_ = new QLabel(this);
  differences_ = NewTable(this, {"Parameter", "Description", "First", "Second"});
  differences_->setSelectionMode(QAbstractItemView::NoSelection);

  connect(overlay_, &QPushButton::clicked, this, [this] { presenter_.Overlay(Selected()); });
  connect(compare_, &QPushButton::clicked, this, [this] {
    presenter_.Compare(Selected());
    FillDifferences();
  });
  connect(whatIf_, &QPushButton::clicked, this, [this] { presenter_.WhatIf(Selected()); });
  connect(bode_, &QPushButton::clicked, this, [this] { presenter_.Bode(Selected()); });
  connect(delete_, &QPushButton::clicked, this, [this] {
    presenter_.Delete(Selected());
    FillRuns();
    FillDifferences();
  });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  auto* top = new QVBoxLayout(this);
  top->addWidget(runs_, 3);
  top->addWidget(notes_);
  top->addLayout(buttons);
  top->addWidget(compared_);
  top->addWidget(differences_, 2);
  resize(760, 520);
  FillRuns();
  FillDifferences();
}

std::vector<int> TuningHistoryDialog::Selected() const {
  std::vector<int> rows;
  for (const QModelIndex& index : runs_->selectionModel()->selectedRows())
    rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

void TuningHistoryDialog::FillRuns() {
  FillTable(*runs_, presenter_.Rows());
  notes_->setText(ToQt(presenter_.Notes()));
  notes_->setVisible(!presenter_.Notes().empty());
}

void TuningHistoryDialog::FillDifferences() {
  std::vector<std::vector<std::string>> rows;
  for (const ParameterDifference& d : presenter_.Differences())
    rows.push_back({d.parameter, d.description, d.first, d.second});
  FillTable(*differences_, rows);
  const std::string& compared = presenter_.ComparedRuns();
  compared_->setText(compared.empty() ? QString("Select two runs and press Compare.")
                     : rows.empty()   ? ToQt("No parameter differs: " + compared)
                                      : ToQt("Differences: " + compared));
}

}  // namespace bl::tuning
