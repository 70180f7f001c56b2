#pragma once

#include <cstdint>
#include <string_view>

namespace sim {

// What differs between the six controller types: sizes, the memory map and the names. Type codes:
// 1 PMAC1, 2 PMAC2, 3 PMAC2 Ultralite, 4 Turbo PMAC1, 5 Turbo PMAC2, 6 Turbo PMAC2 Ultralite.
struct Model {
  int typeCode = 5;
  bool turbo = true;
  bool pmac1 = false;          // PMAC1-style servo ICs (DACs), types 1 and 4
  std::string_view typeReply;  // answer to TYPE
  std::string_view versionReply;
  std::string_view dateReply;

  int variableCount = 8192;  // I, P, Q and M variables each
  int motorCount = 32;
  int coordinateSystemCount = 16;

  std::uint32_t memoryWords = 0x80000;   // X and Y words each
  std::uint32_t programWords = 0x80000;  // P memory

  std::uint32_t globalStatus = 0x6;          // X word bit 19: gathering
  std::uint32_t gatherRegisters = 0x3120;    // X: buffer start, Y: write pointer
  std::uint32_t plcTable = 0x3100;           // Y words, one per PLC; the word before is the start
  std::uint32_t compiledPlcTable = 0x50000;  // P memory
  std::uint32_t programDirectory = 0x3000;   // 256 entries
  std::uint32_t programBufferStart = 0xA000;
  std::uint32_t endOfUserMemory = 0x10800;   // Turbo: held in Y:$3E
  std::uint32_t endOfUserMemoryWord = 0x3E;  // 0 when the end is fixed
  std::uint32_t mDefinitionBase = 0x4000;
  bool mFormatInX = true;  // types 3..6 keep the format byte in the X word
  std::uint32_t encoderTable = 0x3501;
  std::uint32_t encoderTableWords = 192;
  std::uint32_t jumperAddress = 0x70801;  // Y word; bit set = jumper off
  std::uint32_t jumperBit = 0x8;

  // Motor registers (motor numbers from 1).
  std::uint32_t CommandedPosition(int motor) const;  // D word
  std::uint32_t ActualPosition(int motor) const;     // D word
  std::uint32_t ServoOutput(int motor) const;        // X word, DAC in bits 8..23
  std::uint32_t ActualVelocity(int motor) const;     // X word, 1/(32·Ix09) count per cycle
  std::uint32_t MotorStatusX(int motor) const;
  std::uint32_t MotorStatusY(int motor) const;
  std::uint32_t VariableJog(int motor) const;  // L word: distance or place of J=* J^* J:*
  // Motors per group of the ^B ^F ^P ^V reports.
  static constexpr int kGroupSize = 8;

  // P and Q base addresses; on Turbo they follow I46 as latched at reset.
  std::uint32_t PBase(int i46) const;
  std::uint32_t QBase(int i46) const;
  // Servo IC channel registers of motor m (its encoder and flags), for factory defaults.
  std::uint32_t ChannelBase(int motor) const;
};

// The model of a type code; codes outside 1..6 are clamped into that range.
const Model& ModelFor(int typeCode);

}  // namespace sim
