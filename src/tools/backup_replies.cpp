#include "tools/backup_replies.h"

#include <cctype>

#include "platform/text_format.h"
#include "protocol/wire.h"

namespace bl::tools {

namespace {

// What precedes the acknowledge character; the library may or may not pass it on.
std::string_view BeforeAck(std::string_view reply) {
  return reply.substr(0, reply.find(protocol::kAck));
}

bool IsError(std::string_view reply) { return reply.find(protocol::kBell) != std::string::npos; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::vector<std::string_view> RangeValues(std::string_view reply, std::size_t maxValues) {
  std::vector<std::string_view> values;
  reply = BeforeAck(reply);
  std::size_t at = 0;
  while (at < reply.size() && values.size() < maxValues) {
    const std::size_t end = std::min(reply.find_first_of("\r\n", at), reply.size());
    const std::string_view value = reply.substr(at, end - at);
    // An error answers for the rest of the range: what follows is no value of it.
    if (IsError(value)) break;
    if (!value.empty()) values.push_back(value);
    at = end + 1;
  }
  return values;
}

std::optional<std::string> ListingText(std::string_view reply) {
  reply = BeforeAck(reply);
  if (IsError(reply) || reply.empty()) return std::nullopt;
  std::string text(reply);
  for (char& c : text)
    if (c == '\r') c = '\n';
  return text;
}

std::optional<std::array<unsigned, 8>> HexWords(std::string_view reply, std::size_t count) {
  std::array<unsigned, 8> words{};
  if (count == 0 || count > words.size()) return std::nullopt;
  reply = BeforeAck(reply);
  std::size_t at = 0;
  for (std::size_t k = 0; k < count; ++k) {
    while (at < reply.size() && reply[at] == ' ') ++at;
    unsigned word = 0;
    std::size_t digits = 0;
    for (; at < reply.size() && HexDigit(reply[at]) >= 0; ++at, ++digits) {
      if (digits == 6) return std::nullopt;  // more than a 24-bit word
      word = word * 16 + static_cast<unsigned>(HexDigit(reply[at]));
    }
    if (digits == 0) return std::nullopt;
    if (at < reply.size() && reply[at] != ' ' && reply[at] != '\r' && reply[at] != '\n')
      return std::nullopt;
    words[k] = word;
  }
  return words;
}

std::optional<std::string> AxisDefinition(std::string_view reply) {
  reply = BeforeAck(reply);
  if (IsError(reply)) return std::nullopt;
  const std::string_view line = reply.substr(0, reply.find_first_of("\r\n"));
  if (line.empty() || line[0] == '0') return std::nullopt;
  return std::string(line);
}

std::optional<std::string> MacroValue(std::string_view reply) {
  reply = BeforeAck(reply);
  // The line end belongs to the reply's framing, not to the answer.
  while (!reply.empty() && (reply.back() == '\r' || reply.back() == '\n')) reply.remove_suffix(1);
  if (reply.size() != 13) return std::nullopt;
  std::string digits;
  for (char c : reply.substr(1)) {
    if (HexDigit(c) < 0) return std::nullopt;
    digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return digits;
}

std::optional<int> DecimalWord(std::string_view reply) {
  int word = 0;
  if (platform::Scan(BeforeAck(reply), 255, "%d", &word) != 1) return std::nullopt;
  return word;
}

}  // namespace bl::tools
