#include "sim/text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace sim {

std::string FormatNumber(double value) {
  if (std::isnan(value)) return "0";
  if (std::isinf(value)) value = std::copysign(std::numeric_limits<double>::max(), value);
  char buffer[64];
  if (value == std::trunc(value) && std::fabs(value) < 1e15) {
    auto r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value));
    return std::string(buffer, r.ptr);
  }
  auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 10);
  return std::string(buffer, r.ptr);
}

std::string FormatHex(std::uint32_t word, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*X", digits, word);
  return buffer;
}

std::string FormatAddress(std::uint32_t address) { return "$" + FormatHex(address, 1); }

bool Scanner::AtCommandBoundary() const {
  if (AtArgumentEnd()) return true;
  char c = Peek();
  return IsLetter(c) || c == '#' || c == '&' || c == '?';
}

bool Scanner::AtArgumentEnd() const {
  if (AtEnd()) return true;
  char c = Peek();
  return IsBlank(c) || c == ';' || IsControlCommand(c);
}

bool Scanner::Match(std::string_view literal) {
  if (text_.size() - pos_ < literal.size()) return false;
  for (std::size_t i = 0; i < literal.size(); ++i) {
    if (Upper(text_[pos_ + i]) != Upper(literal[i])) return false;
  }
  pos_ += literal.size();
  return true;
}

std::string Scanner::ReadWord() {
  std::string word;
  while (!AtEnd() && IsLetter(Peek())) {
    if (word.size() < 32) word.push_back(Upper(Peek()));
    ++pos_;
  }
  return word;
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Upper(c);
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::uint32_t> Scanner::ReadUnsigned(bool allowHex, std::uint32_t max) {
  std::size_t start = pos_;
  bool hex = allowHex && Peek() == '$';
  int base = hex ? 16 : 10;
  int maxDigits = hex ? 8 : 10;
  if (hex) ++pos_;
  std::uint64_t value = 0;
  int digits = 0;
  for (int d; (d = HexDigit(Peek())) >= 0 && d < base; ++pos_) {
    if (++digits > maxDigits) break;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
  }
  if (digits == 0 || digits > maxDigits || value > max) {
    pos_ = start;
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

std::optional<double> Scanner::ReadValue() {
  std::size_t start = pos_;
  bool negative = false;
  if (Peek() == '+' || Peek() == '-') {
    negative = Peek() == '-';
    ++pos_;
  }
  if (Peek() == '$') {
    auto hex = ReadUnsigned(true, 0xFFFFFFFFu);
    if (!hex) {
      pos_ = start;
      return std::nullopt;
    }
    return negative ? -static_cast<double>(*hex) : static_cast<double>(*hex);
  }
  std::size_t numberStart = pos_;
  int digits = 0;
  while (IsDigit(Peek())) ++pos_, ++digits;
  if (Peek() == '.') {
    ++pos_;
    while (IsDigit(Peek())) ++pos_, ++digits;
  }
  if (digits == 0) {
    pos_ = start;
    return std::nullopt;
  }
  // An exponent only when digits follow, so "2E" stays a number and a word.
  if (Upper(Peek()) == 'E') {
    std::size_t e = 1;
    if (Peek(1) == '+' || Peek(1) == '-') e = 2;
    if (IsDigit(Peek(e))) {
      pos_ += e;
      while (IsDigit(Peek())) ++pos_;
    }
  }
  std::string_view number = text_.substr(numberStart, pos_ - numberStart);
  double value = 0;
  auto r = std::from_chars(number.data(), number.data() + number.size(), value);
  if (number.size() > 64 || r.ec != std::errc() || r.ptr != number.data() + number.size() ||
      !std::isfinite(value)) {
    pos_ = start;
    return std::nullopt;
  }
  return negative ? -value : value;
}

}  // namespace sim
