// The backup's reply readers on what a controller or a broken line may send.
#include "tools/backup_replies.h"

#include <gtest/gtest.h>

namespace bl::tools {
namespace {

using Values = std::vector<std::string_view>;

TEST(BackupReplies, RangesStopAtTheAcknowledgeAnErrorOrTheCount) {
  EXPECT_EQ(RangeValues("1\r\r\n2.5\r\x06", 10), (Values{"1", "2.5"}));
  EXPECT_EQ(RangeValues("1\r2\r3\r", 2), (Values{"1", "2"}));
  EXPECT_EQ(RangeValues("1\r\aERR003\r4\r", 10), (Values{"1"}));
  EXPECT_EQ(RangeValues("1\r2", 10), (Values{"1", "2"}));  // cut short: what arrived
  EXPECT_TRUE(RangeValues("\x06", 10).empty());
  EXPECT_TRUE(RangeValues("", 10).empty());
}

TEST(BackupReplies, ListingsAndAxisDefinitionsRefuseErrors) {
  EXPECT_EQ(ListingText("F(P1)%50\rRETURN\r\x06"), "F(P1)%50\nRETURN\n");
  EXPECT_FALSE(ListingText("\aERR003\r"));
  EXPECT_FALSE(ListingText("\x06"));
  EXPECT_EQ(AxisDefinition("1000X\r\x06"), "1000X");
  EXPECT_EQ(AxisDefinition("-2.5Y+100\n"), "-2.5Y+100");
  EXPECT_FALSE(AxisDefinition("0\r\x06"));
  EXPECT_FALSE(AxisDefinition("\aERR003\r"));
  EXPECT_FALSE(AxisDefinition(""));
}

TEST(BackupReplies, MemoryWordsMustAllArriveWhole) {
  const auto eight = HexWords("00A0B1 FFFFFF 000000 000001 000002 000003 000004 00000a\r\x06", 8);
  ASSERT_TRUE(eight);
  EXPECT_EQ((*eight)[0], 0xA0B1u);
  EXPECT_EQ((*eight)[1], 0xFFFFFFu);
  EXPECT_EQ((*eight)[7], 0xAu);
  EXPECT_FALSE(HexWords("000001 000002\r", 8));  // cut short
  EXPECT_FALSE(HexWords("1000000\r", 1));        // wider than a word
  EXPECT_FALSE(HexWords("00G001\r", 1));         // not hexadecimal
  EXPECT_FALSE(HexWords("\aERR003\r", 1));
  EXPECT_FALSE(HexWords("000001", 9));
  EXPECT_EQ(DecimalWord("-42\r\x06"), -42);
  EXPECT_FALSE(DecimalWord("\aERR003\r"));
}

TEST(BackupReplies, MacroAnswersAreADollarAndTwelveDigits) {
  EXPECT_EQ(MacroValue("$00000000abcd\r\x06"), "00000000ABCD");
  EXPECT_EQ(MacroValue("$00000000ABCD"), "00000000ABCD");
  EXPECT_FALSE(MacroValue("$0000000ABCD\r"));
  EXPECT_FALSE(MacroValue("$00000000ABCG\r"));
  EXPECT_FALSE(MacroValue("\aERR003\r"));
}

}  // namespace
}  // namespace bl::tools
