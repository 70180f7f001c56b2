#pragma once

#include <string>
#include <string_view>

#include "link/pmac_link.h"

namespace bl {

// The command that reads a value of kind ("P%d", "RX:%d", "RHX:%d RHY:%d", ...); empty for an
// unknown kind.
std::string ValueReadCommand(ValueKind kind, int number);

// The value in a controller's reply to ValueReadCommand, read with at most kValueReplySize
// characters: decimal ("%lf"), or "$" and hexadecimal taken as a signed 32-bit word; an X:Y pair
// is two hexadecimal words, separated by blanks or a line end, making one signed 48-bit number.
// False, with value untouched, when the reply does not read so.
bool ParseValueReply(ValueKind kind, std::string_view reply, double& value);

}  // namespace bl
