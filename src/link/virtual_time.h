#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/clock.h"

namespace sim {
class Controller;
}

namespace bl {

// Moves the servo time of the virtual controllers along with a clock: the real clock in the
// program, the fake clock in tests.
class VirtualTime {
 public:
  // From now on the controller's time follows the clock.
  void Attach(std::shared_ptr<sim::Controller> controller, platform::Duration now);
  // Advances every attached controller by the time since its last update (at most one second at
  // once, so that a suspended machine does not stall the controller for minutes).
  void Update(platform::Duration now);

 private:
  struct Entry {
    std::weak_ptr<sim::Controller> controller;
    platform::Duration last;
  };
  std::mutex mutex_;
  std::vector<Entry> entries_;
};

// Updates a VirtualTime from a clock every few milliseconds on a thread of its own.
class VirtualTimeThread {
 public:
  VirtualTimeThread(VirtualTime& time, platform::Clock& clock);
  ~VirtualTimeThread();
  VirtualTimeThread(const VirtualTimeThread&) = delete;
  VirtualTimeThread& operator=(const VirtualTimeThread&) = delete;

 private:
  VirtualTime& time_;
  platform::Clock& clock_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace bl
