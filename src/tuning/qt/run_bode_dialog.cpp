#include "tuning/qt/run_bode_dialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"
#include "platform/text_format.h"
#include "tuning/qt/curve_plot.h"
#include "tuning/run_bode.h"

namespace bl::tuning {

using platform::ToQt;

RunBodeDialog::RunBodeDialog(TuningRun run, QWidget* parent)
    : QDialog(parent), run_(std::move(run)) {
  setWindowTitle(ToQt(platform::Format("Bode: motor %d, run of %s", run_.motor,
                                       RunTimeText(run_.timeMs).c_str())));
  method_ = new QComboBox(this);
  method_->addItems({"The whole run, from rest to rest", "Averaged segments (8)"});
  magnitude_ = new CurvePlot("Magnitude (dB) against frequency (Hz)", true, this);
  phase_ = new CurvePlot("Phase (deg) against frequency (Hz)", true, this);
  coherence_ = new CurvePlot("Coherence against frequency (Hz)", true, this);
  results_ = new QLabel(this);
  results_->setWordWrap(true);
  results_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* close = new QPushButton("Close", this);
  close->setAutoDefault(false);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  connect(method_, &QComboBox::currentIndexChanged, this, [this] { Estimate(); });

  auto* top = new QVBoxLayout(this);
  auto* choice = new QHBoxLayout;
  choice->addWidget(new QLabel("Estimate from", this));
  choice->addWidget(method_);
  choice->addStretch();
  top->addLayout(choice);
  top->addWidget(magnitude_, 3);
  top->addWidget(phase_, 3);
  top->addWidget(coherence_, 2);
  top->addWidget(results_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close);
  top->addLayout(buttons);
  resize(820, 820);
  Estimate();
}

void RunBodeDialog::Estimate() {
  series::EstimateOptions options;
  options.wholeRun = method_->currentIndex() == 0;
  std::string error;
  const auto bode = AnalyzeRunBode(run_, options, error);
  if (!bode) {
    for (CurvePlot* plot : {magnitude_, phase_, coherence_}) plot->SetMessage(ToQt(error));
    results_->setText(ToQt(error));
    return;
  }
  const series::BodeResponse& closed = bode->closedLoop.bode;
  std::vector<CurvePlot::Marker> markers;
  if (bode->margins.crossoverHz) markers.push_back({*bode->margins.crossoverHz, "crossover"});
  if (bode->margins.phaseCrossoverHz) markers.push_back({*bode->margins.phaseCrossoverHz, "-180 deg"});
  if (bode->margins.bandwidthHz) markers.push_back({*bode->margins.bandwidthHz, "-3 dB"});
  // Bins the excitation did not reach are left out: their quotient is noise.
  const auto reached = [&closed](const std::vector<double>& values) {
    std::vector<double> shown = values;
    for (std::size_t k = 0; k < shown.size() && k < closed.inputPowerDb.size(); ++k)
      if (closed.inputPowerDb[k] < series::kMarginInputPowerDb) shown[k] = std::nan("");
    return shown;
  };
  std::vector<CurvePlot::Curve> magnitude{
      {"Closed loop", QColor(0, 0, 200), closed.frequency, reached(closed.magnitudeDb)}};
  std::vector<CurvePlot::Curve> phase{
      {"Closed loop", QColor(0, 0, 200), closed.frequency, reached(closed.phaseDeg)}};
  if (bode->openLoop) {
    magnitude.push_back({"Open loop", QColor(200, 0, 0), bode->openLoop->frequency,
                         reached(bode->openLoop->magnitudeDb)});
    phase.push_back({"Open loop", QColor(200, 0, 0), bode->openLoop->frequency,
                     reached(bode->openLoop->phaseDeg)});
  }
  magnitude_->SetCurves(std::move(magnitude), markers);
  phase_->SetCurves(std::move(phase), markers);
  coherence_->SetCurves({{"Coherence", QColor(0, 130, 0), closed.frequency, reached(closed.coherence)}});
  QStringList lines;
  for (const std::string& line : bode->lines) lines << ToQt(line);
  results_->setText(lines.join('\n'));
}

}  // namespace bl::tuning
