#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "platform/clock.h"

namespace bl::platform {

// Time that moves only when a test (or a sleeper) moves it. Sleeping advances the clock at once,
// so a 2000 ms handshake wait costs nothing. Listeners run after every advance, outside the lock;
// the virtual controller hangs its servo time on them.
class FakeClock final : public Clock {
 public:
  using Listener = std::function<void(Duration now)>;

  Duration Now() const override {
    std::lock_guard lock(mutex_);
    return now_;
  }

  void SleepFor(Duration d) override { Advance(d); }

  // The time passes at once unless the sleeper is stopped already; the listeners run without the
  // sleeper's lock.
  bool SleepUnless(Duration d, std::condition_variable&, std::unique_lock<std::mutex>& lock,
                   const std::function<bool()>& stopped) override {
    if (stopped()) return true;
    lock.unlock();
    Advance(d);
    lock.lock();
    return stopped();
  }

  void Advance(Duration d) {
    Duration now;
    std::vector<Listener> listeners;
    {
      std::lock_guard lock(mutex_);
      if (d.count() > 0) now_ += d;
      now = now_;
      listeners = listeners_;
    }
    for (auto& l : listeners) l(now);
  }

  void OnAdvance(Listener listener) {
    std::lock_guard lock(mutex_);
    listeners_.push_back(std::move(listener));
  }

 private:
  mutable std::mutex mutex_;
  Duration now_{0};
  std::vector<Listener> listeners_;
};

}  // namespace bl::platform
