#include "tuning/what_if_presenter.h"

#include <cmath>

#include "platform/desktop.h"
#include "platform/text_format.h"
#include "tuning/position_loop.h"

namespace bl::tuning {

namespace {

// The series of a run that holds the servo output: the one titled so, else the third.
const RunSeries* OutputSeries(const TuningRun& run) {
  for (const RunSeries& s : run.series)
    if (s.title.find("DAC Output") != std::string::npos) return &s;
  return run.series.size() >= 3 ? &run.series[2] : nullptr;
}

std::string ValueText(double v) {
  return v == std::trunc(v) && std::fabs(v) < 1e15 ? platform::Format("%.0f", v)
                                                   : platform::Format("%.9g", v);
}

}  // namespace

WhatIfPresenter::WhatIfPresenter(TuningRun run, PmacLink& link, std::function<int()> connectedType,
                                 platform::Desktop& desktop)
    : run_(std::move(run)),
      link_(link),
      connectedType_(std::move(connectedType)),
      desktop_(desktop) {
  for (int suffix = 0; suffix < kMotorVariableCount; ++suffix)
    if (const auto& v = run_.variables[static_cast<std::size_t>(suffix)])
      runValues_[MotorVariable(run_.motor, suffix)] = *v;
  if (run_.kind == TestMoveKind::kTrapezoid) {
    shape_.kind = MoveShape::Kind::kTrapezoid;
    shape_.size = run_.parameters.trapezoidSize;
    shape_.dwellMs = run_.parameters.trapezoidDwell;
    shape_.velocity = run_.parameters.velocity;
    shape_.acceleration = run_.parameters.acceleration;
  } else {
    shape_.size = run_.parameters.stepSize;
    shape_.dwellMs = run_.parameters.stepDwell;
  }

  const RunSeries* output = OutputSeries(run_);
  std::string error;
  if (run_.series.size() < 2 || output == nullptr) {
    plantLines_.push_back("The run did not gather the servo output: no plant can be identified "
                          "from it.");
    return;
  }
  if (run_.gatherPeriod > 1) {
    plantLines_.push_back(platform::Format("The run was gathered every %d servo cycles.",
                                           run_.gatherPeriod));
    plantLines_.emplace_back(kEveryCycleHint);
    return;
  }
  const RunSeries& commanded = run_.series[0];
  const RunSeries& actual = run_.series[1];
  plant_ = FitPlant(actual.values, output->values, actual.period, {}, error);
  if (!plant_) {
    plantLines_.push_back(error);
    if (run_.gatherPeriod == 0) plantLines_.emplace_back(kEveryCycleHint);
    return;
  }
  plantLines_ = PlantReport(*plant_);
  const auto own = LoopSettingsFromVariables(runValues_, run_.motor, actual.period, error);
  if (own) {
    const auto lag = MeasureOutputLag(*own, commanded.values, actual.values, output->values);
    lag_ = lag.value_or(0);
    const Prediction replay = tuning::Predict(*plant_, *own, lag_, commanded.values, {1.0});
    if (replay.stable)
      plantLines_.push_back(platform::Format(
          "Replayed with the run's gains: %.2f %% normalized RMS error",
          NormalizedRmsError(replay.actual, actual.values)));
  }
  Predict();
}

std::string WhatIfPresenter::Caption() const {
  return platform::Format("What If: motor %d, run of %s", run_.motor,
                          RunTimeText(run_.timeMs).c_str());
}

int WhatIfPresenter::Number(std::size_t field) const {
  return MotorVariable(run_.motor, kWhatIfFields[field].suffix);
}

std::string WhatIfPresenter::FieldText(std::size_t field) const {
  if (edits_[field]) return ValueText(*edits_[field]);
  const auto it = runValues_.find(Number(field));
  return it != runValues_.end() ? ValueText(it->second) : std::string();
}

bool WhatIfPresenter::FieldChanged(std::size_t field) const {
  if (!edits_[field]) return false;
  const auto it = runValues_.find(Number(field));
  return it == runValues_.end() || it->second != *edits_[field];
}

void WhatIfPresenter::EditField(std::size_t field, std::string_view text) {
  if (field >= edits_.size()) return;
  const std::optional<double> value = ScanField(text);
  if (!value || !std::isfinite(*value)) return;
  if (edits_[field] == *value) return;
  edits_[field] = *value;
  Predict();
}

void WhatIfPresenter::SetMove(WhatIfMove move, const MoveShape& shape) {
  move_ = move;
  shape_ = shape;
  Predict();
}

VariableValues WhatIfPresenter::Values() const {
  VariableValues values = runValues_;
  for (std::size_t f = 0; f < edits_.size(); ++f)
    if (edits_[f]) values[Number(f)] = *edits_[f];
  return values;
}

const std::vector<double>* WhatIfPresenter::MeasuredActual() const {
  return move_ == WhatIfMove::kRun && run_.series.size() >= 2 ? &run_.series[1].values : nullptr;
}

void WhatIfPresenter::Predict() {
  prediction_ = {};
  if (!plant_) return;
  std::string error;
  const auto loop = LoopSettingsFromVariables(Values(), run_.motor, plant_->servoPeriod, error);
  if (!loop) {
    prediction_.problem = "The gains cannot be used: " + error;
    return;
  }
  std::vector<double> path;
  if (move_ == WhatIfMove::kRun) {
    path = run_.series[0].values;
  } else {
    MoveShape shape = shape_;
    shape.kind = move_ == WhatIfMove::kStep ? MoveShape::Kind::kStep : MoveShape::Kind::kTrapezoid;
    // The parser's limits, so the panel refuses what the command line refuses.
    const std::string text =
        shape.kind == MoveShape::Kind::kStep
            ? platform::Format("step:%.9g,%.9g", shape.size, shape.dwellMs)
            : platform::Format("trapezoid:%.9g,%.9g,%.9g,%.9g", shape.size, shape.velocity,
                               shape.acceleration, shape.dwellMs);
    const auto parsed = ParseMoveShape(text, error);
    if (!parsed) {
      prediction_.problem = "The move cannot be predicted: " + error + ".";
      return;
    }
    path = CommandedPath(*parsed, plant_->servoPeriod);
    if (path.empty()) {
      prediction_.problem = "The move is too long to predict.";
      return;
    }
  }
  const double nyquist = 0.5 / plant_->servoPeriod;
  prediction_ = tuning::Predict(*plant_, *loop, lag_, path,
                                LogFrequencies(std::min(1.0, nyquist / 100), nyquist * 0.999, 300));
}

std::vector<std::string> WhatIfPresenter::ResultLines() const {
  std::vector<std::string> lines;
  const Prediction& p = prediction_;
  if (!p.problem.empty()) lines.push_back(p.problem);
  if (!p.stable) return lines;
  for (const auto& [label, value] : series::LoopMarginRows(p.margins))
    lines.push_back(label + ": " + value);
  if (p.metrics) {
    const auto ms = [](const std::optional<double>& s) {
      return s ? platform::Format("%.1f ms", *s * 1000.0) : std::string("none");
    };
    lines.push_back("Rise time: " + ms(p.metrics->riseTime));
    lines.push_back("Overshoot: " + (p.metrics->overshoot
                                         ? platform::Format("%.1f %%", *p.metrics->overshoot)
                                         : std::string("none")));
    lines.push_back("Settling time: " + ms(p.metrics->settlingTime));
    lines.push_back(platform::Format("Peak following error: %.1f cts",
                                     p.metrics->peakFollowingError));
  }
  if (p.saturated) lines.push_back("The output meets its limit (Ix69) during the move.");
  return lines;
}

void WhatIfPresenter::Suggest(const MarginGoal& goal) {
  suggestion_.clear();
  if (!plant_) return;
  std::string error;
  const auto s = SuggestSettings(*plant_, Values(), run_.motor, lag_, goal, error);
  if (!s) {
    desktop_.ShowMessage(error, kWhatIfTitle, platform::MessageButtons::Ok,
                         platform::MessageIcon::Information);
    return;
  }
  for (std::size_t f = 0; f < edits_.size(); ++f)
    if (const auto it = s->changes.find(Number(f)); it != s->changes.end()) edits_[f] = it->second;
  suggestion_ = s->reasons;
  Predict();
}

void WhatIfPresenter::Apply() {
  std::vector<std::size_t> changed;
  for (std::size_t f = 0; f < edits_.size(); ++f)
    if (FieldChanged(f)) changed.push_back(f);
  if (changed.empty()) {
    desktop_.ShowMessage("Nothing has been changed from the run's values.", kWhatIfTitle);
    return;
  }
  const int type = connectedType_ ? connectedType_() : 0;
  if (type != run_.typeCode) {
    desktop_.ShowMessage(
        type == 0 ? "Not Connected to a PMAC Device."
                  : "The controller in use is not of the run's type: nothing was written.",
        kWhatIfTitle, platform::MessageButtons::Ok, platform::MessageIcon::Warning);
    return;
  }
  std::string list;
  for (std::size_t f : changed)
    list += platform::Format("\nI%d=%s", Number(f), FieldText(f).c_str());
  if (!prediction_.stable) list += "\n\nThe prediction says the loop would not be stable.";
  if (desktop_.ShowMessage(platform::Format("Write to motor %d:%s", run_.motor, list.c_str()),
                           kWhatIfTitle, platform::MessageButtons::OkCancel,
                           platform::MessageIcon::Question) != platform::MessageAnswer::Ok)
    return;
  std::string took;
  for (std::size_t f : changed) {
    const double value = WriteVariable(link_, Number(f), *edits_[f]);
    runValues_[Number(f)] = value;
    edits_[f].reset();
    took += platform::Format("\nI%d=%s", Number(f), ValueText(value).c_str());
  }
  Predict();
  desktop_.ShowMessage("The controller took:" + took, kWhatIfTitle);
}

}  // namespace bl::tuning
