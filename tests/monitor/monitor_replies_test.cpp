#include <gtest/gtest.h>

#include <array>

#include "monitor/monitor_replies.h"

namespace bl::monitor {
namespace {

TEST(GatherStatusReplies, ModeIsTakenOnlyFromZeroToThree) {
  EXPECT_EQ(ParseGatherMode("1\r\x06"), 1);
  EXPECT_EQ(ParseGatherMode("3\r\x06"), 3);
  for (const char* reply :
       {"7\r\x06", "-1\r\x06", "\aERR003\r", "", "$1\r\x06", "Not Connected to a PMAC Device.\r"})
    EXPECT_FALSE(ParseGatherMode(reply)) << reply;
}

TEST(GatherStatusReplies, AllFourNumbersOrNothing) {
  EXPECT_TRUE(ParseGatherStatus("1 2 3 4"));
  for (const char* reply :
       {"1\r2\r3\r\x06", "1\r2\r\aERR003\r", "", "\x06", "Not Connected to a PMAC Device.\r"})
    EXPECT_FALSE(ParseGatherStatus(reply)) << reply;
  // Only the first 999 characters of a reply count.
  EXPECT_FALSE(ParseGatherStatus(std::string(996, ' ') + "1 2 3 4"));
}

TEST(GatherStatusReplies, AddressesByTypeAndMode) {
  const GatherNumbers n{0, 0x12345, 0x400000 + 0x3000, 5};
  // Main memory: the start without its wrap flag, the pointer, the end of user memory.
  EXPECT_EQ(GatherAddressesFrom(5, 1, n, 0x10800), (GatherAddresses{5, 0x3000, 0x12345, 0x10800}));
  // Dual-ported memory: offsets of 16 bits from where its data begins.
  EXPECT_EQ(GatherAddressesFrom(1, 2, n, 0x9FFF),
            (GatherAddresses{5, 0xD200, 0x2345 + 0xD200, 0x3000 + 0xD200}));
  EXPECT_EQ(GatherAddressesFrom(6, 3, n, 0x10800),
            (GatherAddresses{5, 0x60450, 0x2345 + 0x60450, 0x3000 + 0x60450}));
}

TEST(GatherStatusReplies, GatheringStopsWithBit19AndNotWithoutAWord) {
  EXPECT_EQ(GatheringStopped("524288\r\x06"), false);   // $80000
  EXPECT_EQ(GatheringStopped("-8388608\r\x06"), true);  // $800000 alone
  EXPECT_EQ(GatheringStopped("0\r\x06"), true);
  EXPECT_FALSE(GatheringStopped("Not Connected to a PMAC Device.\r"));
  EXPECT_FALSE(GatheringStopped("\aERR003\r"));
}

TEST(PositionReports, CommandByTypeModeAndGroup) {
  EXPECT_EQ(PositionCommand(2, 0, 3), "\x10");
  EXPECT_EQ(PositionCommand(5, 2, 2), "##2 \x06");
  EXPECT_EQ(PositionCommand(6, 0, 12), "##12\x10");
  EXPECT_EQ(PositionCommand(4, 1, -3), "##-3\x16");
  EXPECT_EQ(PositionFirstMotor(2), 16);
  EXPECT_EQ(PositionFirstMotor(4), 0);
  EXPECT_EQ(PositionFirstMotor(-1), 0);
}

TEST(PositionReports, EightNumbersOrEightZeros) {
  std::array<double, 8> v{};
  EXPECT_TRUE(ReadPositionReply("1 2 3 4 5 6 7 8.5\r\x06", v));
  EXPECT_EQ(v, (std::array<double, 8>{1, 2, 3, 4, 5, 6, 7, 8.5}));
  EXPECT_FALSE(ReadPositionReply("1 2 3 4 5 6 7\r\x06", v));
  EXPECT_EQ(v, (std::array<double, 8>{}));
}

}  // namespace
}  // namespace bl::monitor
