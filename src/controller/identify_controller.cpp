#include "controller/identify_controller.h"

#include <algorithm>
#include <cmath>

#include "controller/controller_type.h"
#include "definitions/definition_table.h"
#include "link/pmac_link.h"
#include "platform/text_format.h"
#include "terminal_lines/terminal_lines.h"

namespace bl {

namespace {

constexpr int kInfoColor = 13;
constexpr int kWarningColor = 5;

// Reads an I-variable or Y word as an integer (truncated toward zero); the fallback when the read
// fails, so that a controller that does not answer looks like an offline one.
int ReadInt(PmacLink& link, ValueKind kind, int number, int fallback, bool* ok = nullptr) {
  double value = 0;
  const bool read = link.PmacValue(kind, number, value, AccessMode::Read) == 0 &&
                    std::isfinite(value) && std::abs(value) < 2147483647.0;
  if (ok) *ok = read;
  return read ? static_cast<int>(std::trunc(value)) : fallback;
}

struct JumperBit {
  int address;
  int mask;
};

JumperBit ReinitializeJumper(int typeCode) {
  switch (typeCode) {
    case 1:
      return {0xFFC0, 0x100000};
    case 2:
    case 3:
      return {0xE801, 0x8};
    case 4:
      return {0x78800, 0x100000};
    default:
      return {0x70801, 0x8};
  }
}

void PrintSystemInformation(const ControllerType& type, int device, Terminal& terminal) {
  using platform::Format;
  terminal.TerminalAddLine(" ", kInfoColor);
  terminal.TerminalAddLine(type.displayName, kInfoColor);
  terminal.TerminalAddLine(device < 0 ? std::string("  Communications Device Number:     Offline")
                                      : Format("  Communications Device Number:     %d", device),
                           kInfoColor);
  terminal.TerminalAddLine(Format("  Number of Motors:                 %d", type.motorCount),
                           kInfoColor);
  terminal.TerminalAddLine(Format("  Number of Data Gathering Sources: %d", type.seriesCount),
                           kInfoColor);
  terminal.TerminalAddLine(Format("  Number of M, P, Q, I-Variables:   %d", type.variableCount),
                           kInfoColor);
  terminal.TerminalAddLine(Format("  M-Variable Base Address:          $%.6X", type.mBase),
                           kInfoColor);
  terminal.TerminalAddLine(Format("  P-Variable Base Address:          $%.6X", type.pBase),
                           kInfoColor);
  terminal.TerminalAddLine(Format("  Q-Variable Base Address:          $%.6X", type.qBase),
                           kInfoColor);
  if (type.bootstrapOn)
    terminal.TerminalAddLine("  BootStrap Jumper Status:          ON", kWarningColor);
  else
    terminal.TerminalAddLine("  BootStrap Jumper Status:          OFF", kInfoColor);
  if (type.reinitializeOn)
    terminal.TerminalAddLine("  Re-Initialize Jumper Status:      ON", kWarningColor);
  else
    terminal.TerminalAddLine("  Re-Initialize Jumper Status:      OFF", kInfoColor);
  terminal.TerminalAddLine(
      type.servoPeriod == 0
          ? std::string("  Servo Update Rate:                0.00 Hz")
          : Format("  Servo Update Rate:                %.2lf Hz", 1.0 / type.servoPeriod),
      kInfoColor);
  terminal.TerminalAddLine(
      Format("  End of User Memory:               $%.6X", type.endOfUserMemory.load()), kInfoColor);
}

}  // namespace

void IdentifyController(ControllerType& type, PmacLink& link, DefinitionTable& definitions,
                        Terminal& terminal, const IdentifyHooks& hooks) {
  if (hooks.closePositionWindow) hooks.closePositionWindow();
  type.bootstrapOn = false;
  type.reinitializeOn = false;

  const int device = link.PmacDevice();
  int i10 = 0;
  int i46 = 0;
  int code = type.typeCode.load();
  int endOfMemory = 0;
  if (device != -1) {
    code = 0;
    std::string reply;
    link.PmacCommand(reply, 99, "I9=2 TYPE", false);
    code = TypeCodeFromReply(reply);
    i10 = ReadInt(link, ValueKind::I, 10, 0);
    i46 = ReadInt(link, ValueKind::I, 46, 0);
    const int offlineEnd = code > 3 ? 0x10800 : 0xA000;
    endOfMemory = code <= 3 ? 0xA000 : ReadInt(link, ValueKind::YWord, 62, offlineEnd);
    if (link.InBootStrapMode()) type.bootstrapOn = true;
    if (code == 0) {
      type.reinitializeOn = true;
    } else {
      const JumperBit jumper = ReinitializeJumper(code);
      const int word = ReadInt(link, ValueKind::YWord, jumper.address, 0);
      type.reinitializeOn = (word & jumper.mask) == 0;
    }
  } else {
    endOfMemory = code > 3 ? 0x10800 : 0xA000;
  }

  code = std::clamp(code, 1, 6);
  // A Turbo controller's P and Q bases follow I46; a value it cannot have leaves them as they
  // were.
  int pBase = type.pBase, qBase = type.qBase;
  SetTypeFromTable(type, code);
  if (code > 3) {
    PAndQBasesForI46(i46, pBase, qBase);
    type.pBase = pBase;
    type.qBase = qBase;
  }
  type.servoPeriod = i10 * 0.001 * std::ldexp(1.0, -23);
  type.endOfUserMemory = endOfMemory;

  if (hooks.setTitle) hooks.setTitle(ControllerTitle(type, device == -1));
  definitions.SetSlotCount(type.variableCount);
  definitions.ClearDefinitions(true);
  if (hooks.limitCurrentSeries) hooks.limitCurrentSeries(type.seriesCount);
  PrintSystemInformation(type, device, terminal);
}

}  // namespace bl
