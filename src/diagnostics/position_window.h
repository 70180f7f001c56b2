#pragma once

#include <array>
#include <string>

#include "monitor/position_display.h"
#include "platform/canvas.h"

namespace bl {
struct ControllerType;
}

namespace bl::diagnostics {

inline constexpr int kPositionMotors = monitor::PositionDisplay::kMotors;
inline constexpr int kMotorsPerPage = 8;
inline constexpr int kPositionPrecisionLimit = 10;
inline constexpr std::size_t kUnitNameChars = 31;

// How one motor's values are shown, kept for the run.
struct MotorUnits {
  int precision = 0;  // 0..10
  double countsPerUnit = 1.0;
  std::string unitName = "Counts";
};
using PositionUnits = std::array<MotorUnits, kPositionMotors>;

// The position window's behaviour without its widget: its size, painting, the mode and page
// buttons. What is read is chosen in the monitor's display record, which the monitor polls.
class PositionWindow {
 public:
  PositionWindow(monitor::PositionDisplay& display, PositionUnits& units,
                 const ControllerType& type);

  // 435 x 306, or 435 x 331 with the page buttons of the Turbo types.
  platform::Size WindowSize() const;
  // The page (motor group) in use: always 0 on the non-Turbo types.
  int Page() const;

  void Paint(platform::Canvas& canvas) const;

  // "Positions", "Velocities", "Fol. Errors": the display mode 0..2.
  void SetMode(int mode);
  // "<----   Previous 8 Motors" and "Next 8 Motors   ---->": round the four pages.
  void PreviousPage();
  void NextPage();
  // After the "Units" dialog: the values are read afresh.
  void UnitsChanged() { display_.Clear(); }

  // A press in the title bar right of x = 400 closes the window.
  static bool ClosesAt(platform::Point client) { return client.y < 35 && client.x > 400; }

 private:
  monitor::PositionDisplay& display_;
  PositionUnits& units_;
  const ControllerType& type_;
};

// The text of a motor's raw value in its units: counts per unit for positions and following
// errors, per second for velocities (counts per servo cycle); "---" without a divisor above 0.
std::string MotorValueText(double raw, int mode, const MotorUnits& units, double servoPeriod);

// "Position Window Units" for the eight motors of a page: three columns of texts.
class PositionUnitsPresenter {
 public:
  struct Row {
    std::string label;  // "Motor #%d"
    std::string unitName;
    std::string countsPerUnit;
    std::string precision;
  };

  PositionUnitsPresenter(PositionUnits& units, int page);
  std::array<Row, kMotorsPerPage> rows;

  // "OK": every column stored; a field that does not parse keeps the motor's old value.
  void Ok();

 private:
  PositionUnits& units_;
  int first_;
};

}  // namespace bl::diagnostics
