#pragma once

#include <array>
#include <memory>

#include "sim/controller.h"

namespace bl::fuzz {

// One controller of each type for the whole run, put back to factory defaults ($$$***) by the
// target before each input: a fresh controller's memory costs far more than the commands fuzzed
// on it.
inline sim::Controller& ControllerOfType(int typeCode) {
  static std::array<std::unique_ptr<sim::Controller>, 6> controllers;
  auto& c = controllers[static_cast<std::size_t>(typeCode - 1)];
  if (!c) c = std::make_unique<sim::Controller>(typeCode);
  return *c;
}

}  // namespace bl::fuzz
