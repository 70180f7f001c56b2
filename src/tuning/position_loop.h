#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "series/filter_designer.h"

namespace bl {
class PmacLink;
}

namespace bl::tuning {

class MotorSelection;

// What the position loop pages of the "Motor Tuning" sheet hold for the whole run: the last
// values read or written, and the filter designer's sections, kinds and slider positions,
// which survive closing and reopening the sheet.
struct PositionLoopValues {
  // Ix30 to Ix35: proportional, derivative, velocity feed-forward, integral gain, integration
  // mode, acceleration feed-forward.
  std::array<int, 6> gains{};
  // In the order of kModifierFields.
  std::array<int, 12> modifiers{};
  // N1, N2, D1, D2 as last read (Ix36 to Ix39).
  std::array<double, 4> filter{};
  // The designed numerator (N1', N2') and denominator (D1', D2').
  std::array<series::FilterSection, 2> design{};
  series::FilterDesigner designer{series::FilterKind::kFirstOrder};
};

// A labelled edit field of one motor I-variable, by its suffix.
struct VariableField {
  std::string_view label;
  int suffix;
};

inline constexpr std::array<VariableField, 12> kModifierFields = {{
    {"Ix29 Phase 1 DAC Offset", 29},
    {"Ix57 Continuous Current Limit", 57},
    {"Ix58 Integrated Current Limit", 58},
    {"Ix63 Integration Limit", 63},
    {"Ix64 Deadband Gain Factor", 64},
    {"Ix65 Deadband Size", 65},
    {"Ix67  Linear Position Error Limit", 67},
    {"Ix68  Friction Feedforward", 68},
    {"Ix69  Output Command Limit", 69},
    {"Ix79  Phase 2 DAC Offset", 79},
    {"Ix85  Backlash Take-up Rate", 85},
    {"Ix86  Backlash Size", 86},
}};

// The I-variable of a motor's suffix: motor 1's Ix30 is I130.
inline int MotorVariable(int motor, int suffix) { return motor * 100 + suffix; }

// A gain scaled by a button: value × factor + 0.5, truncated toward zero.
int ScaleGain(int value, double factor);

// A number typed into a field, read with "%lf"; nothing when it does not parse.
std::optional<double> ScanField(std::string_view text);

// The stiffness read-back "%d %d %d %d %d"; nothing when fewer than five numbers parse.
std::optional<std::array<int, 5>> ParseGainReadBack(std::string_view reply);

// PmacValue of an I-variable: read, or write and read back. A failure gives 0.
double ReadVariable(PmacLink& link, int number);
double WriteVariable(PmacLink& link, int number, double value);

// Edit fields of a motor's I-variables, shown as integers ("%d"). Every field handed over is
// written with read-back, changed or not, and shows what the controller took.
class IntegerFields {
 public:
  IntegerFields(PmacLink& link, MotorSelection& selection, std::span<const int> suffixes,
                std::span<int> values);

  // Reads every variable of the addressed motor.
  void Read();
  std::string Text(std::size_t field) const;
  // A field left: text that parses replaces the value, which is then written again.
  void Edit(std::size_t field, std::string_view text);
  // Writes the value with read-back and keeps the read-back (0 on failure).
  void Write(std::size_t field, int value);
  int Value(std::size_t field) const { return values_[field]; }

 private:
  int Variable(std::size_t field) const;

  PmacLink& link_;
  MotorSelection& selection_;
  std::span<const int> suffixes_;
  std::span<int> values_;
};

}  // namespace bl::tuning
