#include "sim/model.h"

#include <algorithm>
#include <array>

namespace sim {

namespace {

Model NonTurbo(int code, std::string_view typeReply) {
  Model m;
  m.typeCode = code;
  m.turbo = false;
  m.pmac1 = code == 1;
  m.typeReply = typeReply;
  m.versionReply = "1.17F";
  m.dateReply = "06/12/2001";
  m.variableCount = 1024;
  m.motorCount = 8;
  m.coordinateSystemCount = 8;
  m.memoryWords = 0x10000;
  m.programWords = 0x10000;
  m.globalStatus = 0x3;
  m.gatherRegisters = 0xF20;
  m.plcTable = 0xF00;
  m.compiledPlcTable = 0x8000;
  m.programDirectory = 0xE00;
  m.programBufferStart = 0x1800;
  m.endOfUserMemory = 0xA000;
  m.endOfUserMemoryWord = 0;
  m.mDefinitionBase = 0xBC00;
  m.mFormatInX = code == 3;
  m.encoderTable = 0x720;
  m.encoderTableWords = 32;
  m.jumperAddress = code == 1 ? 0xFFC0 : 0xE801;
  m.jumperBit = code == 1 ? 0x100000 : 0x8;
  return m;
}

Model Turbo(int code, std::string_view typeReply) {
  Model m;
  m.typeCode = code;
  m.turbo = true;
  m.pmac1 = code == 4;
  m.typeReply = typeReply;
  m.versionReply = "1.947";
  m.dateReply = "10/18/2008";
  m.jumperAddress = code == 4 ? 0x78800 : 0x70801;
  m.jumperBit = code == 4 ? 0x100000 : 0x8;
  return m;
}

const std::array<Model, 6> kModels = {
    NonTurbo(1, "PMAC1, X1"), NonTurbo(2, "PMAC2, X1"), NonTurbo(3, "PMACUL, X1"),
    Turbo(4, "TURBO1, X4"),   Turbo(5, "TURBO2, X4"),   Turbo(6, "TURBOU, X4"),
};

}  // namespace

std::uint32_t Model::CommandedPosition(int motor) const {
  return turbo ? static_cast<std::uint32_t>(motor * 128 + 8)
               : static_cast<std::uint32_t>(motor * 60 - 20);
}

std::uint32_t Model::ActualPosition(int motor) const {
  return turbo ? static_cast<std::uint32_t>(motor * 128 + 11)
               : static_cast<std::uint32_t>(motor * 60 - 17);
}

std::uint32_t Model::ServoOutput(int motor) const {
  if (turbo) return static_cast<std::uint32_t>(motor * 128 + 63);
  return static_cast<std::uint32_t>(motor * 60 + (pmac1 ? 9 : 7));
}

std::uint32_t Model::ActualVelocity(int motor) const {
  return turbo ? static_cast<std::uint32_t>(motor * 128 + 29)
               : static_cast<std::uint32_t>(motor * 60 - 9);
}

std::uint32_t Model::MotorStatusX(int motor) const {
  return turbo ? static_cast<std::uint32_t>(motor * 128 + 48)
               : static_cast<std::uint32_t>(motor * 60 + 1);
}

std::uint32_t Model::MotorStatusY(int motor) const {
  return turbo ? static_cast<std::uint32_t>(motor * 128 + 64)
               : static_cast<std::uint32_t>(0x814 + 0xC0 * (motor - 1));
}

std::uint32_t Model::VariableJog(int motor) const {
  return turbo ? static_cast<std::uint32_t>(motor * 128 + 87)
               : static_cast<std::uint32_t>(0x82B + 0xC0 * (motor - 1));
}

std::uint32_t Model::PBase(int i46) const {
  if (!turbo) return 0x1000;
  return (i46 == 1 || i46 == 3) ? 0x50000 : 0x6000;
}

std::uint32_t Model::QBase(int i46) const {
  if (!turbo) return 0x1400;
  return (i46 == 2 || i46 == 3) ? 0x52000 : 0x8000;
}

std::uint32_t Model::ChannelBase(int motor) const {
  auto index = static_cast<std::uint32_t>(motor - 1);
  if (turbo) {
    // Four channels per servo IC, one IC per $100 from $78000; PMAC1 ICs step 4 per channel.
    return 0x78000 + (index / 4) * 0x100 + (index % 4) * (pmac1 ? 4 : 8);
  }
  return 0xC000 + index * (pmac1 ? 4 : 8);
}

const Model& ModelFor(int typeCode) {
  return kModels[static_cast<std::size_t>(std::clamp(typeCode, 1, 6) - 1)];
}

}  // namespace sim
