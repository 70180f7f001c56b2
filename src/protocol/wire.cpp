#include "protocol/wire.h"

#include <algorithm>

namespace protocol {

ReplyEnd FindReplyEnd(std::string_view text, std::size_t from) {
  using Kind = ReplyEnd::Kind;
  for (std::size_t i = from; i < text.size(); ++i) {
    if (text[i] == kAck) return {Kind::kComplete, i + 1, 0};
    if (text[i] != kBell) continue;
    // BEL [CR] "ERR" digits CR; until it is whole, a later scan starts again at the BEL.
    std::size_t j = i + 1;
    if (j == text.size()) return {Kind::kBareBel, j, i};
    if (text[j] == kCr) ++j;
    for (char expected : std::string_view("ERR")) {
      if (j == text.size()) return {Kind::kNotYet, 0, i};
      if (text[j] != expected) return {Kind::kComplete, i + 1, 0};  // a bare BEL, then text
      ++j;
    }
    std::size_t digits = 0;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9' && digits < 4) ++j, ++digits;
    if (j == text.size()) return {Kind::kNotYet, 0, i};
    return {Kind::kComplete, text[j] == kCr ? j + 1 : j, 0};
  }
  return {Kind::kNotYet, 0, std::max(from, text.size())};
}

}  // namespace protocol
