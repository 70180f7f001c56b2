#include "sim/ethernet_protocol.h"

#include "sim/text.h"

namespace sim::eth {

std::array<std::uint8_t, kHeaderSize> EncodeHeader(const Header& h) {
  return {h.requestType,
          h.request,
          static_cast<std::uint8_t>(h.value >> 8),
          static_cast<std::uint8_t>(h.value & 0xFF),
          static_cast<std::uint8_t>(h.index >> 8),
          static_cast<std::uint8_t>(h.index & 0xFF),
          static_cast<std::uint8_t>(h.length >> 8),
          static_cast<std::uint8_t>(h.length & 0xFF)};
}

Header DecodeHeader(const std::array<std::uint8_t, kHeaderSize>& b) {
  auto word = [&b](std::size_t i) { return static_cast<std::uint16_t>((b[i] << 8) | b[i + 1]); };
  return {b[0], b[1], word(2), word(4), word(6)};
}

std::string Packet(Header header, std::string_view data) {
  header.length = static_cast<std::uint16_t>(data.size());
  auto bytes = EncodeHeader(header);
  std::string packet(bytes.begin(), bytes.end());
  packet += data;
  return packet;
}

char ControlCharFromValue(std::uint16_t value) {
  auto low = static_cast<char>(value & 0xFF);
  return low != 0 ? low : static_cast<char>(value >> 8);
}

ReplyEnd FindReplyEnd(std::string_view text, std::size_t from) {
  using Kind = ReplyEnd::Kind;
  for (std::size_t i = from; i < text.size(); ++i) {
    if (text[i] == kAck) return {Kind::kComplete, i + 1};
    if (text[i] != kBel) continue;
    // BEL [CR] "ERR" digits CR
    std::size_t j = i + 1;
    if (j == text.size()) return {Kind::kBareBel, j};
    if (text[j] == kCr) ++j;
    for (char expected : std::string_view("ERR")) {
      if (j == text.size()) return {Kind::kNotYet, 0};
      if (text[j] != expected) return {Kind::kComplete, i + 1};  // a bare BEL, then other text
      ++j;
    }
    std::size_t digits = 0;
    while (j < text.size() && IsDigit(text[j]) && digits < 4) ++j, ++digits;
    if (j == text.size()) return {Kind::kNotYet, 0};
    return {Kind::kComplete, text[j] == kCr ? j + 1 : j};
  }
  return {Kind::kNotYet, 0};
}

std::array<std::uint8_t, 4> WriteBufferAnswer(int error, std::size_t line) {
  if (error == 0) return {0, 0, 0, 0};
  return {static_cast<std::uint8_t>(line & 0xFF), static_cast<std::uint8_t>((line >> 8) & 0xFF),
          static_cast<std::uint8_t>(error & 0xFF), 0x80};
}

}  // namespace sim::eth
