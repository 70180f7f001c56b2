#include "monitor/monitor_replies.h"

#include "platform/text_format.h"

namespace bl::monitor {

namespace {

constexpr int kWrapBit = 0x400000;
constexpr int kGatheringBit = 0x80000;
constexpr int kPmacDpramData = 0xD200;
constexpr int kTurboDpramData = 0x60450;

bool IsTurbo(int typeCode) { return typeCode >= 4 && typeCode <= 6; }
bool ToDpram(int mode) { return mode == 2 || mode == 3; }

}  // namespace

std::string_view GatherModeCommand(int typeCode) { return IsTurbo(typeCode) ? "I5000" : "I45"; }

std::optional<int> ParseGatherMode(std::string_view reply) {
  int mode = -1;
  if (platform::Scan(reply, kReplySize, "%d", &mode) != 1 || mode < 0 || mode > 3)
    return std::nullopt;
  return mode;
}

std::string_view GatherStatusCommand(int typeCode, int mode) {
  if (IsTurbo(typeCode))
    return ToDpram(mode) ? "RX:$6 RX:$6044F RY:$6044F I5049" : "RX:$6 RY:$3120 RX:$3120 I5049";
  return ToDpram(mode) ? "RX:$3 RX:$7FC RY:$7FC I19" : "RX:$3 RY:$F20 RX:$F20 I19";
}

std::optional<GatherNumbers> ParseGatherStatus(std::string_view reply) {
  GatherNumbers n;
  if (platform::Scan(reply, kReplySize, "%d \r %d  \r %d \r %d", &n.status, &n.b, &n.c,
                     &n.period) != 4)
    return std::nullopt;
  return n;
}

GatherAddresses GatherAddressesFrom(int typeCode, int mode, const GatherNumbers& numbers,
                                    int endOfUserMemory) {
  GatherAddresses a;
  a.period = numbers.period;
  if (!ToDpram(mode)) {
    // The start register carries the wrap-around flag in bit 22.
    a.start = numbers.c >= kWrapBit ? numbers.c - kWrapBit : numbers.c;
    a.current = numbers.b;
    a.end = endOfUserMemory;
    return a;
  }
  const int base = IsTurbo(typeCode) ? kTurboDpramData : kPmacDpramData;
  a.start = base;
  a.current = (numbers.b & 0xFFFF) + base;
  a.end = (numbers.c & 0xFFFF) + base;
  return a;
}

std::string_view GatherBitCommand(int typeCode) { return IsTurbo(typeCode) ? "RX:$6" : "RX:$3"; }

std::optional<bool> GatheringStopped(std::string_view reply) {
  int word = 0;
  if (platform::Scan(reply, kReplySize, "%d", &word) != 1) return std::nullopt;
  return (word & kGatheringBit) == 0;
}

std::string PositionCommand(int typeCode, int displayMode, int motorGroup) {
  char report = 16;                   // Ctrl-P
  if (displayMode == 1) report = 22;  // Ctrl-V
  if (displayMode == 2) report = 6;   // Ctrl-F
  if (!IsTurbo(typeCode)) return std::string(1, report);
  // "##%d     " with its fifth character made the report request and cut there: for groups
  // 0..9 the group, a blank and the request.
  std::string command = platform::Format("##%d     ", motorGroup);
  command[4] = report;
  command.resize(5);
  return command;
}

int PositionFirstMotor(int motorGroup) {
  return motorGroup >= 0 && motorGroup <= 3 ? 8 * motorGroup : 0;
}

bool ReadPositionReply(std::string_view reply, std::array<double, 8>& values) {
  std::array<double, 8> v{};
  if (platform::Scan(reply, kReplySize, "%lf %lf %lf %lf %lf %lf %lf %lf", &v[0], &v[1], &v[2],
                     &v[3], &v[4], &v[5], &v[6], &v[7]) != 8) {
    values.fill(0);
    return false;
  }
  values = v;
  return true;
}

}  // namespace bl::monitor
