#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/program_statement.h"

namespace sim {

class Machine;

// The nine axis letters in the order a coordinate system keeps them.
inline constexpr std::size_t kAxisCount = 9;
// Index of an axis letter (X Y Z A B C U V W), or kAxisCount for anything else.
std::size_t AxisIndex(char letter);

// A running mean over the last `length` samples fed to it: a motion program's path is smoothed by
// one (and by a second for S-curves), which turns corners into constant-acceleration blends that
// last exactly the window. The window may change between moves; the history it needs is kept.
class MovingAverage {
 public:
  // Longest window, in servo cycles (about 29 s at the default period).
  static constexpr std::size_t kMaxLength = 1 << 16;

  void Restart(double value);
  void SetLength(std::size_t length);
  double Push(double value);
  // Whether the window holds nothing but the last value, so the output equals it, and has the
  // length asked for.
  bool Settled() const { return same_ >= length_ && length_ == target_; }
  double Output() const { return output_; }

 private:
  std::vector<double> ring_{0.0};
  std::size_t head_ = 0;    // where the newest sample is
  std::size_t length_ = 1;  // the window now
  std::size_t target_ = 1;  // the window asked for
  std::size_t same_ = 1;    // newest samples in a row equal to the newest
  double sum_ = 0;
  double output_ = 0;
};

// A motion program in a coordinate system: where it is in which program, its move modes, the
// move under way and the path fed to its motors.
struct CoordinateSystemRun {
  bool pointed = false;  // B since the last OPEN PROG
  int top = 0;           // the program B pointed to
  int program = 0;       // the program running (a CALL may have gone into another)
  int pc = 0;
  struct Return {
    int program;
    int pc;
  };
  std::vector<Return> returns;  // GOSUB / CALL

  bool running = false;        // statements are being executed
  bool finishing = false;      // no more statements: the last move runs out
  bool quitRequested = false;  // Q: stop after the move under way
  bool runTimeError = false;

  std::array<bool, kAxisCount> incremental{};
  bool rapid = false;
  bool timeMode = false;  // TM rather than F

  // Raw path: corners at the ends of moves, in axis units; a move runs from `from` to `to` in
  // `duration` servo cycles, `elapsed` so far.
  std::array<double, kAxisCount> axis{};  // end of the last move computed
  std::array<double, kAxisCount> from{};
  std::array<double, kAxisCount> to{};
  std::array<bool, kAxisCount> used{};  // axes a motor of the system is defined on
  double duration = 0;
  double elapsed = 0;
  bool moving = false;
  double dwellCycles = 0;  // DWELL: counted once the path has come to rest
  bool dwell = false;
  std::array<MovingAverage, kAxisCount> blend{};   // acceleration
  std::array<MovingAverage, kAxisCount> sCurve{};  // S-curve
};

// What runs programs: every coordinate system's motion program and every PLC's place.
struct ProgramRunner {
  std::vector<CoordinateSystemRun> systems;  // index = coordinate system (0 unused)
  std::array<int, 32> plcPc{};
  int foregroundCountdown = 0;
  std::uint64_t generation = 0;  // counts resets: a program's CMD may reset the controller
};

// Expression evaluation over a stored statement's tokens (program_expression.cpp). Values that
// are not finite or a division by zero give 0, so a program never feeds NaN to a motor.
class Evaluator {
 public:
  Evaluator(Machine& machine, const std::vector<Token>& tokens, std::size_t position)
      : m_(machine), t_(tokens), i_(position) {}
  std::optional<double> Expression();
  // A condition of IF / WHILE: bracketed comparisons joined by AND / OR.
  std::optional<bool> Condition();
  // "P12", or "P" with a bracketed index after it: the variable's letter and number.
  std::optional<std::pair<char, int>> VariableRef();
  std::size_t Position() const { return i_; }
  // Whether the token at the cursor is this operator, bracket or word.
  bool IsSymbol(std::string_view text) const;
  bool AtEnd() const { return i_ >= t_.size(); }

  double Read(char letter, int n) const;
  void Write(char letter, int n, double value);

 private:
  std::optional<double> Term();
  std::optional<double> Unary(int depth);
  std::optional<double> Primary(int depth);
  std::optional<double> Bracketed(int depth);
  std::optional<bool> Conditions(int depth);
  std::optional<bool> Comparison(int depth);
  double Function(const std::string& name, double a, double b) const;

  Machine& m_;
  const std::vector<Token>& t_;
  std::size_t i_;
  int depth_ = 0;
};

// Runs an assignment statement (I/P/Q/M = expression, or a bare constant into P0).
void RunAssignment(Machine& machine, const Statement& statement);

// One servo cycle of every running motion program: statements up to the next move, and the
// commanded positions of their motors (program_runner.cpp).
void StepMotionPrograms(Machine& machine);
// One background cycle (PLC 1..31 when I5 says) and, every I8+1 cycles, the foreground PLC 0.
void RunPlcs(Machine& machine);

// Coordinate-system commands: 0 or an error number.
int PointProgram(Machine& machine, int cs, std::optional<int> program);  // B
int RunProgram(Machine& machine, int cs);                                // R
void QuitProgram(Machine& machine, int cs);                              // Q
void AbortSystem(Machine& machine, int cs);                              // A
bool AnyProgramRunning(const Machine& machine);
// Whether a motion program is moving motor m (its system's program runs).
bool ProgramMovesMotor(const Machine& machine, int m);

}  // namespace sim
