#pragma once

#include <cstddef>
#include <cstdint>

namespace bl::platform {

// The binary records of the program's files are little-endian on every machine: they are packed
// and unpacked a byte at a time, never copied as structs.

inline void StoreLittleEndian(char* at, std::uint64_t value, std::size_t size) {
  for (std::size_t b = 0; b < size; ++b) at[b] = static_cast<char>((value >> (8 * b)) & 0xFF);
}

inline std::uint64_t LoadLittleEndian(const char* at, std::size_t size) {
  std::uint64_t value = 0;
  for (std::size_t b = 0; b < size; ++b)
    value |= std::uint64_t{static_cast<unsigned char>(at[b])} << (8 * b);
  return value;
}

}  // namespace bl::platform
