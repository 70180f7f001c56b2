// Bit fields, item values, the active state and the page structure.
#include <gtest/gtest.h>

#include <cmath>

#include "diagnostics/diagnostic_script.h"

namespace bl::diagnostics {
namespace {

TEST(BitField, WorkedExamples) {
  const struct {
    double value;
    int start, count;
    bool isSigned;
    double expected;
  } cases[] = {
      {1234.5, 0, 0, false, 1234.5},    // the whole value, not truncated
      {-1, 0, 24, false, 16777215},     // all 32 bits set, 24 taken
      {0xFF, 0, 8, true, -1},           // sign bit 7 set, magnitude all ones
      {0x80, 4, 4, true, -8},           // sign bit 7 set, bits 4..6 clear
      {0x70, 4, 4, true, 7},            // sign clear
      {0xFFFFFF, 20, 5, false, 0},      // beyond bit 23
      {0xF0, -1, 4, false, 0},          // negative start
      {0xF0, 4, 0, false, 0},           // no bits
      {1, 0, 1, true, 0},               // a signed field needs two bits
      {0x40000, 18, 1, false, 1},       // one status bit
      {-2.9, 0, 4, false, 14},          // truncated toward zero: -2
      {1e300, 0, 24, false, 16777215},  // held at the integer's limit
      {std::nan(""), 0, 24, false, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BitField(c.value, c.start, c.count, c.isSigned), c.expected)
        << c.value << " " << c.start << " " << c.count << " " << c.isSigned;
  EXPECT_EQ(BitField(1, 0x7FFFFFFF, 0x7FFFFFFF, false), 0);  // no overflow in start + count
}

class ItemValueTest : public ::testing::Test {
 protected:
  ItemValueTest() {
    t.variables[0] = {1, 0, -1, 0, 0xF3, 0, "A"};
    t.variables[1] = {7, 0, -1, 0, 0xF0, 0, "B"};  // signed fields
    t.variables[2] = {1, 0, -1, 0, 0, 0, "Zero"};
    DiagnosticItem& i = t.items[1];
    i.kind = kKindValueText;
    i.variableA = 0;
    i.variableB = 1;
    i.startBitA = 0;
    i.bitCountA = 4;  // 3
    i.scaleA = 2;     // 6
    i.startBitB = 4;
    i.bitCountB = 4;  // signed 0xF → -1
    i.scaleB = 3;     // -3
  }
  double With(int operation) {
    t.items[1].operation = operation;
    return ItemValue(t, 1);
  }
  DiagnosticTables t;
};

TEST_F(ItemValueTest, OperationsCombineScaledFields) {
  EXPECT_EQ(With(0), 3.0);
  EXPECT_EQ(With(1), 9.0);
  EXPECT_EQ(With(2), -18.0);
  EXPECT_EQ(With(3), -2.0);
  EXPECT_EQ(With(4), 6 & -3);
  EXPECT_EQ(With(5), 6 | -3);
  EXPECT_EQ(With(6), 0.0);
  t.items[1].variableB = 2;  // b is 0
  t.items[1].startBitB = 0;
  t.items[1].bitCountB = 0;
  EXPECT_EQ(With(3), 0.0);
  t.items[1].variableB = 1000;  // out of the table: a alone
  EXPECT_EQ(With(1), 6.0);
}

TEST_F(ItemValueTest, ByKind) {
  DiagnosticItem& i = t.items[1];
  i.kind = kKindSlider;  // the variable's value, scaled, no bit field
  EXPECT_EQ(ItemValue(t, 1), 0xF3 * 2);
  i.kind = kKindBitDisplay;  // the bit field, unscaled
  EXPECT_EQ(ItemValue(t, 1), 3);
  i.kind = 11;
  EXPECT_EQ(ItemValue(t, 1), 0);
  i.kind = kKindGauge;
  i.variableA = 1000;
  EXPECT_EQ(ItemValue(t, 1), 0);
  EXPECT_EQ(ItemValue(t, 1000), 0);
}

TEST(ActiveState, RangeOrAtLeastTheMaximum) {
  DiagnosticItem i;
  i.variableA = 1;
  i.minimum = 0;
  i.maximum = 0;
  EXPECT_TRUE(IsActive(i, 0));  // equal ends: at or above the maximum
  EXPECT_FALSE(IsActive(i, -1));
  i.maximum = 10;
  EXPECT_TRUE(IsActive(i, 10));
  EXPECT_FALSE(IsActive(i, 10.5));
  i.variableA = -1;
  EXPECT_FALSE(IsActive(i, 5));
}

TEST(PageStructure, PagesCountedUpToTheEndOfTheList) {
  DiagnosticTables t;
  const int kinds[] = {1, 2, 3, 1, 5, 1, 0, 1};
  for (int k = 0; k < 8; ++k) t.items[k].kind = kinds[k];
  EXPECT_EQ(PageCount(t), 3);
  EXPECT_EQ(PageOfItem(t, 2), 1);
  EXPECT_EQ(PageOfItem(t, 4), 2);
  EXPECT_EQ(PageOfItem(t, 5), 3);
  EXPECT_EQ(PageOfItem(t, 7), 0);  // after the end
  EXPECT_EQ(PageOfItem(t, 1000), 0);
}

TEST(PageStructure, ParentChainsEndOnCyclesAndOutOfRange) {
  DiagnosticTables t;
  t.items[5].precision = 3;
  t.items[3].precision = 7;
  t.items[7].precision = 3;  // back to 3
  EXPECT_EQ(ParentChain(t, 5), (std::vector<int>{3, 7}));
  t.items[4].precision = 4;  // its own parent
  EXPECT_TRUE(ParentChain(t, 4).empty());
  t.items[6].precision = 999;  // not a parent index
  EXPECT_TRUE(ParentChain(t, 6).empty());
}

}  // namespace
}  // namespace bl::diagnostics
