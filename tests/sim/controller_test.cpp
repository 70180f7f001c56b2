// What identification reads, the memory map of a fresh controller, its time and its locking.
#include "sim/controller.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "sim/model.h"

namespace sim {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

std::string Answer(Controller& c, const std::string& line) {
  std::string reply = c.Respond(line);
  EXPECT_FALSE(reply.empty());
  if (!reply.empty() && reply.back() == '\x06') reply.pop_back();
  return reply;
}

class EveryType : public testing::TestWithParam<int> {};

TEST_P(EveryType, AnswersIdentificationAsTheWorkbenchExpects) {
  const int type = GetParam();
  const bool turbo = type >= 4;
  Controller c(type);
  EXPECT_EQ(c.TypeCode(), type);
  const char* prefixes[] = {"PMAC1", "PMAC2", "PMACUL", "TURBO1", "TURBO2", "TURBOU"};
  EXPECT_EQ(Answer(c, "I9=2 TYPE").rfind(prefixes[type - 1], 0), 0u);
  EXPECT_EQ(Answer(c, "I10"), "3713707\r");
  // The re-initialise jumper is off: its bit reads 1, asked with a decimal address.
  const std::uint32_t jumper[] = {0xFFC0, 0xE801, 0xE801, 0x78800, 0x70801, 0x70801};
  const std::uint32_t bit[] = {0x100000, 8, 8, 0x100000, 8, 8};
  long word = std::stol(Answer(c, "RY:" + std::to_string(jumper[type - 1])));
  EXPECT_NE(word & bit[type - 1], 0);
  // Variable and motor counts.
  const int n = turbo ? 8192 : 1024;
  EXPECT_EQ(Answer(c, "P" + std::to_string(n - 1)), "0\r");
  EXPECT_EQ(c.Respond("I" + std::to_string(n)), "\aERR003\r");
  EXPECT_EQ(c.Respond(turbo ? "#32" : "#8"), "\x06");
  if (turbo) {
    EXPECT_EQ(Answer(c, "I46 RY:62"), "0\r67584\r");  // end of user memory $10800
  }
}

TEST_P(EveryType, StartsWithEmptyTablesAndNoGathering) {
  const Model& m = ModelFor(GetParam());
  Controller c(GetParam());
  // PLC table: every entry equal to the word before it, so no PLC exists.
  for (std::uint32_t i = 0; i < 32; ++i) {
    EXPECT_EQ(c.ReadY(m.plcTable + i), c.ReadY(m.plcTable - 1));
  }
  // Program directory: the first entry ends where the buffers start.
  EXPECT_EQ(c.ReadY(m.programDirectory), m.programBufferStart);
  // Compiled PLCs: no negative start words.
  for (std::uint32_t i = 0; i < 32; ++i) EXPECT_LT(c.ReadP(m.compiledPlcTable + i), 0x800000u);
  // Gather status: not gathering, empty buffer at the end of user memory, period 1.
  std::string status = m.turbo ? "RX:$6 RY:$3120 RX:$3120 I5049" : "RX:$3 RY:$F20 RX:$F20 I19";
  std::string end = std::to_string(m.endOfUserMemory);
  EXPECT_EQ(Answer(c, status), "0\r" + end + "\r" + end + "\r1\r");
  // Motor 1 points at the first encoder table entry, which reads the first channel.
  EXPECT_EQ(c.ReadY(m.encoderTable), m.ChannelBase(1));
}

INSTANTIATE_TEST_SUITE_P(Types, EveryType, testing::Range(1, 7));

TEST(ControllerTime, StepsWholeServoCyclesAndKeepsTheRest) {
  Controller c;
  c.Respond("I10=4194304");  // 0.5 ms
  c.Advance(std::chrono::seconds(1));
  EXPECT_EQ(c.ReadX(0), 2000u);
  c.Advance(microseconds(300));
  EXPECT_EQ(c.ReadX(0), 2000u);
  c.Advance(microseconds(300));  // 600 us together: one more cycle, 100 us left over
  EXPECT_EQ(c.ReadX(0), 2001u);
  c.Advance(microseconds(400));
  EXPECT_EQ(c.ReadX(0), 2002u);
  // The default period, 3713707/8388608 ms: 2258.8 cycles a second.
  Controller turbo;
  turbo.Advance(std::chrono::seconds(1));
  EXPECT_EQ(turbo.ReadX(0), 2258u);
  turbo.Advance(std::chrono::seconds(1));
  EXPECT_EQ(turbo.ReadX(0), 4517u);
}

TEST(ControllerTime, CounterWrapsAndStoppedClockHoldsTime) {
  Controller c;
  c.Respond("I10=4194304");
  c.WriteX(0, 0xFFFFFF);
  c.Advance(microseconds(500));
  EXPECT_EQ(c.ReadX(0), 0u);
  c.Respond("I10=0");
  c.Advance(std::chrono::seconds(5));
  EXPECT_EQ(c.ReadX(0), 0u);
  c.Advance(std::chrono::nanoseconds(-5));
  EXPECT_EQ(c.ReadX(0), 0u);
}

TEST(ControllerTime, AnAbsurdlyShortPeriodDoesNotStallTheController) {
  Controller c;
  c.Respond("I10=1");  // 8388608 cycles a millisecond; a second's step would take hours
  c.Advance(milliseconds(1));
  EXPECT_EQ(c.ReadX(0), 65536u);  // the most one step runs; the rest of the time is dropped
  c.Advance(microseconds(1));
  EXPECT_EQ(c.ReadX(0), 65536u + 8388u);
}

TEST(ControllerSettings, IntegerSettingsBeyondIntAreHeldAtItsLimits) {
  Controller c;
  // I9 taken as the largest int: both of its low bits set, so names and hexadecimal.
  EXPECT_EQ(Answer(c, "I9=1E10 I130 I103"), "I130=2000\rI103=$003501\r");
  // I6 neither 1 nor 3: the bare BEL.
  EXPECT_EQ(c.Respond("I6=-1E10 FOO"), "\a");
  // I10 taken as the largest int: a period of 256 ms, not a stopped clock.
  c.Respond("I10=1E300");
  c.Advance(std::chrono::seconds(1));
  EXPECT_EQ(c.ReadX(0), 3u);
}

TEST(ControllerTime, KilledMotorsHoldPositionWithZeroOutput) {
  Controller c;
  const Model& m = ModelFor(5);
  c.WriteX(m.ServoOutput(1), 0x123400);
  c.Respond("WY:$8B,3072");  // motor 1 actual position: one count
  c.Advance(milliseconds(1));
  EXPECT_EQ(c.ReadX(m.ServoOutput(1)), 0u);
  EXPECT_EQ(c.ReadY(m.CommandedPosition(1)), 3072u);
  EXPECT_EQ(c.ReadY(m.ActualPosition(1)), 3072u);
}

TEST(ControllerThreads, CommandsAndTimeFromSeveralThreads) {
  Controller c;
  c.Respond("I10=4194304");
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t) {
    threads.emplace_back([&c, t] {
      for (int i = 0; i < 500; ++i) {
        std::string line = "P" + std::to_string(t) + "=" + std::to_string(i) + " RX:$0 ##1 \x10";
        ASSERT_EQ(c.Respond(line).back(), '\x06');
      }
    });
  }
  threads.emplace_back([&c] {
    for (int i = 0; i < 1000; ++i) c.Advance(milliseconds(1));
  });
  for (auto& t : threads) t.join();
  EXPECT_EQ(c.ReadX(0), 2000u);
  EXPECT_EQ(c.Respond("P0 P1"), "499\r499\r\x06");
}

TEST(ControllerBootstrap, FlagDefaultsOffAndFollowsTheSwitch) {
  Controller c;
  EXPECT_FALSE(c.InBootstrap());
  c.SetBootstrap(true);
  EXPECT_TRUE(c.InBootstrap());
}

}  // namespace
}  // namespace sim
