#pragma once

#include <array>
#include <atomic>
#include <string>
#include <string_view>

#include "tuning/motor_selection.h"
#include "tuning/position_loop.h"

namespace bl::tuning {

// The gains by their place in PositionLoopValues::gains: Ix30 to Ix35.
enum class Gain : int {
  kProportional = 0,             // Ix30
  kDerivative = 1,               // Ix31
  kVelocityFeedForward = 2,      // Ix32
  kIntegral = 3,                 // Ix33
  kIntegrationMode = 4,          // Ix34
  kAccelerationFeedForward = 5,  // Ix35
};

// A row of the "Position Loop Tuning" page: the field and the two buttons beside it.
struct GainRow {
  std::string_view label;
  Gain gain;
  std::string_view down;
  std::string_view up;
};

inline constexpr std::array<GainRow, 6> kGainRows = {{
    {"Ix30 Proportional Gain", Gain::kProportional, "Stiffness -10%", "Stiffness +10%"},
    {"Ix31 Derivative Gain", Gain::kDerivative, "Damping -10%", "Damping +10%"},
    {"Ix32 Velocity Feedforward Gain", Gain::kVelocityFeedForward, "Vff -10%", "Vff +10%"},
    {"Ix35 Acceleration Feedforward Gain", Gain::kAccelerationFeedForward, "Aff -10%", "Aff +10%"},
    {"Ix33 Integral Gain", Gain::kIntegral, "Integral Gain -10%", "Integral Gain +10%"},
    {"Ix34 Integration Mode", Gain::kIntegrationMode, "Always Integrate", "Not While Moving"},
}};

// The "Position Loop Tuning" page without its widgets: the addressed motor's six gains.
class GainPagePresenter {
 public:
  GainPagePresenter(PmacLink& link, std::atomic<int>& addressedMotor, const int& motorCount,
                    std::array<int, 6>& gains);

  MotorSelection& Selection() { return selection_; }
  // The page became the active tab: the addressed motor (up to the motor count), its gains.
  void Activate();

  std::string Text(Gain gain) const { return fields_.Text(Index(gain)); }
  void Edit(Gain gain, std::string_view text) { fields_.Edit(Index(gain), text); }

  // The row's "-10%" (up false) or "+10%" button; for Ix30 the stiffness buttons, which scale
  // the other gains the opposite way in one command; for Ix34 the integration mode 0 or 1.
  void Press(Gain gain, bool up);

 private:
  static std::size_t Index(Gain gain) { return static_cast<std::size_t>(gain); }
  void Stiffness(bool up);

  PmacLink& link_;
  const int& motorCount_;
  MotorSelection selection_;
  std::array<int, 6>& gains_;
  IntegerFields fields_;
};

// The "Position Loop Modifiers" page without its widgets: the twelve fields of kModifierFields.
class ModifiersPagePresenter {
 public:
  ModifiersPagePresenter(PmacLink& link, std::atomic<int>& addressedMotor, const int& motorCount,
                         std::array<int, 12>& values);

  MotorSelection& Selection() { return selection_; }
  void Activate();
  std::string Text(std::size_t field) const { return fields_.Text(field); }
  void Edit(std::size_t field, std::string_view text) { fields_.Edit(field, text); }

 private:
  MotorSelection selection_;
  IntegerFields fields_;
};

// The modifiers and filter pages take a reported motor up to this one even beyond the list.
inline constexpr int kMaxMotor = 32;

}  // namespace bl::tuning
