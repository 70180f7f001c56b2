#include "series/select_source_presenter.h"

#include <gtest/gtest.h>

#include "controller/controller_type.h"
#include "link/fake_vendor_library.h"
#include "platform/text_format.h"

namespace bl::series {
namespace {

// One M-variable definition as the decoder sees it: Y word and, on types 3 to 6, X word.
struct MCase {
  int typeCode;
  std::optional<std::uint32_t> y, x;
  SourceType type;
  int startingBit, length;
  bool isSigned;
  std::uint32_t address;
  bool supported;
};

TEST(DecodeMVariableSourceTest, FormatBytesGiveTheFieldOrAreRefused) {
  constexpr int kTurbo = 5, kPmac2 = 2;
  constexpr int kTurboBase = 0x4000, kPmacBase = 0xBC00;
  const MCase cases[] = {
      // Turbo: address in Y, format in X. Y field of width 4 at bit 8 (40 + 8), unsigned.
      {kTurbo, 0x78805, 0x300000, SourceType::kY, 8, 4, false, 0x78805, true},
      // X fields add 112 ($70) to the byte; bit 0 of the byte marks a signed field.
      {kTurbo, 0xC000, 0xE90000, SourceType::kX, 0, 24, true, 0xC000, true},
      {kTurbo, 0x1234, 0xD10000, SourceType::kX, 12, 12, true, 0x1234, true},
      {kTurbo, 0x1234, 0x450000, SourceType::kY, 4, 8, true, 0x1234, true},
      // Offsets come in steps of 4 bits; 42 is none.
      {kTurbo, 0x1234, 0x2A0000, SourceType::kD, 0, 48, true, kTurboBase + 7, false},
      {kTurbo, 0x88, 0xED0000, SourceType::kD, 0, 48, true, 0x88, true},
      {kTurbo, 0x6000, 0xEC0000, SourceType::kL, 0, 48, true, 0x6000, true},
      // A single bit (width 1) cannot be gathered: D at the definition word itself.
      {kTurbo, 0x78800, 0x140000, SourceType::kD, 0, 48, true, kTurboBase + 7, false},
      // No format (undefined, or the X read failed): the definition word as a D word.
      {kTurbo, 0x78800, std::nullopt, SourceType::kD, 0, 48, true, kTurboBase + 7, true},
      // PMAC1/2: format and a 16-bit address share the Y word.
      {kPmac2, 0xE9C000, std::nullopt, SourceType::kX, 0, 24, true, 0xC000, true},
      {kPmac2, 0x74C001, std::nullopt, SourceType::kY, 4, 20, false, 0xC001, true},
      {kPmac2, std::nullopt, std::nullopt, SourceType::kD, 0, 48, true, kPmacBase + 7, true},
  };
  for (const MCase& c : cases) {
    const int base = c.typeCode >= 3 ? kTurboBase : kPmacBase;
    const MVariableSource s = DecodeMVariableSource(c.typeCode, 7, base, c.y, c.x);
    const std::string label =
        platform::Format("type %d, Y $%X, X $%X", c.typeCode, c.y.value_or(0), c.x.value_or(0));
    EXPECT_EQ(s.supported, c.supported) << label;
    EXPECT_EQ(s.sourceType, c.type) << label;
    EXPECT_EQ(s.address, c.address) << label;
    if (!c.supported || c.type == SourceType::kX || c.type == SourceType::kY) {
      EXPECT_EQ(s.startingBit, c.supported ? c.startingBit : 0) << label;
      EXPECT_EQ(s.wordLength, c.supported ? c.length : 48) << label;
    }
    if (c.supported && (c.type == SourceType::kX || c.type == SourceType::kY)) {
      EXPECT_EQ(s.signedData, c.isSigned) << label;
    }
  }
}

class SelectSourceTest : public ::testing::Test, public test::LinkFixture {
 protected:
  void SetUpType(int code) {
    SetTypeFromTable(type, code);
    definitions.SetSlotCount(type.variableCount);
    table.seriesCount = type.seriesCount;
  }

  SeriesTable table;
  ControllerType type;
};

TEST_F(SelectSourceTest, ListsCarryTheUsersNamesAndPOrQTakeAnLWord) {
  SetUpType(2);
  definitions.DefineLine("#define speed P10", 0, terminal);
  definitions.DefineLine("#define home_ok Q3", 0, terminal);
  SelectSourcePresenter p(table, type, definitions, link, desktop);
  ASSERT_EQ(p.Lines().size(), 1024u);
  EXPECT_EQ(p.Lines()[0], "P0     ");
  EXPECT_EQ(p.Lines()[10], "P10    speed");
  EXPECT_EQ(p.Lines()[1023], "P1023  ");

  EXPECT_FALSE(p.Accept());  // nothing selected
  p.SelectLine(10);
  table.currentSeries = 4;
  ASSERT_TRUE(p.Accept());
  const DataSeries& s = table[4];
  EXPECT_EQ(s.title, "P10    speed");
  EXPECT_TRUE(s.active);
  EXPECT_EQ(s.sourceType, SourceType::kL);
  EXPECT_EQ(s.wordLength, 48);
  EXPECT_EQ(s.address, 0x1000u + 10);

  p.ShowList(SourceList::kQ);
  EXPECT_EQ(p.Lines()[3], "Q3     home_ok");
  p.SelectLine(3);
  ASSERT_TRUE(p.Accept());
  EXPECT_EQ(s.address, 0x1400u + 3);

  // A series beyond the controller's count is not the user's to change.
  table.currentSeries = 30;
  EXPECT_FALSE(p.Accept());
}

TEST_F(SelectSourceTest, MVariableDefinitionIsReadFromTheController) {
  SetUpType(5);
  Connect();
  // RX and RY answer signed 24-bit numbers: $E90000 arrives negative.
  state->responder = [](const std::string& command) -> std::string {
    if (command == platform::Format("RY:%d", 0x4000 + 2)) return "30725\r\x06";  // $7805
    if (command == platform::Format("RX:%d", 0x4000 + 2))
      return platform::Format("%d\r\x06", 0xE90000 - 0x1000000);
    if (command == platform::Format("RY:%d", 0x4000 + 3)) return "100\r\x06";
    if (command == platform::Format("RX:%d", 0x4000 + 3)) return "$140000\r\x06";
    return "\r\x06";
  };
  SelectSourcePresenter p(table, type, definitions, link, desktop);
  p.ShowList(SourceList::kM);
  p.SelectLine(2);
  ASSERT_TRUE(p.Accept());
  const DataSeries& s = table[1];
  EXPECT_EQ(s.title, "M2     ");
  EXPECT_EQ(s.sourceType, SourceType::kX);
  EXPECT_EQ(s.address, 0x7805u);
  EXPECT_EQ(s.wordLength, 24);
  EXPECT_TRUE(s.signedData);
  EXPECT_TRUE(desktop.messages.empty());

  p.SelectLine(3);
  ASSERT_TRUE(p.Accept());
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            "This M-Variable data type is not supported.  Only X, Y, D, and L data types are "
            "supported.");
  EXPECT_EQ(desktop.messages[0].title, "Unable to set data gathering address.");
  EXPECT_EQ(s.sourceType, SourceType::kD);
  EXPECT_EQ(s.address, 0x4003u);
  EXPECT_EQ(s.wordLength, 48);
}

}  // namespace
}  // namespace bl::series
