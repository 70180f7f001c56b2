#include "sim/l_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace sim {
namespace {

TEST(LFormat, KnownWordsMatchTheControllersLayout) {
  // Mantissa in X and the top of Y, exponent biased by 2047 in the low 12 bits of Y.
  EXPECT_EQ(EncodeL(1.0), (WordPair{0x400000, 0x000800}));
  EXPECT_EQ(EncodeL(-1.0), (WordPair{0x800000, 0x0007FF}));
  EXPECT_EQ(EncodeL(0.1), (WordPair{0x666666, 0x6667FC}));
  EXPECT_EQ(EncodeL(0.0), (WordPair{0, 0}));
  EXPECT_EQ(DecodeL({0, 0}), 0.0);
  // The workbench's own encoder scales by 2^35 - 1; its words still decode to the value.
  EXPECT_NEAR(DecodeL({0x3FFFFF, 0xFFF800}), 1.0, 1e-10);
  EXPECT_NEAR(DecodeL({0xC00000, 0x001800}), -1.0, 1e-10);
}

TEST(LFormat, RoundTripKeepsThirtyFiveBitsOfMantissa) {
  const double values[] = {1,     -1,   0.5,     -0.5,  0.75,    -0.75,   3713707,  -2.25,
                           1e-30, 1e30, -1e-200, 1e200, 123.456, 1.0 / 3, -2.0 / 3, 96};
  for (double v : values) {
    double back = DecodeL(EncodeL(v));
    EXPECT_NEAR(back, v, std::fabs(v) * std::ldexp(1.0, -34)) << v;
  }
  // Integers up to 2^35 come back exactly.
  for (double v : {1.0, 2.0, 1000.0, 8388607.0, 34359738367.0, -34359738368.0}) {
    EXPECT_EQ(DecodeL(EncodeL(v)), v) << v;
  }
}

TEST(LFormat, EveryFiniteDoubleFitsAndInfinitySaturates) {
  // The 12-bit exponent reaches 2^±2047, beyond a double's range at both ends.
  double huge = std::numeric_limits<double>::max();
  EXPECT_EQ(DecodeL(EncodeL(-huge)), -huge);  // rounds up beyond a double, decodes to the limit
  EXPECT_EQ(DecodeL({0x7FFFFF, 0xFFFFFF}), huge);
  EXPECT_NEAR(DecodeL(EncodeL(1e-310)), 1e-310, 1e-320);
  EXPECT_EQ(EncodeL(std::numeric_limits<double>::infinity()), (WordPair{0x7FFFFF, 0xFFFFFF}));
  EXPECT_EQ(EncodeL(std::nan("")), (WordPair{0, 0}));
}

TEST(DFormat, SignedFortyEightBitIntegersRoundAndRollOver) {
  EXPECT_EQ(EncodeD(-1), (WordPair{0xFFFFFF, 0xFFFFFF}));
  EXPECT_EQ(EncodeD(16777216), (WordPair{1, 0}));
  EXPECT_EQ(DecodeD({0x800000, 0}), -(std::int64_t{1} << 47));
  EXPECT_EQ(DecodeD({0x7FFFFF, 0xFFFFFF}), (std::int64_t{1} << 47) - 1);
  EXPECT_EQ(DecodeD(EncodeD(-3072000.4)), -3072000);
  EXPECT_EQ(DecodeD(EncodeD(std::ldexp(1.0, 48) + 5)), 5);  // rolls over
}

TEST(DFormat, FieldConversionRoundsToNearestAndKeepsLowBits) {
  EXPECT_EQ(ToTwosComplement(2.5, 8), 3u);
  EXPECT_EQ(ToTwosComplement(-1, 8), 0xFFu);
  EXPECT_EQ(ToTwosComplement(3, 1), 1u);  // an odd number in a one-bit field is 1
  EXPECT_EQ(ToTwosComplement(1e300, 24), 0u);
  EXPECT_EQ(ToTwosComplement(std::nan(""), 24), 0u);
  EXPECT_EQ(SignExtend(0x80, 8), -128);
  EXPECT_EQ(SignExtend(0x7F, 8), 127);
}

}  // namespace
}  // namespace sim
