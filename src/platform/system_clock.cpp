#include <thread>

#include "platform/clock.h"

namespace bl::platform {

Duration SystemClock::Now() const {
  return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now().time_since_epoch());
}

void SystemClock::SleepFor(Duration d) {
  if (d.count() > 0) std::this_thread::sleep_for(d);
}

bool SystemClock::SleepUnless(Duration d, std::condition_variable& cv,
                              std::unique_lock<std::mutex>& lock,
                              const std::function<bool()>& stopped) {
  return cv.wait_for(lock, d, stopped);
}

}  // namespace bl::platform
