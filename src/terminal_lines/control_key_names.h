#pragma once

#include <string_view>

namespace bl {

// The name by which a control character (code 1 = Ctrl-A .. 26 = Ctrl-Z) is echoed in the
// terminal; empty for any other code.
std::string_view ControlKeyName(int code);

}  // namespace bl
