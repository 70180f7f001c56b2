#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "link/fake_vendor_library.h"
#include "platform/text_format.h"

namespace bl::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class PmacValueTest : public ::testing::Test, public LinkFixture {
 protected:
  void SetUp() override { Connect(); }
};

TEST_F(PmacValueTest, WritesUseTheKindsTemplates) {
  double value = 1.5;
  EXPECT_EQ(link.PmacValue(ValueKind::P, 5, value, AccessMode::Write), 0);
  value = -2.7;
  EXPECT_EQ(link.PmacValue(ValueKind::YWordToo, 100, value, AccessMode::Write), 0);
  value = 1e12;
  EXPECT_EQ(link.PmacValue(ValueKind::XWord, 1, value, AccessMode::Write), 0);
  // Mode 3 sends one command each and reads nothing back.
  EXPECT_THAT(state->Commands(), ElementsAre("P5=1.500000", "WY:100,-2", "WX:1,2147483647"));
  EXPECT_THAT(state->replySizes, ElementsAre(255u, 255u, 255u));
}

TEST_F(PmacValueTest, WriteThenReadBack) {
  state->replies = {"\r\x06", "7\r\x06"};
  double value = 3.0;
  EXPECT_EQ(link.PmacValue(ValueKind::I, 130, value, AccessMode::WriteRead), 0);
  EXPECT_THAT(state->Commands(), ElementsAre("I130=3.000000", "I130"));
  EXPECT_EQ(value, 7.0);
}

TEST_F(PmacValueTest, RepliesParseAsDecimalHexOrFortyEightBitPair) {
  const struct {
    ValueKind kind;
    std::string reply;
    double expected;
    std::string command;
  } cases[] = {
      {ValueKind::Q, "-12.25\r\x06", -12.25, "Q3"},
      {ValueKind::YWord, "$00FF00\r\x06", 65280, "RY:3"},
      {ValueKind::XWord, "$FFFFFFFF\r\x06", -1, "RX:3"},
      {ValueKind::XYPair, "800000\r000000\r\x06", -140737488355328.0, "RHX:3 RHY:3"},
      {ValueKind::XYPair, "7FFFFF\rFFFFFF\r\x06", 140737488355327.0, "RHX:3 RHY:3"},
      {ValueKind::XYPair, "000001\r000002\r\x06", 16777218.0, "RHX:3 RHY:3"},
  };
  for (const auto& c : cases) {
    state->replies = {c.reply};
    double value = 0;
    EXPECT_EQ(link.PmacValue(c.kind, 3, value, AccessMode::ReadToo), 0) << c.reply;
    EXPECT_EQ(value, c.expected) << c.reply;
    EXPECT_EQ(state->Commands().back(), c.command);
  }
}

TEST_F(PmacValueTest, UnparsableReplyLeavesTheValue) {
  for (const char* reply : {"\x07ERR003\r\x06", "$\r\x06", "800000\r\x06", ""}) {
    state->replies = {reply};
    double value = 42;
    EXPECT_EQ(link.PmacValue(reply[0] == '8' ? ValueKind::XYPair : ValueKind::M, 1, value,
                             AccessMode::Read),
              -1)
        << reply;
    EXPECT_EQ(value, 42);
  }
}

TEST_F(PmacValueTest, RefusedWithoutSending) {
  double value = 1;
  EXPECT_EQ(link.PmacValue(ValueKind::XYPair, 3, value, AccessMode::Write), -1);
  EXPECT_EQ(link.PmacValue(ValueKind::XYPair, 3, value, AccessMode::WriteRead), -1);
  EXPECT_EQ(link.PmacValue(static_cast<ValueKind>(10), 3, value, AccessMode::Read), -1);
  link.LinkDisconnect();
  EXPECT_EQ(link.PmacValue(ValueKind::P, 1, value, AccessMode::Read), -1);
  EXPECT_THAT(state->Commands(), IsEmpty());
  EXPECT_EQ(value, 1);
}

// The PLC tables, read from scripted controller memory.

class PlcTableTest : public ::testing::Test, public LinkFixture {
 protected:
  void SetUp() override {
    Connect();
    state->responder = [this](const std::string& command) {
      char space = 0;
      int address = 0;
      if (platform::Scan(command, 255, "R%c:%d", &space, &address) != 2) return std::string("ERR");
      const auto& memory = space == 'Y' ? y : p;
      const auto it = memory.find(address);
      return platform::Format("%d\r\x06", it == memory.end() ? 0 : it->second);
    };
  }
  std::map<int, int> y;
  std::map<int, int> p;
};

std::tuple<int, int, int> Entry(const PlcTable& t, std::size_t i) {
  return {t.start[i], t.end[i], t.enabled[i]};
}

// Types 1..3 are the non-Turbo family, 4..6 the Turbo family; their tables lie at different
// addresses: the buffer table at Y:$F00 or Y:$3100, the compiled table at P:$8000 or P:$50000.
// The exact list of commands shows each type reads its own family's words.
int PlcBase(int typeCode) { return typeCode <= 3 ? 0xF00 : 0x3100; }
int PlccBase(int typeCode) { return typeCode <= 3 ? 0x8000 : 0x50000; }

TEST_F(PlcTableTest, BufferTableTakesBoundariesFromConsecutiveWordsAtEachFamilysBase) {
  for (int type = 1; type <= 6; ++type) {
    SCOPED_TRACE(type);
    const int base = PlcBase(type);
    y.clear();
    y[base - 1] = 0x1000;
    y[base] = 0x1100 | (1 << 20);      // PLC 0: high bits ignored
    y[base + 1] = 0x1100 | (1 << 22);  // same low bits: PLC 1 stays empty
    y[base + 2] = 0x1200 | (1 << 22);  // PLC 2, disabled
    for (int i = 3; i < 32; ++i) y[base + i] = 0x1200;
    state->commands.clear();

    PlcTable table;
    ASSERT_EQ(link.ReadPlcTable(type, table), 0);
    std::vector<std::string> expected;
    for (int address = base - 1; address <= base + 31; ++address)
      expected.push_back(platform::Format("RY:%d", address));
    EXPECT_EQ(state->Commands(), expected);
    EXPECT_EQ(Entry(table, 0), std::tuple(0x1000, 0x1100, 1));
    EXPECT_EQ(Entry(table, 1), std::tuple(0, 0, 0));
    EXPECT_EQ(Entry(table, 2), std::tuple(0x1100, 0x1200, 0));
    EXPECT_EQ(Entry(table, 31), std::tuple(0, 0, 0));
  }
}

TEST_F(PlcTableTest, CompiledTableEndsAtTheNextStartAndReadsEnableWordsAtEachFamilysBase) {
  constexpr int kNegative = -(1 << 23);
  for (int type = 1; type <= 6; ++type) {
    SCOPED_TRACE(type);
    const int base = PlccBase(type);
    p.clear();
    p[base + 0] = kNegative + 0x9000;
    p[base + 1] = 0x9100;  // positive: no start
    p[base + 2] = kNegative + 0x9400;
    p[base + 5] = kNegative + 0x9600;
    p[base + 7] = kNegative + 0x9800;  // starts at the end of the area: empty, not asked
    p[base + 97] = 0x9800 | (1 << 22);
    p[base + 33] = base + 34;  // PLCC 0 disabled
    p[base + 37] = 12345;      // PLCC 2 enabled
    p[base + 43] = base + 96;  // PLCC 5 disabled
    state->commands.clear();

    PlcTable table;
    ASSERT_EQ(link.ReadPlccTable(type, table), 0);
    EXPECT_EQ(Entry(table, 0), std::tuple(0x9000, 0x93FF, 0));
    EXPECT_EQ(Entry(table, 1), std::tuple(0, 0, 0));
    EXPECT_EQ(Entry(table, 2), std::tuple(0x9400, 0x95FF, 1));
    EXPECT_EQ(Entry(table, 5), std::tuple(0x9600, 0x97FF, 0));
    EXPECT_EQ(Entry(table, 7), std::tuple(0x9800, 0x97FF, 0));
    // 32 starts, the area end, and the enable words of the three that hold code.
    std::vector<std::string> expected;
    for (int i = 0; i < 32; ++i) expected.push_back(platform::Format("RP:%d", base + i));
    for (int offset : {97, 33, 37, 43})
      expected.push_back(platform::Format("RP:%d", base + offset));
    EXPECT_EQ(state->Commands(), expected);
  }
}

TEST_F(PlcTableTest, UnknownTypeUnreadableWordOrNoDeviceGiveMinusOneAndAClearTable) {
  PlcTable table;
  table.start.fill(9);
  EXPECT_EQ(link.ReadPlcTable(0, table), -1);
  EXPECT_EQ(table.start[0], 0);
  EXPECT_EQ(link.ReadPlccTable(7, table), -1);

  state->replies = {"1\r", "2\r", "ERR"};
  EXPECT_EQ(link.ReadPlcTable(1, table), -1);
  EXPECT_EQ(table.start[0], 0);
  EXPECT_EQ(table.end[0], 0);

  link.LinkDisconnect();
  EXPECT_EQ(link.ReadPlccTable(1, table), -1);
}

}  // namespace
}  // namespace bl::test
