// The monitor's replies as a hostile controller might send them: the gather mode, the gather
// status numbers, the global status word and the position reports (cut, garbled, overlong,
// numbers beyond an int). The input: the type code, the mode, the end of user memory, the
// position window's mode and group, then the replies.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "monitor/monitor_replies.h"

using namespace bl::monitor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const int typeCode = data.ConsumeIntegralInRange(0, 7);
  const int endOfUserMemory = data.ConsumeIntegralInRange(0, 0xFFFFFF);
  const int displayMode = data.ConsumeIntegralInRange(-1, 3);
  const int group = data.ConsumeIntegral<int>();

  int mode = data.ConsumeIntegralInRange(0, 3);
  if (const auto read = ParseGatherMode(data.ConsumeRandomLengthString(1200))) {
    BL_FUZZ_CHECK(*read >= 0 && *read <= 3);
    mode = *read;
  }
  if (const auto numbers = ParseGatherStatus(data.ConsumeRandomLengthString(1200))) {
    const GatherAddresses a = GatherAddressesFrom(typeCode, mode, *numbers, endOfUserMemory);
    BL_FUZZ_CHECK(a.period == numbers->period);
    if (mode >= 2) {
      const int base = typeCode >= 4 && typeCode <= 6 ? 0x60450 : 0xD200;
      BL_FUZZ_CHECK(a.start == base && a.current >= base && a.current <= base + 0xFFFF);
      BL_FUZZ_CHECK(a.end >= base && a.end <= base + 0xFFFF);
    } else {
      BL_FUZZ_CHECK(a.end == endOfUserMemory && a.current == numbers->b);
      BL_FUZZ_CHECK(a.start == numbers->c || a.start == numbers->c - 0x400000);
    }
  }
  (void)GatheringStopped(data.ConsumeRandomLengthString(1200));

  const std::string command = PositionCommand(typeCode, displayMode, group);
  BL_FUZZ_CHECK(command.size() == 1 || command.size() == 5);
  const char report = command.back();
  BL_FUZZ_CHECK(report == 16 || report == 22 || report == 6);
  const int first = PositionFirstMotor(group);
  BL_FUZZ_CHECK(first >= 0 && first <= 24 && first % 8 == 0);
  std::array<double, 8> values;
  values.fill(1);
  if (!ReadPositionReply(data.ConsumeRemainingBytesAsString(), values))
    for (double v : values) BL_FUZZ_CHECK(v == 0);
  return 0;
}
