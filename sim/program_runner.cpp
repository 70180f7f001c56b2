// Running the stored programs: PLC scans, motion programs in their coordinate systems, and the
// path their moves give the motors (see PROGRAMS.md).
#include "sim/program_runner.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "sim/command_interpreter.h"
#include "sim/machine.h"

namespace sim {

namespace {

using Kind = StatementKind;

// Work a motion program may do in one servo cycle without reaching a move: so many statements,
// or two jumps back (as the controller pauses its look-ahead then), whichever comes first.
constexpr int kStatementsPerCycle = 64;
constexpr int kJumpsBackPerCycle = 2;
// GOSUB / CALL nesting.
constexpr std::size_t kMaxReturns = 32;
// The longest move, in servo cycles (about 14 years at the default period): beyond it a move's
// time is clipped, so that a huge F or TM cannot overflow the arithmetic.
constexpr double kMaxMoveCycles = 1e12;
// The program M-codes call (label n·1000 for M{n}).
constexpr int kMCodeProgram = 1001;

constexpr std::string_view kAxes = "XYZABCUVW";

// Coordinate-system I-variables: Turbo Isx87..Isx90 (I5187 for &1), PMAC Ix87..Ix90 (I187).
int SystemI(const Machine& m, int cs, int item) {
  return (m.model().turbo ? 5000 : 0) + 100 * cs + item;
}

const ProgramBuffers::Program* Motion(const Machine& m, int number) {
  return m.programs.Find(BufferKind::kMotion, number);
}

int FindLabel(const ProgramBuffers::Program& p, double label) {
  for (std::size_t i = 0; i < p.statements.size(); ++i) {
    const Statement& st = p.statements[i];
    if (st.kind == Kind::kLabel && st.tokens.size() == 2 && st.tokens[1].value == label) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// CMD"..." or CMD^K: run as a line typed at the controller, addressed to #1 &1 unless the text
// says otherwise; what it answers goes nowhere.
void RunCommand(Machine& m, const Statement& st) {
  if (st.tokens.size() < 2) return;
  const std::string text = st.tokens[1].text;  // copied: the command may change the programs
  const int motor = m.addressedMotor, cs = m.addressedCoordinateSystem, group = m.motorGroup;
  const std::uint64_t generation = m.runner.generation;
  m.addressedMotor = 1;
  m.addressedCoordinateSystem = 1;
  CommandInterpreter interpreter(m, true);
  if (text.size() == 2 && text[0] == '^') {
    interpreter.ExecuteControl(static_cast<char>(text[1] - '@'));
  } else if (text.size() >= 2) {
    interpreter.ExecuteLine(std::string_view(text).substr(1, text.size() - 2));
  }
  if (m.runner.generation != generation) return;  // reset: the host's addressing is #1 &1 too
  m.addressedMotor = motor;
  m.addressedCoordinateSystem = cs;
  m.motorGroup = group;
}

// Where a block statement jumps: its partner, or -1 when it has none in range.
int Partner(const ProgramBuffers::Program& p, const Statement& st) {
  return st.match >= 0 && static_cast<std::size_t>(st.match) < p.statements.size() ? st.match : -1;
}

bool Test(Machine& m, const Statement& st) {
  Evaluator e(m, st.tokens, 1);
  return e.Condition().value_or(false);
}

// The argument of TA, TS, TM, F, DWELL, DELAY: tokens after the keyword.
double Argument(Machine& m, const Statement& st) {
  Evaluator e(m, st.tokens, 1);
  return e.Expression().value_or(0);
}

std::vector<int> MotorsOf(const Machine& m, int cs) {
  std::vector<int> motors;
  for (int motor = 1; motor <= m.model().motorCount; ++motor) {
    if (m.Motor(motor).axis.coordinateSystem == cs) motors.push_back(motor);
  }
  return motors;
}

void ReleaseMotors(Machine& m, int cs) {
  for (int motor : MotorsOf(m, cs)) {
    MotorState& s = m.Motor(motor);
    if (s.jog == JogMode::kProgram) {
      s.commanded = s.programTarget;  // this cycle's point of the path is the last one
      s.jog = JogMode::kNone;
      s.commandedVelocity = s.commandedAcceleration = 0;
    }
  }
}

// Back to the top of the program pointed to: the next R starts it again.
void Rewind(CoordinateSystemRun& r) {
  r.program = r.top;
  r.pc = 0;
  r.returns.clear();
}

void Stop(Machine& m, int cs, CoordinateSystemRun& r) {
  r.running = r.finishing = r.moving = r.dwell = r.quitRequested = false;
  Rewind(r);
  ReleaseMotors(m, cs);
}

void Fail(Machine& m, int cs, CoordinateSystemRun& r) {
  Stop(m, cs, r);
  r.runTimeError = true;
}

// The system's acceleration windows in servo cycles: TA less the S-curve time, then TS; with
// TS above TA/2 the acceleration lasts 2·TS and both windows are TS long.
void SetWindows(Machine& m, int cs, CoordinateSystemRun& r, double& accelerationMs) {
  const double ta = std::max(0.0, m.I(SystemI(m, cs, 87)));
  const double ts = std::max(0.0, m.I(SystemI(m, cs, 88)));
  accelerationMs = std::max(ta, 2 * ts);
  if (!std::isfinite(accelerationMs)) accelerationMs = 0;
  if (accelerationMs <= 0) accelerationMs = 0.5;  // no move is shorter than that
  const double cycleMs = m.CycleMs();
  auto cycles = [&](double ms) {
    const double n = std::round(ms / cycleMs);
    return static_cast<std::size_t>(std::clamp(n, 1.0, double(MovingAverage::kMaxLength)));
  };
  const double sCurve = std::min(ts, accelerationMs / 2);
  for (std::size_t a = 0; a < kAxisCount; ++a) {
    if (!r.used[a]) continue;
    r.blend[a].SetLength(cycles(accelerationMs - sCurve));
    r.sCurve[a].SetLength(sCurve > 0 ? cycles(sCurve) : 1);
  }
}

// An axis move X1000 Y(P1): targets, the time it takes, and the path toward them.
bool StartMove(Machine& m, int cs, CoordinateSystemRun& r, const Statement& st, double carry) {
  std::array<double, kAxisCount> target = r.axis;
  std::size_t i = 0;
  while (i < st.tokens.size()) {
    const std::size_t a = AxisIndex(st.tokens[i].text.front());
    if (a == kAxisCount) return false;
    Evaluator e(m, st.tokens, i + 1);
    std::optional<double> v = e.Expression();
    if (!v || !std::isfinite(*v)) return false;
    target[a] = r.incremental[a] ? r.axis[a] + *v : *v;
    if (!std::isfinite(target[a])) return false;
    i = e.Position();
  }
  double accelerationMs = 0;
  SetWindows(m, cs, r, accelerationMs);
  double ms = 0;
  if (r.rapid) {
    // Each motor at its jog speed Ix22; the slowest sets the time.
    for (int motor : MotorsOf(m, cs)) {
      double counts = 0;
      for (const AxisTerm& term : m.Motor(motor).axis.terms) {
        const std::size_t a = AxisIndex(term.axis);
        counts += term.scale * (target[a] - r.axis[a]);
      }
      const double speed = std::fabs(m.I(100 * motor + 22));
      if (speed > 0) ms = std::max(ms, std::fabs(counts) / speed);
    }
  } else if (r.timeMode) {
    ms = m.I(SystemI(m, cs, 89));
  } else {
    double squares = 0;
    for (std::size_t a = 0; a < kAxisCount; ++a) {
      squares += (target[a] - r.axis[a]) * (target[a] - r.axis[a]);
    }
    const double feed = m.I(SystemI(m, cs, 89)), unit = m.I(SystemI(m, cs, 90));
    if (!(feed > 0) || !(unit > 0)) return false;
    ms = std::sqrt(squares) / feed * unit;
  }
  if (!std::isfinite(ms)) ms = kMaxMoveCycles * m.CycleMs();
  ms = std::max(ms, accelerationMs);
  r.from = r.axis;
  r.to = target;
  r.axis = target;
  r.duration = std::min(ms / m.CycleMs(), kMaxMoveCycles);
  r.elapsed = std::min(carry, r.duration);
  r.moving = true;
  return true;
}

bool PathSettled(const CoordinateSystemRun& r) {
  for (std::size_t a = 0; a < kAxisCount; ++a) {
    if (r.used[a] && (!r.blend[a].Settled() || !r.sCurve[a].Settled())) return false;
  }
  return true;
}

// Goes to program `number` at label `label` (-1: its top), keeping the way back.
bool Call(Machine& m, CoordinateSystemRun& r, int number, double label) {
  const ProgramBuffers::Program* p = Motion(m, number);
  if (!p || r.returns.size() >= kMaxReturns) return false;
  const int at = label < 0 ? 0 : FindLabel(*p, label);
  if (at < 0) return false;
  r.returns.push_back({r.program, r.pc});
  r.program = number;
  r.pc = at;
  return true;
}

// Executes the program's statements until a move or dwell is under way, the program ends, or
// the cycle's work is spent. `carry` is the part of this cycle already past the last move's end.
// What a statement that both kinds of program take did.
enum class Flow {
  kGoOn,       // carry on at pc
  kLoopBack,   // an ENDWHILE sent pc back to its WHILE
  kBroken,     // a block without its partner
  kReset,      // a command reset the controller or erased programs; the program is gone
  kNotShared,  // a motion statement, for the motion program's own step
};

// Runs an assignment, IF/ELSE/ENDIF, WHILE/ENDWHILE, CMD or ENA/DIS PLC: what PLCs and motion
// programs share. pc already points past the statement; jumps move it.
Flow RunShared(Machine& m, const ProgramBuffers::Program& p, const Statement& st, int& pc) {
  switch (st.kind) {
    case Kind::kAssign:
    case Kind::kConstant:
      RunAssignment(m, st);
      return Flow::kGoOn;
    case Kind::kIf:
    case Kind::kWhile:
      if (Test(m, st)) return Flow::kGoOn;
      [[fallthrough]];  // past the block, as ELSE jumps past its own
    case Kind::kElse: {
      const int to = Partner(p, st);
      if (to < 0) return Flow::kBroken;
      pc = to + 1;
      return Flow::kGoOn;
    }
    case Kind::kEndWhile: {
      const int to = Partner(p, st);
      if (to < 0) return Flow::kBroken;
      pc = to;
      return Flow::kLoopBack;
    }
    case Kind::kEndIf:
      return Flow::kGoOn;
    case Kind::kCommand: {
      const std::uint64_t generation = m.runner.generation;
      RunCommand(m, st);
      return m.runner.generation != generation ? Flow::kReset : Flow::kGoOn;
    }
    case Kind::kEnablePlc:
    case Kind::kDisablePlc:
      m.programs.SetPlcsEnabled(m, PlcNumbers(st), st.kind == Kind::kEnablePlc);
      return Flow::kGoOn;
    default:
      return Flow::kNotShared;
  }
}

void Execute(Machine& m, int cs, CoordinateSystemRun& r, double carry) {
  int jumpsBack = 0;
  for (int n = 0; n < kStatementsPerCycle && r.running && !r.moving && !r.dwell; ++n) {
    if (r.quitRequested) {
      r.running = false;
      r.finishing = true;
      return;
    }
    const ProgramBuffers::Program* p = Motion(m, r.program);
    if (!p || r.pc < 0 || static_cast<std::size_t>(r.pc) >= p->statements.size()) {
      if (!p) return Fail(m, cs, r);
      r.running = false;  // ran off the end: as RETURN
      r.finishing = true;
      Rewind(r);
      return;
    }
    const Statement& st = p->statements[static_cast<std::size_t>(r.pc)];
    const int here = r.pc;
    ++r.pc;
    switch (RunShared(m, *p, st, r.pc)) {
      case Flow::kGoOn:
        continue;
      case Flow::kLoopBack:
        if (++jumpsBack >= kJumpsBackPerCycle) return;
        continue;
      case Flow::kBroken:
        return Fail(m, cs, r);
      case Flow::kReset:
        return;  // `st` and `p` may be gone
      case Flow::kNotShared:
        break;
    }
    switch (st.kind) {
      case Kind::kLabel:
        break;
      case Kind::kAbs:
      case Kind::kInc: {
        const bool inc = st.kind == Kind::kInc;
        bool listed = false;
        for (const Token& t : st.tokens) {
          if (t.kind == Token::Kind::kWord && t.text.size() == 1) {
            const std::size_t a = AxisIndex(t.text.front());
            if (a < kAxisCount) {
              r.incremental[a] = inc;
              listed = true;
            }
          }
        }
        if (!listed) r.incremental.fill(inc);
        break;
      }
      case Kind::kLinear:
      case Kind::kRapid:
        r.rapid = st.kind == Kind::kRapid;
        break;
      case Kind::kTa:
      case Kind::kTs:
        m.SetI(SystemI(m, cs, st.kind == Kind::kTa ? 87 : 88), std::max(0.0, Argument(m, st)));
        break;
      case Kind::kTm:
      case Kind::kFeedrate:
        r.timeMode = st.kind == Kind::kTm;
        m.SetI(SystemI(m, cs, 89), Argument(m, st));
        break;
      case Kind::kMove:
        if (!StartMove(m, cs, r, st, carry)) return Fail(m, cs, r);
        break;
      case Kind::kDwell:
      case Kind::kDelay: {
        const double ms = std::clamp(Argument(m, st), 0.0, kMaxMoveCycles * m.CycleMs());
        if (st.kind == Kind::kDwell) {
          // DWELL waits for the path to come to rest first.
          r.dwell = true;
          r.dwellCycles = ms / m.CycleMs();
        } else {
          r.from = r.to = r.axis;  // a move that goes nowhere
          r.duration = ms / m.CycleMs();
          r.elapsed = std::min(carry, r.duration);
          r.moving = true;
        }
        break;
      }
      case Kind::kReturn:
        if (r.returns.empty()) {
          r.running = false;
          r.finishing = true;
          Rewind(r);
          return;
        }
        r.program = r.returns.back().program;
        r.pc = r.returns.back().pc;
        r.returns.pop_back();
        break;
      case Kind::kGoto:
      case Kind::kGosub: {
        const double label = st.tokens.size() > 1 ? st.tokens[1].value : -1;
        if (st.kind == Kind::kGosub) {
          if (!Call(m, r, r.program, label)) return Fail(m, cs, r);
        } else {
          const int at = FindLabel(*p, label);
          if (at < 0) return Fail(m, cs, r);
          r.pc = at;
        }
        if (r.pc <= here && ++jumpsBack >= kJumpsBackPerCycle) return;
        break;
      }
      case Kind::kCall: {
        // CALL n.m: program n at label N(m·100000), five digits after the point.
        const double target = st.tokens.size() > 1 ? st.tokens[1].value : 0;
        const double whole = std::floor(target);
        const double label = target > whole ? std::round((target - whole) * 100000) : -1;
        if (!Call(m, r, static_cast<int>(whole), label)) return Fail(m, cs, r);
        if (++jumpsBack >= kJumpsBackPerCycle) return;
        break;
      }
      case Kind::kMCode: {
        const double code = st.tokens.size() > 1 ? st.tokens[1].value : 0;
        if (!Call(m, r, kMCodeProgram, code * 1000)) return Fail(m, cs, r);
        if (++jumpsBack >= kJumpsBackPerCycle) return;
        break;
      }
      default:
        break;  // taken by RunShared
    }
  }
}

void StepSystem(Machine& m, int cs, CoordinateSystemRun& r) {
  const std::vector<int> motors = MotorsOf(m, cs);
  // A motor killed (K, ^K, a fatal following error) stops the program in its system.
  for (int motor : motors) {
    if (m.Motor(motor).openLoop) return Stop(m, cs, r);
  }
  const std::uint64_t generation = m.runner.generation;
  double carry = 0;
  if (r.moving) {
    r.elapsed += 1;
    if (r.elapsed >= r.duration) {
      carry = r.elapsed - r.duration;
      r.moving = false;
    }
  } else if (r.dwell && PathSettled(r)) {
    r.dwellCycles -= 1;
    if (r.dwellCycles <= 0) r.dwell = false;
  }
  if (r.running && !r.moving && !r.dwell) {
    Execute(m, cs, r, carry);
    if (m.runner.generation != generation) return;
  }
  for (std::size_t a = 0; a < kAxisCount; ++a) {
    if (!r.used[a]) continue;
    const double raw =
        r.moving && r.duration > 0
            ? r.from[a] + (r.to[a] - r.from[a]) * std::min(r.elapsed / r.duration, 1.0)
            : r.axis[a];
    r.sCurve[a].Push(r.blend[a].Push(raw));
  }
  if (!r.running && !r.finishing) return;  // stopped on the way
  for (int motor : motors) {
    MotorState& s = m.Motor(motor);
    double target = s.axis.offset;
    for (const AxisTerm& term : s.axis.terms) {
      target += term.scale * r.sCurve[AxisIndex(term.axis)].Output();
    }
    s.jog = JogMode::kProgram;
    s.programTarget = target;
  }
  if (r.finishing && !r.moving && PathSettled(r)) {
    r.finishing = false;
    ReleaseMotors(m, cs);
  }
}

// One pass of a PLC: from where the last pass stopped to its end, or to an ENDWHILE, which
// sends the next pass back to its WHILE. Only forward jumps happen within a pass, so a pass is
// never longer than the program.
void PlcPass(Machine& m, int n) {
  int& pc = m.runner.plcPc[static_cast<std::size_t>(n)];
  for (;;) {
    const ProgramBuffers::Program* p = m.programs.Find(BufferKind::kPlc, n);
    if (!p || pc < 0 || static_cast<std::size_t>(pc) >= p->statements.size()) {
      pc = 0;
      return;
    }
    const Statement& st = p->statements[static_cast<std::size_t>(pc)];
    ++pc;
    // Every statement a PLC stores is a shared one.
    switch (RunShared(m, *p, st, pc)) {
      case Flow::kBroken:
        pc = 0;
        return;
      case Flow::kLoopBack:  // the next pass starts at the WHILE
      case Flow::kReset:
        return;
      case Flow::kGoOn:
      case Flow::kNotShared:
        break;
    }
    if (!m.programs.PlcEnabled(n)) return;  // disabled by itself: it stops here
  }
}

}  // namespace

std::size_t AxisIndex(char letter) {
  const std::size_t i = kAxes.find(Upper(letter));
  return i == std::string_view::npos ? kAxisCount : i;
}

void MovingAverage::Restart(double value) {
  std::fill(ring_.begin(), ring_.end(), value);
  length_ = target_;
  same_ = ring_.size();
  sum_ = value * static_cast<double>(length_);
  output_ = value;
}

void MovingAverage::SetLength(std::size_t length) {
  target_ = std::clamp<std::size_t>(length, 1, kMaxLength);
  if (target_ <= ring_.size()) return;
  // Room for the longer window; history older than was kept reads as the oldest sample kept.
  const std::size_t size = ring_.size();
  std::vector<double> grown(target_, ring_[(head_ + 1) % size]);
  for (std::size_t k = 0; k < size; ++k) grown[target_ - 1 - k] = ring_[(head_ + size - k) % size];
  if (same_ >= size) same_ = target_;  // the filler equals all the rest
  ring_ = std::move(grown);
  head_ = target_ - 1;
}

double MovingAverage::Push(double value) {
  const std::size_t size = ring_.size();
  const double newest = ring_[head_];
  const double leaving = ring_[(head_ + size + 1 - length_) % size];
  head_ = (head_ + 1) % size;
  ring_[head_] = value;
  same_ = value == newest ? std::min(same_ + 1, size) : 1;
  if (length_ < target_) {
    // A longer window grows by one sample a cycle, a shorter one shrinks by one: the output
    // never jumps when TA or TS change between moves.
    ++length_;
    sum_ += value;
  } else {
    sum_ += value - leaving;
    if (length_ > target_) {
      sum_ -= ring_[(head_ + size + 1 - length_) % size];
      --length_;
    }
  }
  if (same_ >= length_) {
    // Exactly the value, and a fresh sum: rounding does not build up over a long run.
    sum_ = value * static_cast<double>(length_);
    output_ = value;
  } else {
    output_ = sum_ / static_cast<double>(length_);
  }
  return output_;
}

void StepMotionPrograms(Machine& m) {
  auto& systems = m.runner.systems;
  for (std::size_t cs = 1; cs < systems.size(); ++cs) {
    CoordinateSystemRun& r = systems[cs];
    if (!r.running && !r.finishing) continue;
    const std::uint64_t generation = m.runner.generation;
    StepSystem(m, static_cast<int>(cs), r);
    if (m.runner.generation != generation) return;  // a CMD reset the controller
  }
}

void RunPlcs(Machine& m) {
  const int i5 = m.IntegerI(5);
  if (i5 & 1) {
    // The foreground PLC 0 runs every I8 + 1 servo cycles.
    if (--m.runner.foregroundCountdown <= 0) {
      m.runner.foregroundCountdown = std::max(0, m.IntegerI(8)) + 1;
      if (m.programs.PlcEnabled(0)) PlcPass(m, 0);
    }
  }
  if (!(i5 & 2)) return;
  for (int n = 1; n < ProgramBuffers::kPlcCount; ++n) {
    if (!m.programs.PlcEnabled(n)) {
      m.runner.plcPc[static_cast<std::size_t>(n)] = 0;  // enabled again, it starts at the top
      continue;
    }
    const std::uint64_t generation = m.runner.generation;
    PlcPass(m, n);
    if (m.runner.generation != generation) return;
  }
}

bool AnyProgramRunning(const Machine& m) {
  return std::any_of(m.runner.systems.begin(), m.runner.systems.end(),
                     [](const CoordinateSystemRun& r) { return r.running || r.finishing; });
}

bool ProgramMovesMotor(const Machine& m, int motor) {
  const int cs = m.Motor(motor).axis.coordinateSystem;
  if (cs < 1 || static_cast<std::size_t>(cs) >= m.runner.systems.size()) return false;
  const CoordinateSystemRun& r = m.runner.systems[static_cast<std::size_t>(cs)];
  return r.running || r.finishing;
}

int PointProgram(Machine& m, int cs, std::optional<int> program) {
  CoordinateSystemRun& r = m.runner.systems[static_cast<std::size_t>(cs)];
  if (r.running || r.finishing) return kErrProgramRunning;
  if (program) r.top = *program;
  Rewind(r);
  r.pointed = true;
  return 0;
}

int RunProgram(Machine& m, int cs) {
  CoordinateSystemRun& r = m.runner.systems[static_cast<std::size_t>(cs)];
  if (r.running || r.finishing) return kErrProgramRunning;
  const bool motionBufferOpen = m.programs.IsOpen() && m.programs.OpenKind() == BufferKind::kMotion;
  if (motionBufferOpen || !r.pointed || !Motion(m, r.top) || !Motion(m, r.program)) {
    return kErrNoProgram;
  }
  const std::vector<int> motors = MotorsOf(m, cs);
  if (motors.empty()) return kErrNoMotors;
  for (int motor : motors) {
    if (!m.MotorActivated(motor)) return kErrNotActivated;
  }
  for (int motor : motors) {
    if (m.Motor(motor).openLoop) return kErrOpenLoop;
  }
  // The path starts where the motors are commanded to be: each axis from the first motor
  // defined on it alone (a motor sharing several axes does not tell them apart).
  r.used.fill(false);
  for (int motor : motors) {
    const MotorState& s = m.Motor(motor);
    for (const AxisTerm& term : s.axis.terms) r.used[AxisIndex(term.axis)] = true;
  }
  std::array<bool, kAxisCount> placed{};
  for (int motor : motors) {
    const MotorState& s = m.Motor(motor);
    if (s.axis.terms.size() != 1 || s.axis.terms[0].scale == 0) continue;
    const std::size_t a = AxisIndex(s.axis.terms[0].axis);
    if (placed[a]) continue;
    placed[a] = true;
    r.axis[a] = (s.commanded - s.axis.offset) / s.axis.terms[0].scale;
  }
  for (std::size_t a = 0; a < kAxisCount; ++a) {
    r.blend[a].Restart(r.axis[a]);
    r.sCurve[a].Restart(r.axis[a]);
  }
  r.running = true;
  r.finishing = r.moving = r.dwell = r.quitRequested = r.runTimeError = false;
  for (int motor : motors) m.Motor(motor).jog = JogMode::kNone;  // jogs give way
  return 0;
}

void QuitProgram(Machine& m, int cs) {
  CoordinateSystemRun& r = m.runner.systems[static_cast<std::size_t>(cs)];
  if (r.running) r.quitRequested = true;
}

void AbortSystem(Machine& m, int cs) {
  CoordinateSystemRun& r = m.runner.systems[static_cast<std::size_t>(cs)];
  const bool wasRunning = r.running || r.finishing;
  // The motors keep the velocity the path gave them and come to rest at Ix15 from there.
  for (int motor : MotorsOf(m, cs)) {
    MotorState& s = m.Motor(motor);
    if (s.jog == JogMode::kProgram) s.jog = JogMode::kVelocity;
  }
  r.running = r.finishing = r.moving = r.dwell = r.quitRequested = false;
  if (wasRunning) Rewind(r);
  for (int motor : MotorsOf(m, cs)) m.Abort(motor);
}

}  // namespace sim
