#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace bl::fuzz {

// Bytes as samples: 16-bit integers, or (raw) doubles as they lie, NaN and infinities included;
// at most limit of them.
inline std::vector<double> DecodeSamples(const std::vector<std::uint8_t>& data, bool raw,
                                         std::size_t limit = std::numeric_limits<std::size_t>::max()) {
  std::vector<double> samples;
  const std::size_t width = raw ? sizeof(double) : sizeof(std::int16_t);
  for (std::size_t at = 0; at + width <= data.size() && samples.size() < limit; at += width) {
    if (raw) {
      double v;
      std::memcpy(&v, data.data() + at, sizeof v);
      samples.push_back(v);
    } else {
      std::int16_t v;
      std::memcpy(&v, data.data() + at, sizeof v);
      samples.push_back(v);
    }
  }
  return samples;
}

}  // namespace bl::fuzz
