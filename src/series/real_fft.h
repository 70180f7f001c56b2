#pragma once

#include <span>

namespace bl::series {

enum class FftDirection : int { kForward = 1, kInverse = -1 };

// The real Fourier transform pair on the first n of values, in place; n is a power of two, at
// least 2, and values holds at least n elements.
//
// Forward: F(k) = sum over j of x[j]·e^(+2πi·jk/n), unscaled, for k = 0 to n/2, packed as
// values[0] = F(0), values[1] = F(n/2) (both real), values[2k] = Re F(k) and
// values[2k+1] = Im F(k) for k = 1 to n/2 - 1.
// Inverse: takes that packed form and returns the signal multiplied by n/2, so a forward pass
// followed by an inverse one and a division by n/2 gives back the input.
//
// Returns 0, or -1 (values untouched) when n is not such a power of two or exceeds the span.
// Non-finite inputs simply propagate into the result.
int RealFft(std::span<double> values, long long n, FftDirection direction);

}  // namespace bl::series
