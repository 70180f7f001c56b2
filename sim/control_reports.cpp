// Reports of the addressed motor, the status queries and the control characters.
#include "sim/command_interpreter.h"

#include <vector>

namespace sim {

namespace {

constexpr char kCtrlA = 1, kCtrlB = 2, kCtrlC = 3, kCtrlD = 4, kCtrlF = 6, kCtrlG = 7, kCtrlK = 11,
               kCtrlP = 16, kCtrlV = 22, kCtrlX = 24;

}  // namespace

int CommandInterpreter::StatusQuery(Scanner& s, std::string& out) {
  int marks = 0;
  while (s.Peek() == '?' && marks < 4) {
    s.Advance();
    ++marks;
  }
  if (marks > 3 || !s.AtCommandBoundary()) return kErrUnrecognized;
  if (marks == 1) {
    out += m_.MotorStatus(m_.addressedMotor);
  } else if (marks == 2) {
    out += m_.CoordinateSystemStatus(m_.addressedCoordinateSystem);
  } else {
    out += m_.GlobalStatus();
  }
  out += kCr;
  return 0;
}

int CommandInterpreter::MotorReport(char what, Scanner& s, std::string& out) {
  if (!s.AtCommandBoundary()) return kErrUnrecognized;
  const int m = m_.addressedMotor;
  double value = what == 'P'   ? m_.ActualPositionCounts(m)
                 : what == 'V' ? m_.VelocityCountsPerCycle(m)
                               : m_.FollowingErrorCounts(m);
  out += FormatNumber(value);
  out += kCr;
  return 0;
}

bool CommandInterpreter::Control(char c, std::string& out) {
  const Model& model = m_.model();
  // ^B ^F ^P ^V report the motor group chosen with ##n (always motors 1..8 on non-Turbo types).
  const int firstMotor = model.turbo ? m_.motorGroup * Model::kGroupSize + 1 : 1;
  auto groupLine = [&](auto&& item) {
    std::string line;
    for (int m = firstMotor; m < firstMotor + Model::kGroupSize; ++m) {
      if (m > firstMotor) line += ' ';
      line += item(m);
    }
    out += line;
    out += kCr;
  };
  switch (c) {
    case kCtrlB:
      groupLine([&](int m) { return m_.MotorStatus(m); });
      break;
    case kCtrlC: {
      std::string line;
      for (int cs = 1; cs <= model.coordinateSystemCount; ++cs) {
        if (cs > 1) line += ' ';
        line += m_.CoordinateSystemStatus(cs);
      }
      out += line;
      out += kCr;
      break;
    }
    case kCtrlD: {
      std::vector<int> all(ProgramBuffers::kPlcCount);
      for (int i = 0; i < ProgramBuffers::kPlcCount; ++i) all[static_cast<std::size_t>(i)] = i;
      m_.programs.SetPlcsEnabled(m_, all, false);
      break;
    }
    case kCtrlF:
      groupLine([&](int m) { return FormatNumber(m_.FollowingErrorCounts(m)); });
      break;
    case kCtrlG:
      out += m_.GlobalStatus();
      out += kCr;
      break;
    case kCtrlK:
      for (int m = 1; m <= model.motorCount; ++m) m_.Kill(m);
      break;
    case kCtrlA:
      for (int cs = 1; cs <= model.coordinateSystemCount; ++cs) AbortSystem(m_, cs);
      for (int m = 1; m <= model.motorCount; ++m) m_.Abort(m);
      break;
    case kCtrlP:
      groupLine([&](int m) { return FormatNumber(m_.ActualPositionCounts(m)); });
      break;
    case kCtrlV:
      groupLine([&](int m) { return FormatNumber(m_.VelocityCountsPerCycle(m)); });
      break;
    case kCtrlX:
      // Cancels what is waiting to be sent and the rest of the command queue.
      out.clear();
      return false;
    default:
      break;
  }
  return true;
}

}  // namespace sim
