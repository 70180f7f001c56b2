// Jogging, killing and gathering from the command line.
#include <cmath>

#include "sim/command_interpreter.h"

namespace sim {

namespace {

bool IsJogOperator(char c) {
  return c == '/' || c == '+' || c == '-' || c == '=' || c == '^' || c == ':';
}

// Consumes `word` when it is next and ends there (no letter or digit follows).
bool MatchWhole(Scanner& s, std::string_view word) {
  const std::size_t start = s.Position();
  if (s.Match(word) && !IsLetter(s.Peek()) && !IsDigit(s.Peek())) return true;
  s.Reset(start);
  return false;
}

}  // namespace

int CommandInterpreter::MotorCommand(Scanner& s) {
  const int m = m_.addressedMotor;
  const char c = Upper(s.Peek());
  if (c == 'K' && !IsLetter(s.Peek(1)) && !IsDigit(s.Peek(1))) {
    s.Advance();
    if (!s.AtCommandBoundary()) return kErrUnrecognized;
    m_.Kill(m);
    return 0;
  }
  if (c != 'J' || !IsJogOperator(s.Peek(1))) return kNotHandled;
  if (ProgramMovesMotor(m_, m)) return kErrProgramRunning;  // the program's path has it
  s.Advance();
  const char op = s.Peek();
  s.Advance();
  MotorState& motor = m_.Motor(m);
  if (op == '/' || op == '+' || op == '-') {
    if (!s.AtCommandBoundary()) return kErrUnrecognized;
    m_.JogVelocity(m, op == '/' ? 0 : op == '+' ? 1 : -1);
    return 0;
  }
  bool setsPreJog = false;
  if (op == '=' && s.Peek() == '=') {
    s.Advance();
    setsPreJog = true;
  }
  if (op == '=' && !setsPreJog && s.AtCommandBoundary() && !IsDigit(s.Peek()) && s.Peek() != '*' &&
      s.Peek() != '-' && s.Peek() != '+' && s.Peek() != '$' && s.Peek() != '.') {
    m_.JogTo(m, motor.preJogPosition);
    return 0;
  }
  double value = 0;
  if (s.Peek() == '*') {
    s.Advance();
    if (setsPreJog) return kErrUnrecognized;
    value = DecodeL(m_.Pair(m_.model().VariableJog(m)));
  } else {
    auto number = s.ReadValue();
    if (!number) return kErrUnrecognized;
    value = *number;
  }
  if (!s.AtCommandBoundary() || !std::isfinite(value)) return kErrUnrecognized;
  // The base is read before the jog closes an open loop, which leaves both at the actual place.
  const double base = op == '^' ? m_.ActualPositionCounts(m) : op == ':' ? motor.commanded : 0;
  m_.JogTo(m, base + value);
  if (setsPreJog) motor.preJogPosition = value;
  return 0;
}

int CommandInterpreter::GatherCommand(Scanner& s) {
  const char c = Upper(s.Peek());
  if (c != 'G' && c != 'E') return kNotHandled;
  const std::size_t start = s.Position();
  if (MatchWhole(s, "GATHER") || MatchWhole(s, "GAT")) {
    if (!s.AtCommandBoundary()) return kErrUnrecognized;
    s.SkipBlanks();
    // GAT TRIG (start on an input) is not built.
    if (MatchWhole(s, "TRIG") || MatchWhole(s, "TRIGGER")) return kErrUnrecognized;
    return m_.StartGather();
  }
  bool end = MatchWhole(s, "ENDGATHER") || MatchWhole(s, "ENDGAT") || MatchWhole(s, "ENDG");
  if (!end && MatchWhole(s, "END")) {
    s.SkipBlanks();
    end = MatchWhole(s, "GATHER") || MatchWhole(s, "GAT");
  }
  if (!end) {
    s.Reset(start);
    return kNotHandled;
  }
  if (!s.AtCommandBoundary()) return kErrUnrecognized;
  m_.StopGather();
  return 0;
}

}  // namespace sim
