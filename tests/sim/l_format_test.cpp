#include "sim/l_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

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

// The value nearest to v that a 36-bit mantissa holds: v rounded to 35 bits after the binary
// point of its normalised fraction (|fraction| in [0.5, 1)), ties away from zero.
double NearestL(double v) {
  int exponent = 0;
  const double fraction = std::frexp(v, &exponent);
  return std::ldexp(std::round(std::ldexp(fraction, 35)), exponent - 35);
}

// Values just below a power of two round up to it: the mantissa's carry must move into the
// exponent, never into the sign bit.
TEST(LFormat, ValuesJustBelowAPowerOfTwoComeBackAsThatPower) {
  for (int power = -1000; power <= 1000; power += 7) {
    for (int below = 36; below <= 53; ++below) {
      const double top = std::ldexp(1.0, power);
      const double v = top - std::ldexp(1.0, power - below);  // 2^power (1 - 2^-below)
      ASSERT_LT(v, top);
      EXPECT_EQ(DecodeL(EncodeL(v)), top) << "2^" << power << " (1 - 2^-" << below << ")";
      EXPECT_EQ(DecodeL(EncodeL(-v)), -top) << "-2^" << power << " (1 - 2^-" << below << ")";
    }
  }
  EXPECT_EQ(DecodeL(EncodeL(1 - std::ldexp(1.0, -40))), 1.0);
  EXPECT_EQ(DecodeL(EncodeL(-(1 - std::ldexp(1.0, -40)))), -1.0);
  EXPECT_EQ(EncodeL(1 - std::ldexp(1.0, -40)), EncodeL(1.0));
  EXPECT_EQ(EncodeL(-(1 - std::ldexp(1.0, -40))), EncodeL(-1.0));
  // Just below a power of two by less than half a unit of the mantissa rounds up too, and just
  // below by more than half stays below; as do values just above half a power of two.
  for (int power = -60; power <= 60; ++power) {
    const double top = std::ldexp(1.0, power);
    for (double v : {top * (1 - std::ldexp(1.0, -35)), top * (1 - std::ldexp(1.0, -36)),
                     top * (1 - 3 * std::ldexp(1.0, -37)), top / 2 * (1 + std::ldexp(1.0, -36)),
                     top / 2 * (1 + std::ldexp(1.0, -34)), top / 2}) {
      EXPECT_EQ(DecodeL(EncodeL(v)), NearestL(v)) << v;
      EXPECT_EQ(DecodeL(EncodeL(-v)), NearestL(-v)) << -v;
    }
  }
}

// Any finite double comes back as the nearest value with a 35-bit fraction, with its sign.
TEST(LFormat, RandomValuesRoundTripToTheNearestLValue) {
  std::mt19937_64 random(0x4C464F52);
  std::uniform_int_distribution<int> exponents(-1020, 1020);
  std::uniform_int_distribution<std::uint64_t> mantissas(0, (std::uint64_t{1} << 53) - 1);
  for (int i = 0; i < 200000; ++i) {
    const double fraction = std::ldexp(static_cast<double>(mantissas(random)), -53);  // [0, 1)
    // Now and then a fraction of all ones below a carry, or one just above a half.
    double magnitude = std::ldexp(i % 5 == 0 ? 1 - std::ldexp(fraction, -30) : 0.5 + fraction / 2,
                                  exponents(random));
    if (magnitude == 0) magnitude = 1;
    const double v = i % 2 == 0 ? magnitude : -magnitude;
    const double back = DecodeL(EncodeL(v));
    ASSERT_EQ(back, NearestL(v)) << std::hexfloat << v;
    ASSERT_EQ(std::signbit(back), std::signbit(v)) << std::hexfloat << v;
    ASSERT_LE(std::fabs(back - v), std::fabs(v) * std::ldexp(1.0, -35)) << std::hexfloat << v;
  }
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
