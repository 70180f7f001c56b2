#include "link/virtual_time.h"

#include <algorithm>

#include "sim/controller.h"

namespace bl {

namespace {

constexpr platform::Duration kMaxStep = std::chrono::seconds(1);
constexpr platform::Duration kTick = std::chrono::milliseconds(2);

}  // namespace

void VirtualTime::Attach(std::shared_ptr<sim::Controller> controller, platform::Duration now) {
  std::lock_guard lock(mutex_);
  for (Entry& e : entries_) {
    if (e.controller.lock() == controller) {
      e.last = now;
      return;
    }
  }
  entries_.push_back({std::move(controller), now});
}

void VirtualTime::Update(platform::Duration now) {
  std::vector<std::pair<std::shared_ptr<sim::Controller>, platform::Duration>> due;
  {
    std::lock_guard lock(mutex_);
    std::erase_if(entries_, [](const Entry& e) { return e.controller.expired(); });
    for (Entry& e : entries_) {
      if (now <= e.last) continue;
      due.emplace_back(e.controller.lock(), std::min(now - e.last, kMaxStep));
      e.last = now;
    }
  }
  // Outside the lock: a controller's step takes its own lock and may take a while.
  for (auto& [controller, elapsed] : due)
    if (controller) controller->Advance(elapsed);
}

VirtualTimeThread::VirtualTimeThread(VirtualTime& time, platform::Clock& clock)
    : time_(time), clock_(clock), thread_([this] {
        while (!stop_.load()) {
          time_.Update(clock_.Now());
          clock_.SleepFor(kTick);
        }
      }) {}

VirtualTimeThread::~VirtualTimeThread() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

}  // namespace bl
