// Factory defaults: the I-variables and memory tables of a controller fresh from re-initialising.
#include "sim/machine.h"

namespace sim {

void Machine::FactoryReset() {
  x_.assign(model_.memoryWords, 0);
  y_.assign(model_.memoryWords, 0);
  p_.assign(model_.programWords, 0);
  i_.assign(static_cast<std::size_t>(model_.variableCount), 0);
  selfM_.assign(static_cast<std::size_t>(model_.variableCount), 0);
  macro_.assign(static_cast<std::size_t>(kMacroNodes) * kMacroVariables, 0);
  motors_.assign(static_cast<std::size_t>(model_.motorCount + 1), MotorState{});
  programs = ProgramBuffers();
  // The generation goes on counting, so that a program whose CMD did this notices.
  const std::uint64_t generation = runner.generation;
  runner = ProgramRunner();
  runner.generation = generation + 1;
  runner.systems.resize(static_cast<std::size_t>(model_.coordinateSystemCount + 1));
  SetDefaultIVariables();
  SetDefaultTables();
  Reset();
}

void Machine::SetDefaultIVariables() {
  const bool turbo = model_.turbo;
  SetI(3, 2);  // ACK handshake
  SetI(5, 2);  // background PLCs enabled
  SetI(6, 1);  // errors as BEL ERRnnn CR
  SetI(8, 2);
  SetI(9, 2);         // short listings, addresses in hexadecimal
  SetI(10, 3713707);  // servo period in 1/8388608 ms: 0.442 ms
  SetI(54, 12);
  if (turbo) {
    SetI(46, 0);
    SetI(68, 15);  // 16 coordinate systems
    SetI(5000, 0);
    SetI(5049, 1);
  } else {
    SetI(19, 1);
    SetI(45, 0);
  }
  // Move defaults of each coordinate system (Turbo Isx87..Isx90, PMAC Ix87..Ix90): TA, TS,
  // feedrate and its time unit.
  for (int cs = 1; cs <= model_.coordinateSystemCount; ++cs) {
    const int base = (turbo ? 5000 : 0) + 100 * cs;
    SetI(base + 87, 0);
    SetI(base + 88, 50);
    SetI(base + 89, 1000);
    SetI(base + 90, 1000);
  }

  for (int m = 1; m <= model_.motorCount; ++m) {
    const int x = 100 * m;
    std::uint32_t channel = model_.ChannelBase(m);
    // Motor m reads the table entry of its own channel.
    const auto entry = static_cast<std::uint32_t>(m - 1);
    SetI(x + 0, m <= 8 ? 1 : 0);
    SetI(x + 2, channel + (model_.pmac1 ? 3 : 2));  // DAC or PWM output register
    SetI(x + 3, model_.encoderTable + entry);
    SetI(x + 4, model_.encoderTable + entry);
    SetI(x + 7, 96);
    SetI(x + 8, 96);
    SetI(x + 9, 96);
    SetI(x + 11, 32000);
    SetI(x + 12, 16000);
    SetI(x + 15, 1);
    SetI(x + 16, 32);
    SetI(x + 17, 0.5);
    SetI(x + 19, 0.015625);
    SetI(x + 21, 50);
    SetI(x + 22, 32);
    SetI(x + 23, 32);
    SetI(x + 25, channel);
    SetI(x + 28, 160);  // in-position band: 10 counts
    SetI(x + 30, 2000);
    SetI(x + 31, 1280);
    SetI(x + 32, 1280);
    SetI(x + 33, 0);
    SetI(x + 34, 1);
    SetI(x + 35, 0);
    SetI(x + 63, 4194304);
    SetI(x + 67, 4194304);
    SetI(x + 69, 20480);
  }
}

void Machine::SetDefaultTables() {
  // End of user memory, and an empty gather buffer (start and write pointer at that end).
  if (model_.endOfUserMemoryWord != 0) SetY(model_.endOfUserMemoryWord, model_.endOfUserMemory);
  SetX(model_.gatherRegisters, model_.endOfUserMemory);
  SetY(model_.gatherRegisters, model_.endOfUserMemory);

  // The re-initialise jumper is off: its bit reads 1.
  SetY(model_.jumperAddress, Y(model_.jumperAddress) | model_.jumperBit);

  // No motion programs and no PLCs: every directory end and every PLC end is the start of the
  // program buffers, so each buffer is empty.
  programs.WriteTables(*this);

  // No compiled PLCs: no starts, each enable word pointing at its own "disabled" target, and an
  // empty compiled area.
  const std::uint32_t b = model_.compiledPlcTable;
  for (std::uint32_t i = 0; i < 32; ++i) SetP(b + 33 + 2 * i, b + 34 + 2 * i);
  SetP(b + 97, b + 98);

  // Encoder conversion table: 1/T extension of each motor's channel, then the end marker.
  for (int m = 1; m <= model_.motorCount; ++m) {
    SetY(model_.encoderTable + static_cast<std::uint32_t>(m - 1), model_.ChannelBase(m));
  }
}

}  // namespace sim
