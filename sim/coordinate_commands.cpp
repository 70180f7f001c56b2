// Motion programs from the command line: B (point), R (run), Q (quit) and A (abort) for the
// addressed coordinate system.
#include "sim/command_interpreter.h"

namespace sim {

namespace {

// A letter standing alone: what follows cannot continue it into a word, a number or a value.
bool Alone(const Scanner& s) {
  const char next = s.Peek(1);
  return !IsLetter(next) && !IsDigit(next) && next != '(' && next != '.' && next != '-' &&
         next != '+' && next != '$' && next != '=';
}

}  // namespace

int CommandInterpreter::CoordinateCommand(Scanner& s) {
  const int cs = m_.addressedCoordinateSystem;
  const bool motionBufferOpen =
      m_.programs.IsOpen() && m_.programs.OpenKind() == BufferKind::kMotion && !hostBufferOpen_;
  switch (Upper(s.Peek())) {
    case 'R':
      if (!Alone(s)) return kNotHandled;
      s.Advance();
      if (!s.AtCommandBoundary()) return kErrUnrecognized;
      return RunProgram(m_, cs);
    case 'Q':
      if (!Alone(s)) return kNotHandled;
      s.Advance();
      if (!s.AtCommandBoundary()) return kErrUnrecognized;
      QuitProgram(m_, cs);
      return 0;
    case 'A':
      if (!Alone(s)) return kNotHandled;
      s.Advance();
      if (!s.AtCommandBoundary()) return kErrUnrecognized;
      AbortSystem(m_, cs);
      return 0;
    case 'B': {
      // In an open motion buffer B with a value is a move of the B axis.
      const char next = s.Peek(1);
      if (motionBufferOpen && !Alone(s)) return kNotHandled;
      if (IsLetter(next) && Upper(next) != 'R') return kNotHandled;
      s.Advance();
      std::optional<int> program;
      if (IsDigit(s.Peek())) {
        auto n = s.ReadUnsigned(false, ProgramBuffers::kMaxProgramNumber);
        if (!n || *n == 0) return kErrUnrecognized;
        program = static_cast<int>(*n);
      }
      if (!s.AtCommandBoundary()) return kErrUnrecognized;
      return PointProgram(m_, cs, program);
    }
    default:
      return kNotHandled;
  }
}

}  // namespace sim
