#include "link/value_reply.h"

#include <cstdint>

#include "platform/text_format.h"

namespace bl {

std::string ValueReadCommand(ValueKind kind, int number) {
  switch (kind) {
    case ValueKind::P:
      return platform::Format("P%d", number);
    case ValueKind::Q:
      return platform::Format("Q%d", number);
    case ValueKind::M:
      return platform::Format("M%d", number);
    case ValueKind::I:
      return platform::Format("I%d", number);
    case ValueKind::XWord:
    case ValueKind::XWordToo:
      return platform::Format("RX:%d", number);
    case ValueKind::YWord:
    case ValueKind::YWordToo:
      return platform::Format("RY:%d", number);
    case ValueKind::XYPair:
      return platform::Format("RHX:%d RHY:%d", number, number);
  }
  return {};
}

bool ParseValueReply(ValueKind kind, std::string_view reply, double& value) {
  if (kind == ValueKind::XYPair) {
    unsigned int high = 0;
    unsigned int low = 0;
    if (platform::Scan(reply, kValueReplySize, "%X \r%X", &high, &low) != 2) return false;
    // 48-bit two's complement: bit 23 of the X word is the sign.
    std::int64_t pair =
        static_cast<std::int64_t>(high & 0x7FFFFFu) * 16777216 + static_cast<std::int64_t>(low);
    if ((high & 0x800000u) != 0) pair -= std::int64_t{1} << 47;
    value = static_cast<double>(pair);
    return true;
  }
  if (!reply.empty() && reply[0] == '$') {
    unsigned int hex = 0;
    if (platform::Scan(reply.substr(1), kValueReplySize, "%X", &hex) != 1) return false;
    value = static_cast<double>(static_cast<std::int32_t>(hex));
    return true;
  }
  double parsed = 0;
  if (platform::Scan(reply, kValueReplySize, "%lf", &parsed) != 1) return false;
  value = parsed;
  return true;
}

}  // namespace bl
