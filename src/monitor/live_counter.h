#pragma once

#include <atomic>

namespace bl::monitor {

// A live window's indicator: 0 to 100 in steps of 5, back to 0 after 100.
constexpr int NextLiveCount(int count) { return count + 5 > 100 ? 0 : count + 5; }

// Advanced by the monitor thread, read by the window's painter.
struct LiveCounter {
  std::atomic<int> value{0};

  int Advance() {
    const int next = NextLiveCount(value.load());
    value.store(next);
    return next;
  }
};

}  // namespace bl::monitor
