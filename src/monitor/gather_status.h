#pragma once

#include <atomic>

namespace bl {

// The live gather status the monitor thread keeps for the data view's panel. Written by the
// monitor thread while painting reads it, so every field is atomic.
struct GatherStatus {
  std::atomic<int> mode{0};    // bit 0 wrap-around, bit 1 dual-ported memory
  std::atomic<int> period{0};  // servo cycles per sample
  std::atomic<int> start{0};
  std::atomic<int> current{0};
  std::atomic<int> end{0};
};

}  // namespace bl
