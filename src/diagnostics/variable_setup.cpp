#include "diagnostics/variable_setup.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "controller/controller_type.h"
#include "definitions/definition_table.h"
#include "link/pmac_link.h"
#include "platform/desktop.h"
#include "platform/text_format.h"

namespace bl::diagnostics {

namespace {

constexpr const char* kNotConnected = "Not Connected";
constexpr const char* kTitle = "Set PMAC Variables";
constexpr int kAddressReplySize = 100;
constexpr std::size_t kFieldChars = 255;

char Letter(int kind) { return "PQMI"[std::clamp(kind, 1, 4) - 1]; }

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string SetupValueText(double value, bool hexadecimal) {
  if (hexadecimal && std::isfinite(value) && value == std::trunc(value)) {
    const std::string all = platform::Format("%8.8X", static_cast<unsigned>(TruncateToInt(value)));
    return "$" + all.substr(all.size() - 6);
  }
  return platform::Format("%lf", value);
}

std::optional<double> ParseSetupValue(std::string_view text) {
  text = Trimmed(platform::Cut(text, kFieldChars));
  if (text.empty()) return std::nullopt;
  if (text.front() == '$') {
    const std::string_view digits = text.substr(1);
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    unsigned value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return static_cast<double>(value);
  }
  // A real as "%lf" reads it, but all of the text: "12abc" is refused rather than sent as 12.
  std::string copy(text);
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  if (end == copy.c_str() || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  // Hexadecimal floats and the like are not what the field means.
  for (char c : copy)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
          c == 'e' || c == 'E'))
      return std::nullopt;
  return value;
}

bool ValidAddressText(std::string_view text) {
  if (text.empty() || text.size() > kSetupBufferChars) return false;
  return std::all_of(text.begin(), text.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '$' || c == ':' || c == ',' ||
           c == '.' || c == '*' || c == '#';
  });
}

VariableSetupPresenter::VariableSetupPresenter(VariableSetupMemory& memory, PmacLink& link,
                                               const DefinitionTable& definitions,
                                               const ControllerType& type,
                                               platform::Desktop& desktop)
    : memory_(memory), link_(link), definitions_(definitions), type_(type), desktop_(desktop) {}

int VariableSetupPresenter::Last() const { return std::max(0, type_.variableCount - kSetupRows); }

int VariableSetupPresenter::ScrollMaximum() const { return type_.variableCount + 29; }

void VariableSetupPresenter::Open() {
  memory_.kind = std::clamp(memory_.kind, 1, 4);
  memory_.top = std::clamp(memory_.top, 0, Last());
  EmptyAll();
}

void VariableSetupPresenter::EmptyAll() {
  for (Row& r : rows_) {
    r.value.clear();
    r.address.clear();
  }
  Refresh();
}

void VariableSetupPresenter::Refresh() {
  const auto kind = static_cast<VariableKind>(memory_.kind - 1);
  for (int i = 0; i < kSetupRows; ++i) {
    Row& r = rows_[static_cast<std::size_t>(i)];
    r.label = platform::Format("%c%d", Letter(memory_.kind), Number(i));
    r.name = std::string(platform::Cut(definitions_.NameOf(kind, Number(i)), 32));
  }
}

void VariableSetupPresenter::Tick() {
  const bool m = AddressesEnabled();
  if (link_.PmacDevice() == -1) {
    for (Row& r : rows_) {
      if (r.value.empty()) r.value = kNotConnected;
      if (m && r.address.empty()) r.address = kNotConnected;
    }
    return;
  }
  for (int i = 0; i < kSetupRows; ++i) {
    Row& r = rows_[static_cast<std::size_t>(i)];
    if (!r.value.empty()) continue;
    double value = 0;
    // A variable the controller does not answer for is marked, so the rows below it are read.
    if (link_.PmacValue(static_cast<ValueKind>(memory_.kind), Number(i), value, AccessMode::Read) ==
        0)
      r.value = SetupValueText(value, memory_.hexadecimal);
    else
      r.value = link_.PmacDevice() == -1 ? kNotConnected : "?";
    break;
  }
  if (!m) return;
  for (int i = 0; i < kSetupRows; ++i) {
    Row& r = rows_[static_cast<std::size_t>(i)];
    if (!r.address.empty()) continue;
    std::string reply;
    link_.PmacCommand(reply, kAddressReplySize, platform::Format("M%d->", Number(i)), false);
    // The reply ends in a carriage return (and the acknowledgement, where the link keeps it).
    while (!reply.empty() && (reply.back() == '\r' || reply.back() == '\n' || reply.back() == 6))
      reply.pop_back();
    r.address = std::string(platform::Cut(reply, kSetupBufferChars));
    if (r.address.empty()) r.address = "?";
    break;
  }
}

void VariableSetupPresenter::ValueEdited(int row, const std::string& text) {
  if (row < 0 || row >= kSetupRows || link_.PmacDevice() == -1) return;
  Row& r = rows_[static_cast<std::size_t>(row)];
  if (text == r.value) return;
  const std::optional<double> value = ParseSetupValue(text);
  if (!value) {
    desktop_.ShowMessage("\"" + std::string(platform::Cut(text, 40)) +
                             "\" is not a value. Type a decimal number, or a hexadecimal "
                             "number after \"$\". Nothing was sent.",
                         kTitle);
    return;
  }
  std::string reply;
  link_.PmacCommand(reply, kAddressReplySize,
                    platform::Format("%c%d=%lf", Letter(memory_.kind), Number(row), *value), false);
  r.value.clear();
}

void VariableSetupPresenter::AddressEdited(int row, const std::string& text) {
  if (row < 0 || row >= kSetupRows || !AddressesEnabled() || link_.PmacDevice() == -1) return;
  Row& r = rows_[static_cast<std::size_t>(row)];
  if (text == r.address) return;
  if (!ValidAddressText(text)) {
    desktop_.ShowMessage("\"" + std::string(platform::Cut(text, 40)) +
                             "\" is not an M-variable address (for example X:$C000,8,16,S). "
                             "Nothing was sent.",
                         kTitle);
    return;
  }
  std::string reply;
  link_.PmacCommand(reply, kAddressReplySize, platform::Format("M%d->", Number(row)) + text, false);
  r.value.clear();
  r.address.clear();
}

void VariableSetupPresenter::SetKind(int kind) {
  memory_.kind = std::clamp(kind, 1, 4);
  EmptyAll();
}

void VariableSetupPresenter::SetHexadecimal(bool hexadecimal) {
  memory_.hexadecimal = hexadecimal;
  EmptyAll();
}

void VariableSetupPresenter::ScrollBy(int delta) { ScrollTo(memory_.top + delta); }

void VariableSetupPresenter::ScrollTo(int top) {
  top = std::clamp(top, 0, Last());
  if (top == memory_.top) return;
  memory_.top = top;
  EmptyAll();
}

}  // namespace bl::diagnostics
