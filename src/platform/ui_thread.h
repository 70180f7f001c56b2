#pragma once

#include <functional>

namespace bl::platform {

// The road from another thread to the user-interface thread. Views repaint by posting a closure
// that asks their widget for an update; the widget coalesces repeated requests.
class UiThread {
 public:
  virtual ~UiThread() = default;
  virtual void Post(std::function<void()> task) = 0;
  // Runs the task on the user-interface thread and returns when it has run; called on the
  // user-interface thread itself, it runs the task at once.
  virtual void PostAndWait(std::function<void()> task) = 0;
  virtual bool IsUiThread() const = 0;
};

}  // namespace bl::platform
