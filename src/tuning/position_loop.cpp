#include "tuning/position_loop.h"

#include "link/pmac_link.h"
#include "platform/text_format.h"
#include "tuning/motor_selection.h"

namespace bl::tuning {

namespace {
// A field's text is read as far as a command line reaches.
constexpr std::size_t kFieldChars = 255;
constexpr std::size_t kReplyChars = 249;
}  // namespace

int ScaleGain(int value, double factor) { return TruncateToInt(value * factor + 0.5); }

std::optional<double> ScanField(std::string_view text) {
  double value = 0.0;
  if (platform::Scan(text, kFieldChars, "%lf", &value) != 1) return std::nullopt;
  return value;
}

std::optional<std::array<int, 5>> ParseGainReadBack(std::string_view reply) {
  std::array<int, 5> v{};
  if (platform::Scan(reply, kReplyChars, "%d %d %d %d %d", &v[0], &v[1], &v[2], &v[3], &v[4]) != 5)
    return std::nullopt;
  return v;
}

double ReadVariable(PmacLink& link, int number) {
  double value = 0.0;
  if (link.PmacValue(ValueKind::I, number, value, AccessMode::Read) != 0) return 0.0;
  return value;
}

double WriteVariable(PmacLink& link, int number, double value) {
  if (link.PmacValue(ValueKind::I, number, value, AccessMode::WriteRead) != 0) return 0.0;
  return value;
}

IntegerFields::IntegerFields(PmacLink& link, MotorSelection& selection,
                             std::span<const int> suffixes, std::span<int> values)
    : link_(link), selection_(selection), suffixes_(suffixes), values_(values) {}

int IntegerFields::Variable(std::size_t field) const {
  return MotorVariable(selection_.Motor(), suffixes_[field]);
}

void IntegerFields::Read() {
  for (std::size_t i = 0; i < values_.size(); ++i)
    values_[i] = TruncateToInt(ReadVariable(link_, Variable(i)));
}

std::string IntegerFields::Text(std::size_t field) const {
  return platform::Format("%d", values_[field]);
}

void IntegerFields::Edit(std::size_t field, std::string_view text) {
  if (field >= values_.size()) return;
  const std::optional<double> typed = ScanField(text);
  Write(field, typed ? TruncateToInt(*typed) : values_[field]);
}

void IntegerFields::Write(std::size_t field, int value) {
  values_[field] = TruncateToInt(WriteVariable(link_, Variable(field), value));
}

}  // namespace bl::tuning
