#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/wire.h"

namespace sim {

using protocol::kAck;
using protocol::kBell;
using protocol::kCr;

// A variable's value as the controller prints it: integers without a point, others with ten
// significant digits and no trailing zeros. Locale-independent.
std::string FormatNumber(double value);
// Upper-case hexadecimal, zero-padded to `digits`.
std::string FormatHex(std::uint32_t word, int digits = 6);
// Upper-case hexadecimal without padding ("$78805" style addresses).
std::string FormatAddress(std::uint32_t address);

// True for the characters that separate commands on a line.
inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
// A control character that acts as a command of its own (^A ... ^Z but not TAB, LF, CR).
inline bool IsControlCommand(char c) { return c >= 1 && c <= 26 && !IsBlank(c); }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
inline char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// A cursor over one command line. Every read is bounded by the line and by a digit limit, so
// hostile text can only fail to parse.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek(std::size_t ahead = 0) const {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
  }
  void Advance(std::size_t n = 1) { pos_ = pos_ + n < text_.size() ? pos_ + n : text_.size(); }
  std::size_t Position() const { return pos_; }
  void Reset(std::size_t pos) { pos_ = pos; }
  void SkipBlanks() {
    while (!AtEnd() && IsBlank(Peek())) ++pos_;
  }
  // True where the next command may begin: the end, a blank, a comment, a control character, or
  // the start of a word or an addressing command.
  bool AtCommandBoundary() const;
  // True where a query or definition ends: the end, a blank, a comment or a control character.
  bool AtArgumentEnd() const;

  // Consumes `literal` (compared without regard to case) when it is next.
  bool Match(std::string_view literal);
  // The run of letters at the cursor, upper-cased; at most 32 letters (a longer run is returned
  // cut, which no command matches).
  std::string ReadWord();
  // A decimal number, or "$" and hexadecimal digits when allowHex; nothing when absent, too long
  // or above `max`.
  std::optional<std::uint32_t> ReadUnsigned(bool allowHex, std::uint32_t max);
  // A constant: optional sign, then a decimal number (point and exponent allowed) or "$" hex.
  std::optional<double> ReadValue();

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace sim
