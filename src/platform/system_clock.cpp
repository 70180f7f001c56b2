#include <thread>

#include "platform/clock.h"

namespace bl::platform {

Duration SystemClock::Now() const {
  return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now().time_since_epoch());
}

void SystemClock::SleepFor(Duration d) {
  if (d.count() > 0) std::this_thread::sleep_for(d);
}

}  // namespace bl::platform
