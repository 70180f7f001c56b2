#pragma once

#include <chrono>

namespace bl::platform {

using Duration = std::chrono::nanoseconds;

// Monotonic time and sleeping. The fake clock makes a 2000 ms wait or a 100 ms monitor cycle
// instant and deterministic in tests.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual Duration Now() const = 0;
  virtual void SleepFor(Duration d) = 0;
};

// The real clock: std::chrono::steady_clock and std::this_thread::sleep_for.
class SystemClock final : public Clock {
 public:
  Duration Now() const override;
  void SleepFor(Duration d) override;
};

}  // namespace bl::platform
