#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "sim/plant.h"

namespace sim {

// The mechanics brightlantern-sim's command line gives the motors, and the noise seed.
struct PlantOptions {
  std::map<int, PlantSettings> motors;  // by motor number; motors not named keep the rigid load
  std::uint64_t seed = 1;
};

// Whether the option (e.g. "--noise") is one ParsePlantOption takes.
bool IsPlantOption(std::string_view option);

// Takes one option's value into options, on top of what earlier options set for that motor:
//   --resonance M:HZ:ZETA:RATIO   --friction M:TORQUE   --noise M:COUNTS   --seed N
// M is a motor number 1..maxMotor. Returns why the value is refused (options unchanged), or an
// empty text.
std::string ParsePlantOption(std::string_view option, std::string_view value, int maxMotor,
                             PlantOptions& options);

}  // namespace sim
