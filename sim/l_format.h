#pragma once

#include <cstdint>

namespace sim {

// The two 24-bit words of a 48-bit register: X holds the high half, Y the low half.
struct WordPair {
  std::uint32_t x = 0;
  std::uint32_t y = 0;
  bool operator==(const WordPair&) const = default;
};

// L format, the controller's 48-bit floating point: a 36-bit two's-complement mantissa (X word,
// then the top 12 bits of the Y word) and a 12-bit exponent biased by 2047 (low 12 bits of Y).
// value = mantissa / 2^35 * 2^(exponent - 2047); zero is all zero bits. Every finite double fits;
// infinities become the largest L values and NaN becomes zero. Words beyond a double's range
// decode to the largest double (keeping the sign) or to zero.
WordPair EncodeL(double value);
double DecodeL(WordPair words);

// D format: a 48-bit two's-complement integer, X word high. Encoding rounds to the nearest
// integer and rolls over like the controller does.
WordPair EncodeD(double value);
std::int64_t DecodeD(WordPair words);

// The controller's conversion of a value to an n-bit integer field: round to nearest, keep the
// low n bits (so an odd number written to a one-bit field gives 1). NaN gives 0.
std::uint64_t ToTwosComplement(double value, int bits);
// The low `bits` bits of `raw` as a signed number.
std::int64_t SignExtend(std::uint64_t raw, int bits);

}  // namespace sim
