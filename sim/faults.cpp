#include "sim/faults.h"

#include "sim/text.h"

namespace sim {

std::string NoiseReply(std::uint32_t seed) {
  std::uint32_t state = seed * 2654435761u + 12345u;
  if (state == 0) state = 1;  // xorshift never leaves zero
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  };
  std::string text;
  std::size_t length = 8 + next() % 33;
  while (text.size() < length) {
    auto c = static_cast<char>(next() % 128);
    if (c == kAck || c == kBell || c == kCr || c == '\0') continue;
    // Never the start of a number, so the noise cannot pass for a value.
    if (text.empty() && ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == '$' ||
                         c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f')) {
      continue;
    }
    text.push_back(c);
  }
  text += kCr;
  text += kAck;
  return text;
}

}  // namespace sim
