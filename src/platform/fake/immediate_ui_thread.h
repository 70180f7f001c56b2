#pragma once

#include <atomic>

#include "platform/ui_thread.h"

namespace bl::platform {

// Runs every posted task at once on the caller's thread: the whole program is one thread in a
// core test.
class ImmediateUiThread final : public UiThread {
 public:
  void Post(std::function<void()> task) override {
    ++posted_;
    if (task) task();
  }
  void PostAndWait(std::function<void()> task) override { Post(std::move(task)); }
  bool IsUiThread() const override { return true; }

  int Posted() const { return posted_; }

 private:
  std::atomic<int> posted_{0};
};

}  // namespace bl::platform
