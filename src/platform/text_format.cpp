#include "platform/text_format.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace bl::platform {

std::string Format(const char* format, ...) {
  char small[256];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int needed = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  std::string out;
  if (needed < 0) {
    va_end(again);
    return out;
  }
  if (static_cast<std::size_t>(needed) < sizeof small) {
    out.assign(small, static_cast<std::size_t>(needed));
  } else {
    out.resize(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(out.data(), out.size(), format, again);
    out.resize(static_cast<std::size_t>(needed));
  }
  va_end(again);
  return out;
}

int Scan(std::string_view text, std::size_t maxChars, const char* format, ...) {
  std::string copy(text.substr(0, maxChars));
  // A NUL inside the text ends it, as it would for the C string the reply arrived in.
  copy.resize(std::strlen(copy.c_str()));
  va_list args;
  va_start(args, format);
  const int n = std::vsscanf(copy.c_str(), format, args);
  va_end(args);
  return n;
}

std::size_t BoundedLength(const char* text, std::size_t maxChars) {
  return text == nullptr ? 0 : strnlen(text, maxChars);
}

std::optional<long long> ParseNumberField(std::string_view text, bool hexAfterDollar) {
  constexpr long long kLimit = 1LL << 60;
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  int base = 10;
  if (hexAfterDollar && i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long magnitude = 0;
  bool any = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) break;
    any = true;
    magnitude = magnitude >= kLimit / base ? kLimit : magnitude * base + digit;
  }
  if (!any) return std::nullopt;
  return negative ? -magnitude : magnitude;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace bl::platform
