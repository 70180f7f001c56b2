#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tuning/tuning_history.h"
#include "tuning/what_if.h"

namespace bl {
class PmacLink;
namespace platform {
class Desktop;
}
}  // namespace bl

namespace bl::tuning {

inline constexpr std::string_view kWhatIfTitle = "What If";

// A field of the preview: one of the motor's I-variables by its suffix.
struct WhatIfField {
  std::string_view label;
  int suffix;
};

inline constexpr std::array<WhatIfField, 10> kWhatIfFields = {{
    {"Ix30 Proportional Gain", 30},
    {"Ix31 Derivative Gain", 31},
    {"Ix32 Velocity Feedforward Gain", 32},
    {"Ix33 Integral Gain", 33},
    {"Ix34 Integration Mode", 34},
    {"Ix35 Acceleration Feedforward Gain", 35},
    {"Ix36 N1", 36},
    {"Ix37 N2", 37},
    {"Ix38 D1", 38},
    {"Ix39 D2", 39},
}};

// The moves the preview can show: the run's own commanded path, or a step or trapezoid.
enum class WhatIfMove : int { kRun = 0, kStep = 1, kTrapezoid = 2 };

// The "What If" preview without its widgets: the plant identified from one run of the tuning
// history, gains and filter coefficients edited freely, and the step, trapezoid and frequency
// responses they would give, predicted before anything is sent. Apply writes the edited
// values the way the tuning pages do.
class WhatIfPresenter {
 public:
  // link: where Apply writes (it refuses while not connected to a controller of the run's
  // type, which connectedType gives when asked).
  WhatIfPresenter(TuningRun run, PmacLink& link, std::function<int()> connectedType,
                  platform::Desktop& desktop);

  std::string Caption() const;
  // The plant, or why none could be identified (then nothing can be predicted).
  bool Identified() const { return plant_.has_value(); }
  const std::vector<std::string>& PlantLines() const { return plantLines_; }

  // The field's text: the edited value, else the run's.
  std::string FieldText(std::size_t field) const;
  // A field left: a number replaces the value and the prediction is made again; other text
  // puts back what was there.
  void EditField(std::size_t field, std::string_view text);
  bool FieldChanged(std::size_t field) const;

  WhatIfMove Move() const { return move_; }
  const MoveShape& Shape() const { return shape_; }
  void SetMove(WhatIfMove move, const MoveShape& shape);

  const Prediction& Current() const { return prediction_; }
  // The run's own actual position beside the prediction when it shows the run's move.
  const std::vector<double>* MeasuredActual() const;
  // The margins, the step metrics and what is wrong, as lines for the panel.
  std::vector<std::string> ResultLines() const;

  // Settings for the margins in goal: filled into the fields (nothing is sent). The reasons
  // go to SuggestionLines(); a message tells when there are none.
  void Suggest(const MarginGoal& goal);
  const std::vector<std::string>& SuggestionLines() const { return suggestion_; }

  // Writes every changed field to the controller with read-back, after asking; the fields
  // then show what the controller took. A message tells what was done or why nothing was.
  void Apply();

 private:
  VariableValues Values() const;
  void Predict();
  int Number(std::size_t field) const;

  TuningRun run_;
  PmacLink& link_;
  std::function<int()> connectedType_;
  platform::Desktop& desktop_;
  std::optional<PlantModel> plant_;
  std::vector<std::string> plantLines_;
  int lag_ = 0;
  VariableValues runValues_;
  std::array<std::optional<double>, kWhatIfFields.size()> edits_{};
  WhatIfMove move_ = WhatIfMove::kRun;
  MoveShape shape_;
  Prediction prediction_;
  std::vector<std::string> suggestion_;
};

}  // namespace bl::tuning
