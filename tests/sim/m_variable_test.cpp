#include "sim/m_variable.h"

#include <gtest/gtest.h>

namespace sim {
namespace {

using Kind = MDefinition::Kind;

std::optional<MDefinition> Parse(std::string_view text) {
  Scanner s(text);
  auto d = ParseMDefinition(s);
  if (d && !s.AtEnd()) return std::nullopt;  // the whole text must be the definition
  return d;
}

std::uint32_t FormatByte(WordPair words, bool formatInX) {
  return ((formatInX ? words.x : words.y) >> 16) & 0xFF;
}

TEST(MDefinitionWords, FormatBytesAreTheOnesTheWorkbenchDecodes) {
  auto byte = [](std::string_view text) {
    return FormatByte(EncodeMDefinition(*Parse(text), true), true);
  };
  EXPECT_EQ(byte("X:$C000,0,24,S"), 120u + 112 + 1);
  EXPECT_EQ(byte("Y:$C000,0,24"), 120u);
  EXPECT_EQ(byte("Y:$10,20,4"), 60u);
  EXPECT_EQ(byte("Y:$10,8,16"), 108u);
  EXPECT_EQ(byte("X:$10,12,12,S"), 96u + 112 + 1);
  EXPECT_EQ(byte("Y:$10,4,20"), 116u);
  EXPECT_EQ(byte("D:$88"), 0xEDu);
  EXPECT_EQ(byte("L:$6000"), 0xECu);
  // Single bits are outside the table, so the workbench refuses to gather them.
  EXPECT_EQ(byte("Y:$78805,20,1"), 32u);
  EXPECT_EQ(byte("X:$78805,20,1"), 32u + 112);
}

TEST(MDefinitionWords, AddressSitsWhereEachTypeKeepsIt) {
  MDefinition d = *Parse("X:$C003,0,24,S");
  WordPair turbo = EncodeMDefinition(d, true);
  EXPECT_EQ(turbo.y, 0xC003u);
  EXPECT_EQ(turbo.x >> 16, 0xE9u);
  WordPair pmac2 = EncodeMDefinition(d, false);  // types 1 and 2: format and address in Y
  EXPECT_EQ(pmac2.y, 0xE9C003u);
  EXPECT_EQ(EncodeMDefinition(MDefinition{}, true), (WordPair{0, 0}));
}

TEST(MDefinitionWords, EveryFieldSurvivesEncodingInBothLayouts) {
  for (bool formatInX : {false, true}) {
    for (Kind kind : {Kind::kX, Kind::kY}) {
      for (int width : {1, 4, 8, 12, 16, 20, 24}) {
        for (int offset = 0; offset + width <= 24; ++offset) {
          for (bool isSigned : {false, true}) {
            MDefinition d{kind, 0xBC12, offset, width, isSigned};
            EXPECT_EQ(DecodeMDefinition(EncodeMDefinition(d, formatInX), formatInX), d)
                << FormatMDefinition(d) << " formatInX " << formatInX;
          }
        }
      }
    }
    for (Kind kind : {Kind::kD, Kind::kL}) {
      MDefinition d{kind, 0x8B, 0, 24, false};
      EXPECT_EQ(DecodeMDefinition(EncodeMDefinition(d, formatInX), formatInX), d);
    }
  }
  // Words that name no format read as an undefined ("*") variable.
  EXPECT_EQ(DecodeMDefinition({0x120000, 0x10}, true).kind, Kind::kSelf);
  EXPECT_EQ(DecodeMDefinition({0x201F1F, 0x10}, true).kind, Kind::kSelf);
}

TEST(MDefinitionText, ParsesTheControllersFormsAndPrintsThemBack) {
  EXPECT_EQ(FormatMDefinition(*Parse("X:$C000,0,24,S")), "X:$C000,0,24,S");
  EXPECT_EQ(FormatMDefinition(*Parse("y$78805,20,1,u")), "Y:$78805,20,1");
  EXPECT_EQ(FormatMDefinition(*Parse("D:136")), "D:$88");
  EXPECT_EQ(FormatMDefinition(*Parse("L$6000")), "L:$6000");
  EXPECT_EQ(FormatMDefinition(*Parse("*")), "*");
  // Offset 24 is the whole word; width defaults to one bit; the format may follow the offset.
  EXPECT_EQ(FormatMDefinition(*Parse("X:$0,24")), "X:$0,0,24");
  EXPECT_EQ(FormatMDefinition(*Parse("X:$0,24,S")), "X:$0,0,24,S");
  EXPECT_EQ(FormatMDefinition(*Parse("Y:$FFC2,8")), "Y:$FFC2,8,1");
  EXPECT_EQ(FormatMDefinition(*Parse("X:$10")), "X:$10,0,1");
  for (std::string_view bad :
       {"", "Z:$0", "X:", "X:$", "X:$0,22,4", "X:$0,0,7", "X:$0,25", "X:$0,0,24,Q", "X:$0,0,24,",
        "TWB:0,0,1", "DP:$D201", "X:$1000000"}) {
    EXPECT_FALSE(Parse(bad)) << bad;
  }
}

TEST(MFields, SignedAndUnsignedFieldsReadAndWriteOnlyTheirBits) {
  EXPECT_EQ(ReadField(0x000F80, 4, 8, true), -8);
  EXPECT_EQ(ReadField(0x000F80, 4, 8, false), 248);
  EXPECT_EQ(ReadField(0xFFFFFF, 0, 24, true), -1);
  EXPECT_EQ(ReadField(0x800000, 23, 1, true), -1);  // a one-bit signed field is 0 or -1
  EXPECT_EQ(WriteField(0xFFFFFF, 4, 8, 5), 0xFFF05Fu);
  EXPECT_EQ(WriteField(0, 4, 8, -1), 0x000FF0u);
  EXPECT_EQ(WriteField(0, 3, 1, 3), 0x8u);
}

}  // namespace
}  // namespace sim
