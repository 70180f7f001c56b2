#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace sim {

// The rigid load every motor drives: each servo cycle its velocity (counts per cycle) gains
// kPlantGain per DAC bit of torque and loses kPlantFriction of itself. With the factory gains
// this rings a little and settles in about a hundred cycles.
inline constexpr double kPlantGain = 1.5e-3;
inline constexpr double kPlantFriction = 0.002;

// What a motor's mechanics add to the rigid load (MOTION.md, "The load"). The defaults are the
// rigid load alone.
struct PlantSettings {
  // Two masses, motor and load, coupled by a spring and a damper; the encoder is on the motor.
  // resonanceHz is the frequency of the mode in which they swing against each other (0: rigid),
  // dampingRatio that mode's damping, loadRatio the load's inertia over the motor's. The two
  // together have the rigid load's inertia.
  double resonanceHz = 0;
  double dampingRatio = 0;
  double loadRatio = 1;
  // A constant torque against the motion, in DAC bits; at rest a torque up to it moves nothing.
  double coulombFriction = 0;
  // White noise on the encoder reading, standard deviation in counts.
  double noiseCounts = 0;

  bool operator==(const PlantSettings&) const = default;
};

// Why settings cannot be used (a value not finite or out of its range), or empty when they can.
std::string CheckPlantSettings(const PlantSettings& settings);

// The motion the plant keeps per motor beyond the rigid load's position and velocity: the
// deflection of the spring (motor − load, counts) and its rate (counts per cycle).
struct PlantMotion {
  double deflection = 0;
  double deflectionRate = 0;
};

// One motor's mechanics: its settings, the resonance's one-cycle solution for the servo period
// in use, and the encoder's noise source.
class Plant {
 public:
  void Configure(const PlantSettings& settings);
  const PlantSettings& Settings() const { return settings_; }
  // Whether anything beyond the rigid load is set.
  bool Active() const { return active_; }
  bool Noisy() const { return settings_.noiseCounts > 0; }
  // How much of the deflection the motor's position carries (0 when rigid).
  double MotorShare() const { return settings_.resonanceHz > 0 ? motorShare_ : 0; }
  // The same seed (and motor) gives the same noise.
  void Seed(std::uint64_t seed, int motor);

  // One servo cycle under a torque of `output` DAC bits held through it: the common motion of
  // motor and load (velocity and position, as the rigid load's) and the spring's deflection.
  void Step(double output, double cycleMs, double& velocity, double& position, PlantMotion& motion);
  // Where the encoder on the motor sees it this cycle: the common position, the motor's share of
  // the deflection, and a fresh noise sample.
  double Sensed(double position, const PlantMotion& motion);

 private:
  void Discretize(double cycleMs);
  double Gaussian();

  PlantSettings settings_;
  bool active_ = false;
  double motorShare_ = 0;  // of the deflection, in the motor's position: ratio / (1 + ratio)
  // The deflection's exact solution over one cycle with the torque held: state' = phi·state +
  // gamma·torque; for the period it was made for.
  double discretizedFor_ = -1;
  std::array<double, 4> phi_{};
  std::array<double, 2> gamma_{};
  std::uint64_t random_ = 0;
};

}  // namespace sim
