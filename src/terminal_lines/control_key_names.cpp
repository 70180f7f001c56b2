#include "terminal_lines/control_key_names.h"

#include <array>

namespace bl {

namespace {

// The names of Ctrl-R and Ctrl-S have no closing parenthesis; that is how they have always read.
constexpr std::array<std::string_view, 27> kControlKeyNames = {
    "",
    "Control-A (Abort all programs and moves.)",
    "Control-B (Report status word for all motors.)",
    "Control-C (Report all coordinate system status words.)",
    "Control-D (Disable all PLC programs.)",
    "Control-E (Report configured address contents in binary.)",
    "Control-F (Report following errors for all motors.)",
    "Control-G (Report global status word.)",
    "Control-H (Erase last character.)",
    "Control-I (Repeat last command line.)",
    "Control-J",
    "Control-K (Kill all motors.)",
    "Control-L (Close open rotary buffer.)",
    "Control-M (Enter command line.)",
    "Control-N (Report command line checksum.)",
    "Control-O (Feed hold on all coordinate systems.)",
    "Control-P (Report positions of all motors.)",
    "Control-Q (Quit all executing motion programs.)",
    "Control-R (Begin execution of motion programs in all coordinate systems.",
    "Control-S (Stop working motion programs in all coordinate systems.",
    "Control-T (Toggle serial port half/full duplex mode.)",
    "Control-U (Open rotary program buffer(s).)",
    "Control-V (Report velocity of all motors.)",
    "Control-W (Take command line from dual-ported RAM.)",
    "Control-X (Cancel in process communications.)",
    "Control-Y (Report last command line.)",
    "Control-Z (Set PMAC in serial port communications mode.)",
};

}  // namespace

std::string_view ControlKeyName(int code) {
  return code >= 1 && code <= 26 ? kControlKeyNames[static_cast<std::size_t>(code)]
                                 : std::string_view{};
}

}  // namespace bl
