// The servo loop of every motor, the load it drives, and the jog trajectories (see MOTION.md).
#include <algorithm>
#include <cmath>

#include "sim/machine.h"

namespace sim {

namespace {

constexpr double kTwoTo19 = 524288.0;
constexpr double kTwoTo23 = 8388608.0;
constexpr int kDacLimit = 32767;

// Motor status bits (X word, then Y word).
constexpr std::uint32_t kActivated = 0x800000;
constexpr std::uint32_t kTurboAmplifierEnabled = 0x080000;
constexpr std::uint32_t kOpenLoop = 0x040000;
constexpr std::uint32_t kMoveTimer = 0x020000;
constexpr std::uint32_t kIntegrationMode = 0x010000;
constexpr std::uint32_t kDwell = 0x008000;
constexpr std::uint32_t kDesiredVelocityZero = 0x002000;
constexpr std::uint32_t kAbortDeceleration = 0x001000;
constexpr std::uint32_t kPmacPhased = 0x080000;
constexpr std::uint32_t kInPosition = 0x1;
constexpr std::uint32_t kWarningFe = 0x2;
constexpr std::uint32_t kFatalFe = 0x4;
constexpr std::uint32_t kPmacAmplifierEnabled = 0x4000;
constexpr std::uint32_t kTurboForegroundInPosition = 0x2000;

// Turbo Y16..19: which axes the motor's definition names (0 none, 1 A, 2 B, 3 C, 4 UVW, 7 XYZ).
std::uint32_t TurboAxisCode(const AxisDefinition& axis) {
  if (axis.inverse || axis.terms.empty()) return 0;
  switch (axis.terms.front().axis) {
    case 'A':
      return 1;
    case 'B':
      return 2;
    case 'C':
      return 3;
    case 'U':
    case 'V':
    case 'W':
      return 4;
    case 'X':
    case 'Y':
    case 'Z':
      return 7;
    default:
      return 0;
  }
}

double Sign(double v) { return v < 0 ? -1 : 1; }

}  // namespace

double Machine::CycleMs() const {
  const double i10 = I(10);
  return i10 > 0 ? i10 / 8388608.0 : 1;
}

void Machine::ServoCycle() {
  SetX(0, X(0) + 1);
  // Motion programs first: their path is this cycle's commanded position.
  StepMotionPrograms(*this);
  // The loads move under last cycle's outputs, their encoders count, the conversion table
  // converts the counts, and then each loop reads its feedback.
  for (int m = 1; m <= model_.motorCount; ++m) MoveLoad(m);
  WriteEncoderCounters();
  ProcessEncoderTable();
  for (int m = 1; m <= model_.motorCount; ++m) ServoMotor(m);
  if (Gathering()) {
    if (--gatherCountdown_ <= 0) {
      gatherCountdown_ = gatherPeriod_;
      GatherSample();
    }
  }
  WriteCoordinateSystemStatus();
  // One background cycle per servo cycle: the PLCs see this cycle's positions.
  RunPlcs(*this);
}

double Machine::MeasuredCounts(int m) const { return Motor(m).actualUnits / (32 * Scale08(m)); }

void Machine::MoveLoad(int m) {
  MotorState& motor = Motor(m);
  const std::int64_t actual = DecodeD(Pair(model_.ActualPosition(m)));
  // A motor that is not activated and at rest changes nothing until its registers are written.
  Plant& plant = plants_[static_cast<std::size_t>(m)];
  motor.idle = !MotorActivated(m) && motor.openLoop && motor.velocity == 0 &&
               actual == motor.actualRegister &&
               DecodeD(Pair(model_.CommandedPosition(m))) == motor.actualRegister &&
               X(model_.MotorStatusX(m)) == kOpenLoop && !plant.Noisy() &&
               motor.plant.deflection == 0 && motor.plant.deflectionRate == 0;
  if (motor.idle) {
    motor.sensed = motor.position;
    return;
  }

  // The load has moved through the last cycle under the output sent then.
  if (plant.Active()) {
    plant.Step(motor.output, CycleMs(), motor.velocity, motor.position, motor.plant);
  } else {
    motor.velocity += kPlantGain * motor.output - kPlantFriction * motor.velocity;
    if (std::fabs(motor.velocity) < 1e-9 && motor.output == 0) motor.velocity = 0;
    motor.position += motor.velocity;
  }

  // A write to the actual-position register from outside moves the load by as much; the
  // register keeps the written value, and the encoder's jump is not counted a second time.
  if (actual != motor.actualRegister) {
    motor.position += static_cast<double>(actual - motor.actualRegister) / (32 * Scale08(m));
    motor.actualRegister = actual;
    motor.actualUnits = static_cast<double>(actual);
    motor.loadMoved = true;
  }
  motor.sensed = plant.Active() ? plant.Sensed(motor.position, motor.plant) : motor.position;
}

void Machine::ServoMotor(int m) {
  MotorState& motor = Motor(m);
  const int x = 100 * m;
  const double ix08 = Scale08(m);
  const double ix09 = I(x + 9) > 0 ? I(x + 9) : 1;
  const std::uint32_t commandedAddress = model_.CommandedPosition(m);

  // The servo reads where the load is now through the table, and that reading is what the
  // actual-position register shows for this cycle (so a gathered actual position lags the
  // commanded one as a real encoder's does).
  if (motor.idle) {
    SkipFeedback(m);
    return;
  }
  ReadFeedback(m);
  const double measured = MeasuredCounts(m);

  if (!MotorActivated(m)) {
    motor.openLoop = true;
    motor.amplifierEnabled = false;
    motor.output = 0;
  } else {
    // A write to the commanded-position register from outside is a step to that place.
    const std::int64_t reg = DecodeD(Pair(commandedAddress));
    if (reg != motor.commandedRegister && !motor.openLoop) {
      motor.commanded = static_cast<double>(reg) / (32 * ix08);
      motor.jog = JogMode::kNone;
      motor.commandedVelocity = motor.commandedAcceleration = 0;
    }
    if (motor.openLoop) {
      motor.output = 0;
    } else {
      RunTrajectory(motor);
      double fe = motor.commanded - measured;  // counts
      // Ix67 clips the error the filter sees; Ix65/Ix64 give a deadband around zero.
      const double clip = I(x + 67) / 16;
      if (clip > 0) fe = std::clamp(fe, -clip, clip);
      const double band = I(x + 65) / 16;
      if (band > 0) {
        const double gain = (16 + I(x + 64)) / 16;
        fe = std::fabs(fe) <= band ? fe * gain : fe - Sign(fe) * band * (1 - gain);
      }
      const double fe32 = 32 * fe;
      const double ix33 = I(x + 33);
      if (ix33 != 0 && !(I(x + 34) == 1 && motor.commandedVelocity != 0)) {
        motor.integrator += fe32;
        // Ix63 bounds the integrator's contribution, in 1/16 count of error.
        const double limit = std::fabs(I(x + 63)) * 2 * kTwoTo23 / std::fabs(ix33);
        motor.integrator = std::clamp(motor.integrator, -limit, limit);
      }
      const double pid = I(x + 30) / kTwoTo19 *
                         (ix08 * (fe32 +
                                  (I(x + 32) * 32 * motor.commandedVelocity +
                                   I(x + 35) * 32 * motor.commandedAcceleration) /
                                      128 +
                                  ix33 * motor.integrator / kTwoTo23) -
                          I(x + 31) * ix09 * 32 * motor.measuredVelocity / 128);
      const double filtered = pid + I(x + 36) * motor.filterIn[0] + I(x + 37) * motor.filterIn[1] -
                              I(x + 38) * motor.filterOut[0] - I(x + 39) * motor.filterOut[1];
      motor.filterIn = {pid, motor.filterIn[0]};
      motor.filterOut = {filtered, motor.filterOut[0]};
      const double limit = std::min<double>(std::fabs(I(x + 69)), kDacLimit);
      double out = std::clamp(filtered + I(x + 29), -limit, limit);
      if (std::isnan(out)) out = 0;
      motor.output = static_cast<int>(std::lround(out));
    }
  }

  if (motor.openLoop) {
    motor.commanded = measured;
    motor.commandedVelocity = motor.commandedAcceleration = 0;
    motor.jog = JogMode::kNone;
  }

  // Live registers.
  SetPair(model_.ActualPosition(m), EncodeD(static_cast<double>(motor.actualRegister)));
  const WordPair commandedWords = EncodeD(motor.commanded * 32 * ix08);
  SetPair(commandedAddress, commandedWords);
  motor.commandedRegister = DecodeD(commandedWords);
  motor.filteredVelocity = motor.measuredVelocity * 32 * ix09;
  SetX(model_.ActualVelocity(m),
       static_cast<std::uint32_t>(ToTwosComplement(motor.filteredVelocity, 24)));
  const auto dacWord = static_cast<std::uint32_t>(ToTwosComplement(motor.output, 16) << 8);
  SetX(model_.ServoOutput(m), dacWord);
  // The manuals' place of the PMAC2 output, beside the one the workbench reads.
  if (!model_.turbo && !model_.pmac1) SetX(static_cast<std::uint32_t>(m * 60 + 9), dacWord);

  // Following error, in 1/16 count.
  if (MotorActivated(m) && !motor.openLoop) {
    const double fe16 = 16 * std::fabs(motor.commanded - measured);
    const double fatal = I(x + 11), warning = I(x + 12);
    motor.warningFe = warning > 0 && fe16 > warning;
    if (fatal > 0 && fe16 > fatal) FollowingErrorFault(m);
    const bool still =
        motor.jog == JogMode::kNone && motor.commandedVelocity == 0 && !ProgramMovesMotor(*this, m);
    if (!motor.openLoop && still && fe16 < I(x + 28)) {
      const int needed =
          (model_.turbo ? std::max(0, static_cast<int>(I(x + 88))) : std::max(0, IntegerI(7))) + 1;
      motor.inPositionChecks = std::min(motor.inPositionChecks + 1, needed);
      motor.inPosition = motor.inPositionChecks >= needed;
    } else {
      motor.inPositionChecks = 0;
      motor.inPosition = false;
    }
  } else {
    motor.inPosition = false;
    motor.inPositionChecks = 0;
  }
  const WordPair status = MotorStatusWords(m);
  SetX(model_.MotorStatusX(m), status.x);
  SetY(model_.MotorStatusY(m), status.y);
}

void Machine::RunTrajectory(MotorState& motor) {
  const double before = motor.commandedVelocity;
  double v = before;
  const double a = motor.jogAcceleration;
  switch (motor.jog) {
    case JogMode::kNone:
      v = 0;
      break;
    case JogMode::kProgram:
      v = motor.programTarget - motor.commanded;
      motor.commanded = motor.programTarget;
      break;
    case JogMode::kVelocity:
      v = motor.jogTarget > v ? std::min(v + a, motor.jogTarget) : std::max(v - a, motor.jogTarget);
      motor.commanded += v;
      if (v == 0 && motor.jogTarget == 0) {
        motor.jog = JogMode::kNone;
        motor.aborting = false;
      }
      break;
    case JogMode::kPosition: {
      const double distance = motor.jogTarget - motor.commanded;
      // Fastest speed from which the rest of the way still allows stopping at the rate.
      const double wanted =
          Sign(distance) * std::min(motor.jogSpeed, std::sqrt(2 * a * std::fabs(distance)));
      v = wanted > v ? std::min(v + a, wanted) : std::max(v - a, wanted);
      // The last step lands on the target.
      if (std::fabs(distance) <= a ||
          (Sign(v) == Sign(distance) && std::fabs(distance) <= std::fabs(v))) {
        motor.commanded = motor.jogTarget;
        v = 0;
        motor.jog = JogMode::kNone;
        break;
      }
      motor.commanded += v;
      break;
    }
  }
  motor.commandedVelocity = v;
  motor.commandedAcceleration = v - before;
}

void Machine::FollowingErrorFault(int m) {
  // Who else stops: Turbo, the motor's coordinate system; PMAC, Ix25 bits 22:21 say all motors
  // (00), its coordinate system (01) or none (1x).
  const int cs = Motor(m).axis.coordinateSystem;
  int scope = 1;  // its coordinate system
  if (!model_.turbo) {
    const auto bits = (static_cast<std::uint32_t>(IntegerI(100 * m + 25)) >> 21) & 3;
    scope = bits == 0 ? 0 : bits == 1 ? 1 : 2;
  }
  for (int other = 1; other <= model_.motorCount; ++other) {
    const bool same = other == m || (scope == 0 && MotorActivated(other)) ||
                      (scope == 1 && cs > 0 && Motor(other).axis.coordinateSystem == cs);
    if (same) Kill(other);
  }
  MotorState& motor = Motor(m);
  motor.fatalFe = true;
  motor.warningFe = true;
}

void Machine::Kill(int m) {
  MotorState& motor = Motor(m);
  motor.openLoop = true;
  motor.aborting = false;
  motor.amplifierEnabled = false;
  motor.output = 0;
  motor.jog = JogMode::kNone;
  motor.commandedVelocity = motor.commandedAcceleration = 0;
  motor.inPosition = false;
}

void Machine::CloseLoop(int m) {
  MotorState& motor = Motor(m);
  if (!motor.openLoop || !MotorActivated(m)) return;
  motor.openLoop = false;
  motor.amplifierEnabled = true;
  motor.commanded = MeasuredCounts(m);
  motor.commandedVelocity = motor.commandedAcceleration = 0;
  motor.integrator = 0;
  motor.filterIn = {};
  motor.filterOut = {};
  motor.fatalFe = motor.warningFe = false;
  motor.jog = JogMode::kNone;
  motor.aborting = false;
}

void Machine::SetJogRates(int m, MotorState& motor) {
  // Acceleration lasts max(Ix20, 2·Ix21) ms, longer if that would exceed Ix19 counts/ms².
  const int x = 100 * m;
  const double ms = CycleMs();
  const double speed = std::fabs(I(x + 22));
  double accelerationTime = std::max(I(x + 20), 2 * I(x + 21));
  if (accelerationTime <= 0) accelerationTime = 1;
  double rate = speed / accelerationTime;  // counts/ms²
  const double maxRate = std::fabs(I(x + 19));
  if (maxRate > 0) rate = std::min(rate, maxRate);
  if (rate <= 0) rate = maxRate > 0 ? maxRate : 1;
  motor.jogSpeed = speed * ms;
  motor.jogAcceleration = rate * ms * ms;
}

void Machine::JogVelocity(int m, int direction) {
  if (!MotorActivated(m)) return;
  MotorState& motor = Motor(m);
  if (motor.openLoop) {
    CloseLoop(m);
    if (direction == 0) return;
  }
  if (motor.jog == JogMode::kNone && motor.commandedVelocity == 0) {
    motor.preJogPosition = motor.commanded;
  }
  SetJogRates(m, motor);
  motor.jog = JogMode::kVelocity;
  motor.jogTarget = direction * motor.jogSpeed;
  motor.aborting = false;
}

void Machine::JogTo(int m, double counts) {
  if (!MotorActivated(m) || !std::isfinite(counts)) return;
  MotorState& motor = Motor(m);
  CloseLoop(m);
  if (motor.jog == JogMode::kNone && motor.commandedVelocity == 0) {
    motor.preJogPosition = motor.commanded;
  }
  SetJogRates(m, motor);
  motor.jog = JogMode::kPosition;
  motor.jogTarget = counts;
  motor.aborting = false;
}

void Machine::Abort(int m) {
  if (!MotorActivated(m)) return;
  MotorState& motor = Motor(m);
  if (motor.openLoop) {
    CloseLoop(m);
    return;
  }
  if (motor.jog == JogMode::kNone) return;
  // Stop at Ix15 counts/ms².
  SetJogRates(m, motor);
  const double rate = std::fabs(I(100 * m + 15));
  if (rate > 0) motor.jogAcceleration = rate * CycleMs() * CycleMs();
  motor.jog = JogMode::kVelocity;
  motor.jogTarget = 0;
  motor.aborting = true;
}

namespace {

// What a coordinate system's status takes from its motors.
struct SystemMotors {
  bool any = false, fatal = false, warning = false, allInPosition = true;
  void Add(const MotorState& motor) {
    any = true;
    fatal = fatal || motor.fatalFe;
    warning = warning || motor.warningFe;
    allInPosition = allInPosition && motor.inPosition;
  }
};

std::array<std::uint32_t, 3> SystemWords(const CoordinateSystemRun& run,
                                         const SystemMotors& motors) {
  std::array<std::uint32_t, 3> words{};
  // Word 1: X0 program running, X2 continuous mode and X4 its request (R), X3 moves by time.
  if (run.running || run.finishing) words[0] |= 0x1 | 0x4 | 0x10;
  if (run.timeMode) words[0] |= 0x8;
  // Word 2: Y22 run-time error, Y19 fatal and Y18 warning following error (any motor), Y17 in
  // position (every motor).
  if (run.runTimeError) words[1] |= 0x400000;
  if (motors.fatal) words[1] |= 0x80000;
  if (motors.warning) words[1] |= 0x40000;
  if (motors.any && motors.allInPosition) words[1] |= 0x20000;
  return words;
}

}  // namespace

std::array<std::uint32_t, 3> Machine::CoordinateSystemStatusWords(int cs) const {
  if (cs < 1 || static_cast<std::size_t>(cs) >= runner.systems.size()) return {};
  SystemMotors motors;
  for (int m = 1; m <= model_.motorCount; ++m) {
    if (Motor(m).axis.coordinateSystem == cs) motors.Add(Motor(m));
  }
  return SystemWords(runner.systems[static_cast<std::size_t>(cs)], motors);
}

void Machine::WriteCoordinateSystemStatus() {
  // One pass over the motors for every system.
  std::array<SystemMotors, 17> motors{};
  for (int m = 1; m <= model_.motorCount; ++m) {
    const auto cs = static_cast<std::size_t>(Motor(m).axis.coordinateSystem);
    if (cs > 0 && cs < motors.size()) motors[cs].Add(Motor(m));
  }
  for (int cs = 1; cs <= model_.coordinateSystemCount && cs < 17; ++cs) {
    const auto words = SystemWords(runner.systems[static_cast<std::size_t>(cs)],
                                   motors[static_cast<std::size_t>(cs)]);
    const auto k = static_cast<std::uint32_t>(cs - 1);
    if (model_.turbo) {
      SetX(0x2040 + 0x100 * k, words[0]);
      SetY(0x203F + 0x100 * k, words[1]);
      SetY(0x2040 + 0x100 * k, words[2]);
    } else {
      SetX(0x818 + 0xC0 * k, words[0]);
      SetY(0x817 + 0xC0 * k, words[1]);
    }
  }
}

WordPair Machine::MotorStatusWords(int m) const {
  const MotorState& motor = Motor(m);
  std::uint32_t first = 0, second = 0;
  if (MotorActivated(m)) {
    first |= kActivated;
    if (I(100 * m + 34) == 1) first |= kIntegrationMode;
  }
  if (motor.openLoop) first |= kOpenLoop;
  if (motor.jog == JogMode::kPosition) first |= kMoveTimer;
  if (const auto cs = static_cast<std::size_t>(motor.axis.coordinateSystem);
      cs > 0 && cs < runner.systems.size()) {
    // A motion program running in its system: the move timer, and the dwell bit in a DWELL.
    const CoordinateSystemRun& run = runner.systems[cs];
    if (run.running || run.finishing) first |= kMoveTimer;
    if (run.dwell) first |= kDwell;
  }
  // Desired velocity zero: holding position in closed loop (an open loop holds nothing).
  const bool idle = motor.jog == JogMode::kNone || motor.jog == JogMode::kProgram;
  if (motor.commandedVelocity == 0 && idle && !motor.openLoop) first |= kDesiredVelocityZero;
  if (motor.aborting && motor.jog == JogMode::kVelocity) first |= kAbortDeceleration;
  // PMAC X19: the controller commutates the motor (Ix01 bit 0).
  if (!model_.turbo && MotorActivated(m) && (IntegerI(100 * m + 1) & 1)) first |= kPmacPhased;
  if (motor.inPosition) second |= kInPosition;
  // Turbo keeps the servo's own in-position check (Ixx88) in Y13 as well.
  if (motor.inPosition && model_.turbo) second |= kTurboForegroundInPosition;
  if (motor.warningFe) second |= kWarningFe;
  if (motor.fatalFe) second |= kFatalFe;
  if (motor.amplifierEnabled) {
    if (model_.turbo) {
      first |= kTurboAmplifierEnabled;
    } else {
      second |= kPmacAmplifierEnabled;
    }
  }
  if (int cs = motor.axis.coordinateSystem; cs > 0) {
    const auto system = static_cast<std::uint32_t>(cs - 1);
    second |= model_.turbo ? 0x8000 | (TurboAxisCode(motor.axis) << 16) | (system << 20)
                           : 0x800000 | ((system & 7) << 20);
  }
  return {first, second};
}

}  // namespace sim
