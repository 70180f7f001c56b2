#pragma once

#include "platform/ui_thread.h"

namespace bl::platform {

// Posts closures to the Qt event loop of the application's main thread.
class QtUiThread final : public UiThread {
 public:
  void Post(std::function<void()> task) override;
  void PostAndWait(std::function<void()> task) override;
  bool IsUiThread() const override;
};

}  // namespace bl::platform
