#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace bl::platform {

// printf-style formatting into a std::string: "%6.6X", "%lf" and "$%X" mean exactly what the C
// library makes of them. The result is complete however long it is; callers cut it where the
// system's limits say.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// scanf-style parsing of at most maxChars characters of text (a bounded, NUL-terminated copy is
// parsed, so text without a terminator or longer than expected is safe). Returns what sscanf
// returns: the number of fields assigned, or -1 (EOF) when the input ended first. Use field
// widths on every %s and %[ conversion.
int Scan(std::string_view text, std::size_t maxChars, const char* format, ...)
    __attribute__((format(scanf, 3, 4)));

// The length of text up to its first NUL, at most maxChars.
std::size_t BoundedLength(const char* text, std::size_t maxChars);

// True when text begins with prefix, letters compared without regard to case (ASCII only, as
// the controller's language is). prefix is given in lower case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// A number typed into a field: blanks first, then an optional sign and decimal digits, or, when
// hexAfterDollar is set, "$" and hexadecimal digits as well. What follows the digits is ignored,
// as scanf would; nothing when there are no digits. Magnitudes beyond 2^60 stay at 2^60, so any
// text gives a value the caller can clamp.
std::optional<long long> ParseNumberField(std::string_view text, bool hexAfterDollar);

// The text cut to at most maxChars characters.
inline std::string_view Cut(std::string_view text, std::size_t maxChars) {
  return text.substr(0, maxChars);
}

}  // namespace bl::platform
