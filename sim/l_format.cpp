#include "sim/l_format.h"

#include <cmath>
#include <limits>

namespace sim {

namespace {

constexpr std::int64_t kMantissaOne = std::int64_t{1} << 35;  // mantissa 1.0
constexpr std::uint64_t kMask36 = (std::uint64_t{1} << 36) - 1;
constexpr std::uint64_t kMask48 = (std::uint64_t{1} << 48) - 1;
constexpr int kBias = 2047;

}  // namespace

std::int64_t SignExtend(std::uint64_t raw, int bits) {
  if (bits <= 0) return 0;
  if (bits >= 64) return static_cast<std::int64_t>(raw);
  std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
  raw &= mask;
  if (raw & (std::uint64_t{1} << (bits - 1))) return static_cast<std::int64_t>(raw | ~mask);
  return static_cast<std::int64_t>(raw);
}

std::uint64_t ToTwosComplement(double value, int bits) {
  if (!std::isfinite(value) || bits <= 0) return 0;
  std::uint64_t mask = bits >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
  double rounded = std::round(value);
  // Reduce modulo 2^bits before converting, so huge values roll over instead of overflowing.
  if (bits < 63) {
    double modulus = std::ldexp(1.0, bits);
    rounded = std::fmod(rounded, modulus);
    if (rounded < 0) rounded += modulus;
    return static_cast<std::uint64_t>(rounded) & mask;
  }
  if (std::fabs(rounded) >= 9.2e18) return 0;
  return static_cast<std::uint64_t>(static_cast<std::int64_t>(rounded)) & mask;
}

WordPair EncodeL(double value) {
  if (std::isnan(value) || value == 0) return {};
  int exponent = 0;
  std::int64_t mantissa = 0;
  if (std::isinf(value)) {
    mantissa = value > 0 ? kMantissaOne - 1 : -kMantissaOne;
    exponent = 4095 - kBias;
  } else {
    double fraction = std::frexp(value, &exponent);  // 0.5 <= |fraction| < 1
    mantissa = std::llround(std::ldexp(fraction, 35));
    if (mantissa == kMantissaOne) {  // rounded up to 1.0
      mantissa >>= 1;
      ++exponent;
    }
    // Negative mantissas are normalised to -1.0 <= m < -0.5.
    if (mantissa == -(kMantissaOne >> 1)) {
      mantissa = -kMantissaOne;
      --exponent;
    }
  }
  int biased = exponent + kBias;
  if (biased < 1) return {};
  if (biased > 4095) {
    biased = 4095;
    mantissa = mantissa > 0 ? kMantissaOne - 1 : -kMantissaOne;
  }
  std::uint64_t bits = static_cast<std::uint64_t>(mantissa) & kMask36;
  return {static_cast<std::uint32_t>(bits >> 12),
          static_cast<std::uint32_t>(((bits & 0xFFF) << 12) | static_cast<std::uint64_t>(biased))};
}

double DecodeL(WordPair words) {
  std::uint64_t bits =
      (static_cast<std::uint64_t>(words.x & 0xFFFFFF) << 12) | ((words.y >> 12) & 0xFFF);
  std::int64_t mantissa = SignExtend(bits, 36);
  if (mantissa == 0) return 0;
  int exponent = static_cast<int>(words.y & 0xFFF);
  double value = std::ldexp(static_cast<double>(mantissa), exponent - kBias - 35);
  // Keep values finite, so that later arithmetic never meets an infinity.
  if (std::isinf(value)) return std::copysign(std::numeric_limits<double>::max(), value);
  return value;
}

WordPair EncodeD(double value) {
  std::uint64_t bits = ToTwosComplement(value, 48) & kMask48;
  return {static_cast<std::uint32_t>(bits >> 24), static_cast<std::uint32_t>(bits & 0xFFFFFF)};
}

std::int64_t DecodeD(WordPair words) {
  std::uint64_t bits =
      (static_cast<std::uint64_t>(words.x & 0xFFFFFF) << 24) | (words.y & 0xFFFFFF);
  return SignExtend(bits, 48);
}

}  // namespace sim
