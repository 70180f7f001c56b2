#include "series/real_fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <random>
#include <span>
#include <vector>

namespace bl::series {
namespace {

using Complex = std::complex<double>;

// e^(+2πi·m/n) for m = 0 to n-1, so the direct sums below index exact twiddles by (j·k) mod n.
std::vector<Complex> Roots(std::size_t n) {
  std::vector<Complex> roots(n);
  for (std::size_t m = 0; m < n; ++m) {
    roots[m] = std::polar(1.0, 2.0 * std::numbers::pi * static_cast<double>(m) / n);
  }
  return roots;
}

// F(k) = sum of x[j]·e^(+2πi·jk/n), straight from the definition, for k = 0 to n/2.
std::vector<Complex> DirectSpectrum(const std::vector<double>& x) {
  const std::size_t n = x.size();
  const auto roots = Roots(n);
  std::vector<Complex> f(n / 2 + 1);
  for (std::size_t k = 0; k <= n / 2; ++k) {
    for (std::size_t j = 0; j < n; ++j) f[k] += x[j] * roots[(j * k) % n];
  }
  return f;
}

std::vector<double> RandomValues(std::size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  std::vector<double> v(n);
  for (double& value : v) value = uniform(random);
  return v;
}

TEST(RealFftTest, ForwardMatchesTheDefinitionForEveryPowerOfTwoUpTo4096) {
  for (std::size_t n = 2; n <= 4096; n *= 2) {
    SCOPED_TRACE(n);
    const double tolerance = 1e-12 * n;
    const auto x = RandomValues(n, static_cast<unsigned>(n));
    const auto f = DirectSpectrum(x);
    auto packed = x;
    ASSERT_EQ(RealFft(packed, static_cast<long long>(n), FftDirection::kForward), 0);
    EXPECT_NEAR(packed[0], f[0].real(), tolerance);
    EXPECT_NEAR(packed[1], f[n / 2].real(), tolerance);
    for (std::size_t k = 1; k < n / 2; ++k) {
      ASSERT_NEAR(packed[2 * k], f[k].real(), tolerance) << "k " << k;
      ASSERT_NEAR(packed[2 * k + 1], f[k].imag(), tolerance) << "k " << k;
    }
  }
}

TEST(RealFftTest, SparseSignalsGiveTheirKnownSpectraAndPackingUpTo65536) {
  for (std::size_t n : {8u, 1024u, 65536u}) {
    SCOPED_TRACE(n);
    const double half = n / 2.0;
    const std::size_t bin = n / 8 + 1;
    std::vector<double> x(n);
    for (std::size_t j = 0; j < n; ++j) {
      const double angle = 2.0 * std::numbers::pi * static_cast<double>(bin * j % n) / n;
      // 3 at F(0), the alternating term at F(n/2), a cosine and a sine in one bin.
      x[j] = 3.0 / n + ((j % 2 == 0) ? 1.0 : -1.0) + std::cos(angle) + 2.0 * std::sin(angle);
    }
    ASSERT_EQ(RealFft(x, static_cast<long long>(n), FftDirection::kForward), 0);
    const double tolerance = 1e-9 * n;
    EXPECT_NEAR(x[0], 3.0, tolerance);
    EXPECT_NEAR(x[1], static_cast<double>(n), tolerance);
    for (std::size_t k = 1; k < n / 2; ++k) {
      // With the positive exponent a sine has a positive imaginary part.
      ASSERT_NEAR(x[2 * k], k == bin ? half : 0.0, tolerance) << k;
      ASSERT_NEAR(x[2 * k + 1], k == bin ? 2.0 * half : 0.0, tolerance) << k;
    }
  }
}

// Every packed array is the forward transform of one real signal, so with the forward pass
// checked above this pins down the inverse.
TEST(RealFftTest, InverseAfterForwardReturnsTheInputTimesHalfTheCount) {
  for (std::size_t n : {2u, 4u, 64u, 4096u, 65536u}) {
    // From the start of a vector and from one element in, which is aligned differently.
    for (std::size_t shift : {0u, 1u}) {
      SCOPED_TRACE(testing::Message() << "n " << n << " shift " << shift);
      std::vector<double> storage = RandomValues(n + shift, 7);
      const std::vector<double> x(storage.begin() + shift, storage.end());
      const auto values = std::span(storage).subspan(shift);
      ASSERT_EQ(RealFft(values, static_cast<long long>(n), FftDirection::kForward), 0);
      ASSERT_EQ(RealFft(values, static_cast<long long>(n), FftDirection::kInverse), 0);
      for (std::size_t j = 0; j < n; ++j) ASSERT_NEAR(values[j] / (n / 2), x[j], 1e-12) << j;
    }
  }
}

TEST(RealFftTest, TouchesOnlyTheFirstNValuesAndRefusesBadCounts) {
  std::vector<double> values{1.0, 2.0, 3.0, 4.0, 99.0, 98.0};
  ASSERT_EQ(RealFft(values, 4, FftDirection::kForward), 0);
  // F(0) = 10, F(2) = -2, F(1) = 1 - 3 + i(2 - 4).
  EXPECT_EQ(values, (std::vector<double>{10.0, -2.0, -2.0, -2.0, 99.0, 98.0}));

  const auto original = values;
  for (long long n : {-4LL, 0LL, 1LL, 3LL, 6LL, 8LL, 1LL << 40}) {
    EXPECT_EQ(RealFft(values, n, FftDirection::kForward), -1) << n;
    EXPECT_EQ(RealFft(values, n, FftDirection::kInverse), -1) << n;
  }
  EXPECT_EQ(RealFft(values, 4, static_cast<FftDirection>(0)), -1);
  EXPECT_EQ(values, original);

  // Non-finite values spread through the result without harm.
  values[2] = std::numeric_limits<double>::quiet_NaN();
  values[3] = std::numeric_limits<double>::infinity();
  ASSERT_EQ(RealFft(values, 4, FftDirection::kForward), 0);
  EXPECT_TRUE(std::isnan(values[0]));
  EXPECT_EQ(values[4], 99.0);
}

}  // namespace
}  // namespace bl::series
