#pragma once

#include <array>
#include <atomic>
#include <mutex>

#include "monitor/live_counter.h"

namespace bl::monitor {

// What the position window shows: the monitor thread reads the reports the window chooses and
// stores them here; the window paints from a copy.
class PositionDisplay {
 public:
  static constexpr int kMotors = 32;
  using Values = std::array<double, kMotors>;

  std::atomic<int> displayMode{0};  // 0 positions, 1 velocities, 2 following errors
  std::atomic<int> motorGroup{0};
  LiveCounter live;

  Values Copy() const {
    std::lock_guard lock(mutex_);
    return values_;
  }
  // Eight motors from the first (0..24).
  void Store(int first, const std::array<double, 8>& eight) {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < eight.size(); ++i)
      values_[static_cast<std::size_t>(first) + i] = eight[i];
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    values_.fill(0);
  }

 private:
  mutable std::mutex mutex_;
  Values values_{};
};

}  // namespace bl::monitor
