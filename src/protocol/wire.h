#pragma once

#include <cstddef>
#include <string_view>

// The control characters that frame a controller's replies on every link: ACK ends a good
// reply, BEL starts an error report, CR ends each line; CAN (Ctrl-X) makes the controller drop
// its output and the line typed so far.
namespace protocol {

inline constexpr char kAck = 0x06;
inline constexpr char kBell = 0x07;
inline constexpr char kCr = 0x0D;
inline constexpr char kCancel = 0x18;

// Where a reply ends: at ACK, or after BEL [CR] "ERR" digits CR. kBareBel: the text so far ends
// in a BEL that may be the whole error (I6 = 0 or 2) or the start of a longer one.
// A reader that receives a reply in pieces passes `resume` of the last scan as `from` when the
// text has grown, so each byte is scanned about once.
struct ReplyEnd {
  enum class Kind { kNotYet, kComplete, kBareBel };
  Kind kind = Kind::kNotYet;
  std::size_t length = 0;  // bytes up to and including the end
  std::size_t resume = 0;  // not complete: where the scan must start again once more text came
};
ReplyEnd FindReplyEnd(std::string_view text, std::size_t from = 0);

}  // namespace protocol
