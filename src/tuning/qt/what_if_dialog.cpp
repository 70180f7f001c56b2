#include "tuning/qt/what_if_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"
#include "platform/text_format.h"
#include "tuning/position_loop.h"
#include "tuning/qt/curve_plot.h"

namespace bl::tuning {

using platform::ToQt;

namespace {

QString Joined(const std::vector<std::string>& lines) {
  QStringList list;
  for (const std::string& l : lines) list << ToQt(l);
  return list.join('\n');
}

std::vector<double> Times(std::size_t n, double period) {
  std::vector<double> t(n);
  for (std::size_t k = 0; k < n; ++k) t[k] = static_cast<double>(k) * period * 1000.0;
  return t;
}

QString Number(double v) { return ToQt(platform::Format("%.6g", v)); }

}  // namespace

WhatIfDialog::WhatIfDialog(WhatIfPresenter& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
  setWindowTitle(ToQt(presenter_.Caption()));

  plant_ = new QLabel(Joined(presenter_.PlantLines()), this);
  plant_->setWordWrap(true);
  plant_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* plantBox = new QGroupBox("Identified plant", this);
  (new QVBoxLayout(plantBox))->addWidget(plant_);

  auto* gainBox = new QGroupBox("Gains and filter to try", this);
  auto* gainForm = new QFormLayout(gainBox);
  for (std::size_t f = 0; f < kWhatIfFields.size(); ++f) {
    fields_[f] = new QLineEdit(this);
    fields_[f]->setMaximumWidth(120);
    gainForm->addRow(ToQt(std::string(kWhatIfFields[f].label)), fields_[f]);
    connect(fields_[f], &QLineEdit::editingFinished, this, [this, f] {
      presenter_.EditField(f, fields_[f]->text().toStdString());
      Refresh();
    });
  }

  auto* moveBox = new QGroupBox("Move", this);
  auto* moveForm = new QFormLayout(moveBox);
  move_ = new QComboBox(this);
  move_->addItems({"The run's move", "Step", "Trapezoid"});
  moveForm->addRow("Predict", move_);
  const char* moveLabels[] = {"Size (cts)", "Dwell (ms)", "Velocity (cts/ms)",
                              "Acceleration (cts/ms^2)"};
  const MoveShape& shape = presenter_.Shape();
  const double moveValues[] = {shape.size, shape.dwellMs,
                               shape.velocity > 0 ? shape.velocity : 10.0,
                               shape.acceleration > 0 ? shape.acceleration : 0.2};
  for (std::size_t f = 0; f < moveFields_.size(); ++f) {
    moveFields_[f] = new QLineEdit(Number(moveValues[f]), this);
    moveFields_[f]->setMaximumWidth(120);
    moveForm->addRow(moveLabels[f], moveFields_[f]);
    connect(moveFields_[f], &QLineEdit::editingFinished, this, [this] { MoveEdited(); });
  }
  connect(move_, &QComboBox::currentIndexChanged, this, [this] { MoveEdited(); });

  auto* goalBox = new QGroupBox("Suggest settings for", this);
  auto* goalForm = new QFormLayout(goalBox);
  phaseGoal_ = new QLineEdit("45", this);
  gainGoal_ = new QLineEdit("8", this);
  for (QLineEdit* e : {phaseGoal_, gainGoal_}) e->setMaximumWidth(120);
  goalForm->addRow("Phase margin (deg)", phaseGoal_);
  goalForm->addRow("Gain margin (dB)", gainGoal_);
  suggest_ = new QPushButton("Suggest", this);
  suggest_->setAutoDefault(false);
  goalForm->addRow(suggest_);
  suggestion_ = new QLabel(this);
  suggestion_->setWordWrap(true);
  goalForm->addRow(suggestion_);
  connect(suggest_, &QPushButton::clicked, this, [this] {
    MarginGoal goal;
    const auto pm = ScanField(phaseGoal_->text().toStdString());
    const auto gm = ScanField(gainGoal_->text().toStdString());
    if (pm && *pm >= 0 && *pm <= 90) goal.phaseMarginDeg = *pm;
    if (gm && *gm >= 0 && *gm <= 40) goal.gainMarginDb = *gm;
    phaseGoal_->setText(Number(goal.phaseMarginDeg));
    gainGoal_->setText(Number(goal.gainMarginDb));
    presenter_.Suggest(goal);
    Refresh();
  });

  time_ = new CurvePlot("Position (cts) against time (ms)", false, this);
  magnitude_ = new CurvePlot("Magnitude (dB) against frequency (Hz)", true, this);
  phase_ = new CurvePlot("Open-loop phase (deg) against frequency (Hz)", true, this);
  results_ = new QLabel(this);
  results_->setWordWrap(true);
  results_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  apply_ = new QPushButton("Apply", this);
  auto* close = new QPushButton("Close", this);
  for (QPushButton* b : {apply_, close}) b->setAutoDefault(false);
  connect(apply_, &QPushButton::clicked, this, [this] {
    presenter_.Apply();
    Refresh();
  });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  auto* left = new QVBoxLayout;
  left->addWidget(plantBox);
  left->addWidget(gainBox);
  left->addWidget(moveBox);
  left->addWidget(goalBox);
  left->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(time_, 3);
  right->addWidget(magnitude_, 2);
  right->addWidget(phase_, 2);
  right->addWidget(results_);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(apply_);
  buttons->addWidget(close);
  auto* top = new QVBoxLayout(this);
  top->addLayout(columns);
  top->addLayout(buttons);
  resize(1100, 780);
  MoveEdited();
}

void WhatIfDialog::MoveEdited() {
  MoveShape shape = presenter_.Shape();
  double* values[] = {&shape.size, &shape.dwellMs, &shape.velocity, &shape.acceleration};
  for (std::size_t f = 0; f < moveFields_.size(); ++f) {
    const auto v = ScanField(moveFields_[f]->text().toStdString());
    if (v) *values[f] = *v;
  }
  const auto move = static_cast<WhatIfMove>(std::max(0, move_->currentIndex()));
  for (std::size_t f = 0; f < moveFields_.size(); ++f)
    moveFields_[f]->setEnabled(move != WhatIfMove::kRun &&
                               (move == WhatIfMove::kTrapezoid || f < 2));
  presenter_.SetMove(move, shape);
  Refresh();
}

void WhatIfDialog::Refresh() {
  for (std::size_t f = 0; f < fields_.size(); ++f) {
    fields_[f]->setText(ToQt(presenter_.FieldText(f)));
    QFont font = fields_[f]->font();
    font.setBold(presenter_.FieldChanged(f));
    fields_[f]->setFont(font);
  }
  suggestion_->setText(Joined(presenter_.SuggestionLines()));
  suggestion_->setVisible(!presenter_.SuggestionLines().empty());
  const Prediction& p = presenter_.Current();
  const std::vector<std::string> lines = presenter_.ResultLines();
  results_->setText(Joined(lines));
  results_->setStyleSheet(p.stable ? QString() : QString("color: #a00000;"));
  apply_->setEnabled(presenter_.Identified());
  suggest_->setEnabled(presenter_.Identified());
  if (!p.stable) {
    const QString why = lines.empty() ? QString("Nothing to predict.") : ToQt(lines.front());
    for (CurvePlot* plot : {time_, magnitude_, phase_}) plot->SetMessage(why);
    return;
  }
  const std::vector<double> t = Times(p.actual.size(), p.period);
  std::vector<CurvePlot::Curve> timeCurves;
  timeCurves.push_back({"Commanded", QColor(0, 0, 200), t, p.commanded});
  if (const std::vector<double>* measured = presenter_.MeasuredActual())
    timeCurves.push_back({"Actual, as run", QColor(150, 150, 150),
                          Times(measured->size(), p.period), *measured});
  timeCurves.push_back({"Actual, predicted", QColor(200, 0, 0), t, p.actual});
  time_->SetCurves(std::move(timeCurves));

  std::vector<CurvePlot::Marker> markers;
  if (p.margins.crossoverHz) markers.push_back({*p.margins.crossoverHz, "crossover"});
  if (p.margins.phaseCrossoverHz) markers.push_back({*p.margins.phaseCrossoverHz, "-180 deg"});
  const series::BodeResponse& open = p.loops.openLoop;
  const series::BodeResponse& closed = p.loops.closedLoop;
  magnitude_->SetCurves({{"Open loop", QColor(200, 0, 0), open.frequency, open.magnitudeDb},
                         {"Closed loop", QColor(0, 0, 200), closed.frequency, closed.magnitudeDb}},
                        markers);
  phase_->SetCurves({{"Open loop", QColor(200, 0, 0), open.frequency, open.phaseDeg}}, markers);
}

}  // namespace bl::tuning
