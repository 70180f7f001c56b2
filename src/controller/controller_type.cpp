#include "controller/controller_type.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "protocol/controller_types.h"

namespace bl {

namespace {

// One list of type names for the whole program and the virtual controller.
constexpr const auto& kName = protocol::kControllerTypeNames;
constexpr std::array<ControllerTypeInfo, 6> kTypes = {{
    {1, kName[0].data(), "PMAC1", 1024, 24, 8, 0xBC00, 0x1000, 0x1400, 0xA000},
    {2, kName[1].data(), "PMAC2", 1024, 24, 8, 0xBC00, 0x1000, 0x1400, 0xA000},
    {3, kName[2].data(), "PMAC2UL", 1024, 24, 8, 0xBC00, 0x1000, 0x1400, 0xA000},
    {4, kName[3].data(), "TURBO1", 8192, 48, 32, 0x4000, 0x6000, 0x8000, 0x10800},
    {5, kName[4].data(), "TURBO2", 8192, 48, 32, 0x4000, 0x6000, 0x8000, 0x10800},
    {6, kName[5].data(), "TURBO2UL", 8192, 48, 32, 0x4000, 0x6000, 0x8000, 0x10800},
}};

}  // namespace

const ControllerTypeInfo& ControllerTypeInfoFor(int typeCode) {
  return kTypes[static_cast<std::size_t>(std::clamp(typeCode, 1, 6) - 1)];
}

bool PAndQBasesForI46(int i46, int& pBase, int& qBase) {
  switch (i46) {
    case 0:
      pBase = 0x6000, qBase = 0x8000;
      return true;
    case 1:
      pBase = 0x50000, qBase = 0x6000;
      return true;
    case 2:
      pBase = 0x6000, qBase = 0x52000;
      return true;
    case 3:
      pBase = 0x50000, qBase = 0x52000;
      return true;
    default:
      return false;
  }
}

int TypeCodeFromReply(std::string_view reply) {
  struct Prefix {
    std::string_view text;
    int code;
  };
  // In this order: the first match wins.
  constexpr Prefix kPrefixes[] = {{"PMAC1", 1},  {"PMAC2", 2},  {"PMACUL", 3},
                                  {"TURBO1", 4}, {"TURBO2", 5}, {"TURBOU", 6}};
  for (const Prefix& p : kPrefixes)
    if (reply.substr(0, p.text.size()) == p.text) return p.code;
  return 0;
}

std::string ControllerTitle(const ControllerType& type, bool offline) {
  std::string title = "Brightlantern: " + type.displayName;
  if (offline) title += " (Offline)";
  return title;
}

void SetTypeFromTable(ControllerType& type, int typeCode) {
  const ControllerTypeInfo& info = ControllerTypeInfoFor(typeCode);
  type.typeCode = info.code;
  type.displayName = info.displayName;
  type.shortName = info.shortName;
  type.variableCount = info.variableCount;
  type.seriesCount = info.seriesCount;
  type.motorCount = info.motorCount;
  type.mBase = info.mBase;
  type.pBase = info.pBase;
  type.qBase = info.qBase;
}

}  // namespace bl
