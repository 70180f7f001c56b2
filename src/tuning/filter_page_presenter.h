#pragma once

#include <array>
#include <atomic>
#include <string>
#include <string_view>

#include "tuning/motor_selection.h"
#include "tuning/position_loop.h"

namespace bl::tuning {

// The servo sample time the filter page designs and analyses with, in seconds.
inline constexpr double kFilterSampleTime = 0.000442;

// The radio button labels of the filter page's designers, kinds 0 to 3.
inline constexpr std::array<std::string_view, 4> kZeroKindLabels = {"Off", "High-Pass 1",
                                                                    "High-Pass 2", "Band-Reject"};
inline constexpr std::array<std::string_view, 4> kPoleKindLabels = {"Off", "Low-Pass 1",
                                                                    "Low-Pass 2", "Band-Pass"};

// The "Position Loop Filter" page without its widgets: the motor's filter coefficients N1, N2,
// D1, D2 (Ix36 to Ix39) and the designer of new ones.
class FilterPagePresenter {
 public:
  FilterPagePresenter(PmacLink& link, std::atomic<int>& addressedMotor, const int& motorCount,
                      PositionLoopValues& values);

  MotorSelection& Selection() { return selection_; }
  // The page became the active tab: reads the coefficients and shows the design kept.
  void Activate();

  // N1, N2, D1, D2 (index 0 to 3) as on the controller, and the designed N1', N2', D1', D2'.
  std::string CoefficientText(std::size_t index) const;
  std::string DesignText(std::size_t index) const;
  // A coefficient field left: text that parses replaces the coefficient, which is written again.
  void EditCoefficient(std::size_t index, std::string_view text);

  // "<-- Apply Filter", "Edit Filter -->", "Delete Filter".
  void Apply();
  void EditFilter();
  void Delete();

  void ChooseKind(series::FilterSet set, series::FilterKind kind);
  void MoveSlider(series::FilterSet set, int row, series::SliderStep step, int dragged = 0);
  const series::FilterDesigner& Designer() const { return values_.designer; }

 private:
  int Variable(std::size_t index) const;
  double Design(std::size_t index) const;
  // Writes the four coefficients with read-back and keeps what the controller took.
  void WriteAll(const std::array<double, 4>& coefficients);
  void ShowDesign();

  PmacLink& link_;
  MotorSelection selection_;
  PositionLoopValues& values_;
};

}  // namespace bl::tuning
