#pragma once

#include <QDialog>

#include "tuning/tuning_history.h"

class QComboBox;
class QLabel;

namespace bl::tuning {

class CurvePlot;

// "Bode": a kept run's frequency response, closed and open loop, with its coherence and the
// loop's margins, estimated from the whole run or from averaged segments.
class RunBodeDialog : public QDialog {
 public:
  RunBodeDialog(TuningRun run, QWidget* parent = nullptr);

  QComboBox& Method() { return *method_; }
  QLabel& Results() { return *results_; }
  CurvePlot& MagnitudePlot() { return *magnitude_; }
  CurvePlot& PhasePlot() { return *phase_; }
  CurvePlot& CoherencePlot() { return *coherence_; }

 private:
  void Estimate();

  TuningRun run_;
  QComboBox* method_ = nullptr;
  QLabel* results_ = nullptr;
  CurvePlot* magnitude_ = nullptr;
  CurvePlot* phase_ = nullptr;
  CurvePlot* coherence_ = nullptr;
};

}  // namespace bl::tuning
