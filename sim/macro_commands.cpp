// The MACRO IC's node variables as a controller with its IC at node 0 and no ring answers them
// (see CONFIG.md): MS node,MI n reads, MS node,MI n=value writes.
#include <cmath>
#include <cstdio>
#include <optional>

#include "sim/command_interpreter.h"

namespace sim {

namespace {

constexpr std::uint64_t kMacroMask = 0xFFFFFFFFFFFFull;  // 48 bits

int HexDigit(char c) {
  if (IsDigit(c)) return c - '0';
  c = Upper(c);
  return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// "$" and up to sixteen hexadecimal digits whose value fits 48 bits (the form the controller
// answers, "$00000000ABCD"), or a whole decimal number within 48 bits, signed or not.
std::optional<std::uint64_t> ReadMacroValue(Scanner& s) {
  if (s.Peek() == '$') {
    s.Advance();
    std::uint64_t value = 0;
    int digits = 0;
    for (int d = HexDigit(s.Peek()); d >= 0; d = HexDigit(s.Peek())) {
      if (++digits > 16) return std::nullopt;
      value = value << 4 | static_cast<std::uint64_t>(d);
      s.Advance();
    }
    if (digits == 0 || value > kMacroMask) return std::nullopt;
    return value;
  }
  auto value = s.ReadValue();
  if (!value || *value != std::trunc(*value) || *value < -140737488355328.0 ||
      *value > 281474976710655.0) {
    return std::nullopt;
  }
  // Negative numbers are kept in two's complement.
  return static_cast<std::uint64_t>(std::llround(*value)) & kMacroMask;
}

}  // namespace

std::uint64_t Machine::MacroVariable(int node, int n) const {
  return macro_[static_cast<std::size_t>(node * kMacroVariables + n)];
}

void Machine::SetMacroVariable(int node, int n, std::uint64_t value) {
  macro_[static_cast<std::size_t>(node * kMacroVariables + n)] = value & kMacroMask;
}

int CommandInterpreter::MacroCommand(Scanner& s, std::string& out) {
  auto node = s.ReadUnsigned(false, Machine::kMacroNodes - 1);
  if (!node || !s.Match(",") || !s.Match("MI")) return kErrUnrecognized;
  auto n = s.ReadUnsigned(false, Machine::kMacroVariables - 1);
  if (!n) return kErrUnrecognized;
  const auto nodeIndex = static_cast<int>(*node);
  const auto variable = static_cast<int>(*n);
  if (s.Match("=")) {
    auto value = ReadMacroValue(s);
    if (!value || !s.AtCommandBoundary()) return kErrUnrecognized;
    m_.SetMacroVariable(nodeIndex, variable, *value);
    return 0;
  }
  if (!s.AtCommandBoundary()) return kErrUnrecognized;
  char text[16];
  std::snprintf(text, sizeof text, "$%012llX",
                static_cast<unsigned long long>(m_.MacroVariable(nodeIndex, variable)));
  out += text;
  out += kCr;
  return 0;
}

}  // namespace sim
