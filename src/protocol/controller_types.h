#pragma once

#include <algorithm>
#include <array>
#include <string_view>

namespace protocol {

// The six controller types by type code 1..6, as both the workbench and the virtual controller
// name them to the user.
inline constexpr int kControllerTypeCount = 6;
inline constexpr std::array<std::string_view, kControllerTypeCount> kControllerTypeNames = {
    "PMAC1", "PMAC2", "PMAC2 Ultralite", "Turbo PMAC1", "Turbo PMAC2", "Turbo PMAC2 Ultralite"};

// The name of a type code; codes outside 1..6 are held to the nearest one.
constexpr std::string_view ControllerTypeName(int typeCode) {
  return kControllerTypeNames[static_cast<std::size_t>(
      std::clamp(typeCode, 1, kControllerTypeCount) - 1)];
}

}  // namespace protocol
