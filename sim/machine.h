#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sim/l_format.h"
#include "sim/m_variable.h"
#include "sim/model.h"
#include "sim/plant.h"
#include "sim/program_buffers.h"
#include "sim/program_runner.h"

namespace sim {

// One motor's place in a coordinate system: "1000X", "8660X-5000Y+20", "I" (inverse kinematics).
struct AxisTerm {
  char axis = 'X';
  double scale = 1;
};
struct AxisDefinition {
  int coordinateSystem = 0;  // 0: in no coordinate system
  bool inverse = false;
  std::vector<AxisTerm> terms;
  double offset = 0;
};

// What moves the commanded position: nothing, a jog toward a velocity or to a position, or a
// motion program's path.
enum class JogMode { kNone, kVelocity, kPosition, kProgram };

// What the servo loop keeps per motor beyond its memory registers.
struct MotorState {
  AxisDefinition axis;
  bool openLoop = true;  // killed: output 0, position held
  bool amplifierEnabled = false;
  double filteredVelocity = 0;  // 1/(32·Ix09) counts per servo cycle

  // Trajectory, in counts and servo cycles.
  double commanded = 0;
  double commandedVelocity = 0;
  double commandedAcceleration = 0;
  std::int64_t commandedRegister = 0;  // as last written here: any other value is a step
  std::int64_t actualRegister = 0;     // likewise: another value moves the load there
  JogMode jog = JogMode::kNone;
  double jogTarget = 0;        // position (kPosition) or velocity (kVelocity)
  double jogSpeed = 0;         // counts per cycle
  double jogAcceleration = 0;  // counts per cycle²
  double preJogPosition = 0;
  double programTarget = 0;  // kProgram: where the path puts the motor this cycle (counts)

  // Servo filter.
  double integrator = 0;
  std::array<double, 2> filterIn{}, filterOut{};
  int output = 0;         // 16-bit DAC
  bool aborting = false;  // A or ^A brings a jog or a program's path to rest
  bool warningFe = false;
  bool fatalFe = false;
  bool inPosition = false;
  int inPositionChecks = 0;

  // The load the motor drives: position in counts, velocity in counts per cycle.
  double position = 0;
  double velocity = 0;
  PlantMotion plant;       // beyond the rigid load: the spring's deflection
  double sensed = 0;       // where the encoder sees the motor this cycle, counts
  bool idle = false;       // not activated and at rest: this cycle changes nothing
  bool loadMoved = false;  // moved by a write to the actual-position register this cycle

  // What the servo last read through Ix03: the result word and where it was.
  std::uint32_t feedbackAddress = 0;
  std::uint32_t feedbackReading = 0;
  double feedbackInterpolated = 0;  // the reading at the 1/T estimate's resolution, or NaN
  double measuredVelocity = 0;      // counts per cycle, as read
  double actualUnits = 0;           // the actual position, 1/(32·Ix08) count, unrounded
};

// Lines an encoder conversion table entry takes, from its first (setup) word.
std::uint32_t EncoderEntryLines(std::uint32_t setup, bool turbo);

// One enabled gather source, resolved when gathering starts.
struct GatherSource {
  std::uint32_t address = 0;
  enum class Kind : std::uint8_t { kY, kX, kPair } kind = Kind::kY;  // kPair: D and L
};

// The whole state of one controller, without locking: memory, variables, motors and the
// addressing of the communication port. Controller wraps it in a mutex.
class Machine {
 public:
  explicit Machine(int typeCode);

  const Model& model() const { return model_; }

  // Power-on with factory defaults ($$$***): memory cleared, I-variables and tables as shipped.
  void FactoryReset();
  // A reset ($$$): variables, memory and programs stay; an open program buffer is closed, I46
  // takes effect, addressing returns to #1 &1 ##0.
  void Reset();

  // Memory words; addresses outside memory read 0 and ignore writes.
  bool ValidAddress(std::uint32_t address) const { return address < model_.memoryWords; }
  bool ValidProgramAddress(std::uint32_t address) const { return address < model_.programWords; }
  std::uint32_t X(std::uint32_t address) const;
  std::uint32_t Y(std::uint32_t address) const;
  std::uint32_t P(std::uint32_t address) const;
  void SetX(std::uint32_t address, std::uint32_t word);
  void SetY(std::uint32_t address, std::uint32_t word);
  void SetP(std::uint32_t address, std::uint32_t word);
  WordPair Pair(std::uint32_t address) const { return {X(address), Y(address)}; }
  void SetPair(std::uint32_t address, WordPair words);

  // Variables; numbers are checked by the caller (0 .. variableCount-1).
  double I(int n) const;
  void SetI(int n, double value);
  // An I-variable that holds a setting (I6, I9, I10, I46) as an integer: truncated toward zero,
  // and held within int, so that a value typed beyond it (I6=1E10) cannot overflow the
  // conversion.
  int IntegerI(int n) const;
  // I-variables that hold an address (answered in hexadecimal when I9 is 2 or 3).
  bool IsAddressI(int n) const;
  double Pvar(int n) const { return DecodeL(Pair(pBase_ + static_cast<std::uint32_t>(n))); }
  void SetPvar(int n, double v) { SetPair(pBase_ + static_cast<std::uint32_t>(n), EncodeL(v)); }
  double Qvar(int n) const { return DecodeL(Pair(qBase_ + static_cast<std::uint32_t>(n))); }
  void SetQvar(int n, double v) { SetPair(qBase_ + static_cast<std::uint32_t>(n), EncodeL(v)); }
  MDefinition MDef(int n) const;
  void SetMDef(int n, const MDefinition& definition);
  double Mvar(int n) const;
  void SetMvar(int n, double value);
  std::uint32_t PBase() const { return pBase_; }
  // MACRO node variables MS node,MI n: 48-bit words, node 0..kMacroNodes-1, n 0..kMacroVariables-1.
  static constexpr int kMacroNodes = 16;
  static constexpr int kMacroVariables = 1000;
  std::uint64_t MacroVariable(int node, int n) const;
  void SetMacroVariable(int node, int n, std::uint64_t value);
  std::uint32_t QBase() const { return qBase_; }

  // Motors, numbered from 1.
  MotorState& Motor(int m) { return motors_[static_cast<std::size_t>(m)]; }
  const MotorState& Motor(int m) const { return motors_[static_cast<std::size_t>(m)]; }
  bool MotorActivated(int m) const { return I(100 * m) != 0; }
  // Positions in counts (registers are in 1/(32·Ix08) count).
  double ActualPositionCounts(int m) const;
  double FollowingErrorCounts(int m) const;
  double VelocityCountsPerCycle(int m) const;
  // Status words as the ? ?? ??? commands and ^B ^C ^G report them.
  std::string MotorStatus(int m) const;
  std::string CoordinateSystemStatus(int cs) const;
  // Coordinate system x's status words as ?? reports them: X:$2040, Y:$203F, Y:$2040
  // (+$100·(x−1)) on Turbo, X:$818, Y:$817 (+$C0·(x−1)) on PMAC, where they are also kept.
  std::array<std::uint32_t, 3> CoordinateSystemStatusWords(int cs) const;
  // Servo cycle length in ms (1 when I10 is not positive).
  double CycleMs() const;
  std::string GlobalStatus() const;

  // One servo interrupt: the counter X:$0 advances, every activated motor runs its loop and
  // its load, and a sample is gathered when one is due.
  void ServoCycle();

  // The mechanics motor m drives (plant.h); they outlast resets, as a machine does. Settings
  // are checked by the caller (CheckPlantSettings).
  void SetPlant(int m, const PlantSettings& settings);
  const PlantSettings& PlantOf(int m) const;
  // Restarts every encoder's noise from this seed: the same seed gives the same run.
  void SeedPlantNoise(std::uint64_t seed);

  // Jogging and killing (motion.cpp). Jog commands close an open loop first.
  void CloseLoop(int m);
  void Kill(int m);
  void JogVelocity(int m, int direction);  // +1, -1, or 0 to stop and hold
  void JogTo(int m, double counts);
  void Abort(int m);
  // Motor status as the two 24-bit words of ? (X first).
  WordPair MotorStatusWords(int m) const;

  // Gathering (gather.cpp): 0 or an error number.
  int StartGather();
  void StopGather();
  bool Gathering() const;

  // Port addressing.
  int addressedMotor = 1;
  int addressedCoordinateSystem = 1;
  int motorGroup = 0;  // ##n: which eight motors ^B ^F ^P ^V report
  bool bootstrap = false;

  // Motion and PLC programs in user memory, and the buffer open for entry.
  ProgramBuffers programs;
  // Where each program is in its running.
  ProgramRunner runner;

 private:
  void SetDefaultIVariables();
  void SetDefaultTables();
  double Scale08(int m) const;
  void WriteCoordinateSystemStatus();
  void MoveLoad(int m);
  void ServoMotor(int m);
  // The position the servo reads, in counts: the actual-position register.
  double MeasuredCounts(int m) const;
  // Encoder conversion table (encoder_table.cpp).
  void WriteEncoderCounters();
  void ProcessEncoderTable();
  void ReadFeedback(int m);
  // For a motor that does not servo this cycle: later readings start from the present one.
  void SkipFeedback(int m);
  double InterpolatedAt(std::uint32_t address) const;
  void RunTrajectory(MotorState& motor);
  void FollowingErrorFault(int m);
  void SetJogRates(int m, MotorState& motor);
  void GatherSample();
  bool SampleFits(std::uint32_t pointer, std::uint32_t end, bool wrap) const;

  const Model& model_;
  std::vector<std::uint32_t> x_, y_, p_;
  std::vector<double> i_;
  std::vector<double> selfM_;         // values of M-variables defined as "*"
  std::vector<std::uint64_t> macro_;  // MI variables, node by node
  // This cycle's encoder channels (base address, load position in counts), and per table line
  // the 1/T-extended result at full resolution in 1/32 count (NaN where none was made).
  std::vector<std::pair<std::uint32_t, double>> channelPositions_;
  std::vector<double> interpolated_;
  std::vector<MotorState> motors_;
  std::vector<Plant> plants_;  // index = motor
  std::uint32_t pBase_ = 0, qBase_ = 0;

  std::array<GatherSource, 48> gatherSources_{};
  int gatherSourceCount_ = 0;
  std::uint32_t gatherAddresses_ = 0;  // per sample
  int gatherPeriod_ = 1;
  int gatherCountdown_ = 0;
};

}  // namespace sim
