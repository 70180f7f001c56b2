#include "protocol/ethernet_protocol.h"

namespace protocol::eth {

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

std::array<std::uint8_t, 4> WriteBufferAnswer(int error, std::size_t line) {
  if (error == 0) return {0, 0, 0, 0};
  return {static_cast<std::uint8_t>(line & 0xFF), static_cast<std::uint8_t>((line >> 8) & 0xFF),
          static_cast<std::uint8_t>(error & 0xFF), 0x80};
}

}  // namespace protocol::eth
