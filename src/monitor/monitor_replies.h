#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace bl::monitor {

// The monitor's commands and the reading of their replies, one function per exchange. Replies
// come from the controller and are read within their first kReplySize characters; a reply that
// does not say what is asked changes nothing (or, for the position values, gives zeros).
inline constexpr int kReplySize = 999;

// The gather mode query: "I45" on types 1..3, "I5000" on the Turbo types 4..6.
std::string_view GatherModeCommand(int typeCode);
// The mode 0..3 in a reply to that query; nothing for any other reply.
std::optional<int> ParseGatherMode(std::string_view reply);

// The status, the gather registers and the period, read in one exchange in the order the reply
// gives them.
std::string_view GatherStatusCommand(int typeCode, int mode);

struct GatherNumbers {
  int status = 0;  // the global status word or the DPRAM control word; not shown
  int b = 0;       // mode 0 or 1: the write pointer; 2 or 3: the storage index
  int c = 0;       // mode 0 or 1: the start register; 2 or 3: the buffer size
  int period = 0;
};
// All four numbers of a status reply, or nothing.
std::optional<GatherNumbers> ParseGatherStatus(std::string_view reply);

struct GatherAddresses {
  int period = 0;
  int start = 0;
  int current = 0;
  int end = 0;
  bool operator==(const GatherAddresses&) const = default;
};
// Where the buffer lies and how far it is filled, for the data view's panel.
GatherAddresses GatherAddressesFrom(int typeCode, int mode, const GatherNumbers& numbers,
                                    int endOfUserMemory);

// The global status word query that tells when a test move's gathering has ended.
std::string_view GatherBitCommand(int typeCode);
// True when the word in the reply has the gathering bit (19) clear, false while it is set,
// nothing when the reply holds no number.
std::optional<bool> GatheringStopped(std::string_view reply);

// The position window's report request: the control character of the display mode (Ctrl-P
// positions, Ctrl-V velocities, Ctrl-F following errors), on the Turbo types after "##" and the
// motor group, which chooses the eight motors reported.
std::string PositionCommand(int typeCode, int displayMode, int motorGroup);
// The index (0..31) of the first of the eight motors a report fills.
int PositionFirstMotor(int motorGroup);
// The eight numbers of a report; false, with all eight 0, unless every one was read.
bool ReadPositionReply(std::string_view reply, std::array<double, 8>& values);

}  // namespace bl::monitor
