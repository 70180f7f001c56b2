#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace bl::editor {

// Byte searches over the editor text. Painting scans the whole text from its start on every
// repaint (line count, caret line, block-comment state), so these loops decide how a long program
// feels to type in.
//
// They are written by hand because the standard library's are slower here (bench/byte_scan_bench
// compares them, bench/editor_bench shows what that means for a repaint): at -O2 GCC does not
// vectorise std::count, which counts a whole text about 15 times slower than CountByte;
// std::find_if finds the next of several bytes about 3 to 5 times slower than FindAnyByte; and
// memchr, quicker across a line of some length, made the repaint a few percent slower on the
// short stretches of comment that ScanToLine searches for a line end.

namespace byte_scan {

inline constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
inline constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

inline std::uint64_t Load(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

// The high bit of each byte of w that equals c, exactly (no false positives).
inline std::uint64_t Matches(std::uint64_t w, char c) {
  const std::uint64_t x = w ^ (kOnes * static_cast<unsigned char>(c));
  return ~(((x & ~kHighs) + ~kHighs) | x) & kHighs;
}

}  // namespace byte_scan

// The number of c in [p, end).
inline std::size_t CountByte(const char* p, const char* end, char c) {
  using namespace byte_scan;
  std::size_t count = 0;
  // Blocks of 64 bytes, counted in one byte (at most 64 each); the compiler vectorises the inner
  // loop, whose length it knows.
  while (end - p >= 64) {
    unsigned char inBlock = 0;
    for (int i = 0; i < 64; ++i) inBlock += p[i] == c ? 1 : 0;
    count += inBlock;
    p += 64;
  }
  // At most seven words: each byte of sums stays at most 7, and all eight add up to at most 56,
  // so their sum fits the top byte of the product.
  std::uint64_t sums = 0;
  for (; end - p >= 8; p += 8) sums += Matches(Load(p), c) >> 7;
  count += static_cast<std::size_t>((sums * kOnes) >> 56);
  for (; p < end; ++p) count += *p == c ? 1 : 0;
  return count;
}

// The first byte in [p, end) equal to any of the given ones, or end.
template <typename... Chars>
const char* FindAnyByte(const char* p, const char* end, Chars... cs) {
  using namespace byte_scan;
  while (end - p >= 8) {
    const std::uint64_t w = Load(p);
    if ((Matches(w, cs) | ...)) break;
    p += 8;
  }
  while (p < end && !((*p == cs) || ...)) ++p;
  return p;
}

}  // namespace bl::editor
