#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace bl::platform {

using Duration = std::chrono::nanoseconds;

// Monotonic time and sleeping. The fake clock makes a 2000 ms wait or a 100 ms monitor cycle
// instant and deterministic in tests.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual Duration Now() const = 0;
  virtual void SleepFor(Duration d) = 0;
  // Sleeps for d, or less once stopped() holds: a thread that must end promptly sleeps here and
  // is woken through cv, whose state lock guards (held on entry and again on return). Returns
  // stopped().
  virtual bool SleepUnless(Duration d, std::condition_variable& cv,
                           std::unique_lock<std::mutex>& lock,
                           const std::function<bool()>& stopped) = 0;
};

// The real clock: std::chrono::steady_clock and std::this_thread::sleep_for.
class SystemClock final : public Clock {
 public:
  Duration Now() const override;
  void SleepFor(Duration d) override;
  bool SleepUnless(Duration d, std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                   const std::function<bool()>& stopped) override;
};

}  // namespace bl::platform
