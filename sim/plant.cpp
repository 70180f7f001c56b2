// A motor's mechanics beyond the rigid load: a two-mass resonance, Coulomb friction and encoder
// noise (see MOTION.md, "The load").
#include "sim/plant.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sim {

namespace {

constexpr double kMaxResonanceHz = 100000;
constexpr double kMaxDampingRatio = 100;
constexpr double kMaxLoadRatio = 1e6;
constexpr double kMaxFriction = 32767;  // the DAC's whole range: more could never be overcome
constexpr double kMaxNoiseCounts = 1e6;
// Below this a velocity or deflection under no torque is rest, not a value to carry forever.
constexpr double kRest = 1e-9;

using Matrix3 = std::array<std::array<double, 3>, 3>;

Matrix3 Multiply(const Matrix3& a, const Matrix3& b) {
  Matrix3 c{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      for (int k = 0; k < 3; ++k) c[i][j] += a[i][k] * b[k][j];
    }
  }
  return c;
}

// e^m by scaling and squaring: the Taylor series converges fast once m is halved below 1/2.
Matrix3 Exponential(Matrix3 m) {
  double norm = 0;
  for (const auto& row : m) {
    double sum = 0;
    for (double v : row) sum += std::fabs(v);
    norm = std::max(norm, sum);
  }
  int squarings = 0;
  while (norm > 0.5 && squarings < 64) {
    norm /= 2;
    ++squarings;
  }
  const double scale = std::ldexp(1.0, -squarings);
  for (auto& row : m) {
    for (double& v : row) v *= scale;
  }
  Matrix3 result{}, term{};
  for (int i = 0; i < 3; ++i) result[i][i] = term[i][i] = 1;
  for (int n = 1; n <= 18; ++n) {
    term = Multiply(term, m);
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) term[i][j] /= n;
    }
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) result[i][j] += term[i][j];
    }
  }
  for (int s = 0; s < squarings; ++s) result = Multiply(result, result);
  return result;
}

bool Within(double v, double low, double high) { return std::isfinite(v) && v >= low && v <= high; }

}  // namespace

std::string CheckPlantSettings(const PlantSettings& s) {
  if (!Within(s.resonanceHz, 0, kMaxResonanceHz)) return "resonance frequency not in 0..100000 Hz";
  if (!Within(s.dampingRatio, 0, kMaxDampingRatio)) return "damping ratio not in 0..100";
  if (!Within(s.loadRatio, 0, kMaxLoadRatio) || s.loadRatio == 0) {
    return "load inertia ratio not above 0 and at most 1000000";
  }
  if (!Within(s.coulombFriction, 0, kMaxFriction)) return "friction not in 0..32767 DAC bits";
  if (!Within(s.noiseCounts, 0, kMaxNoiseCounts)) return "noise not in 0..1000000 counts";
  return {};
}

void Plant::Configure(const PlantSettings& settings) {
  settings_ = settings;
  active_ = settings.resonanceHz > 0 || settings.coulombFriction > 0 || settings.noiseCounts > 0;
  motorShare_ = settings.loadRatio / (1 + settings.loadRatio);
  discretizedFor_ = -1;
}

void Plant::Seed(std::uint64_t seed, int motor) {
  random_ = seed ^ (static_cast<std::uint64_t>(motor) * 0x9E3779B97F4A7C15u);
}

void Plant::Discretize(double cycleMs) {
  // The deflection d of motor against load, in counts and cycles:
  //   d'' = (1 + ratio)·kPlantGain·torque − (2·zeta·w + kPlantFriction)·d' − w²·d,
  // since the motor alone has 1/(1 + ratio) of the inertia and the viscous friction acts on
  // each mass in proportion to it. Solved exactly over a cycle with the torque held, so any
  // frequency, up to the servo rate and beyond, stays stable without sub-steps.
  const double w = 2 * std::numbers::pi * settings_.resonanceHz * cycleMs / 1000;
  Matrix3 m{};
  m[0][1] = 1;
  m[1][0] = -w * w;
  m[1][1] = -(2 * settings_.dampingRatio * w + kPlantFriction);
  m[1][2] = (1 + settings_.loadRatio) * kPlantGain;
  const Matrix3 e = Exponential(m);
  phi_ = {e[0][0], e[0][1], e[1][0], e[1][1]};
  gamma_ = {e[0][2], e[1][2]};
  discretizedFor_ = cycleMs;
}

void Plant::Step(double output, double cycleMs, double& velocity, double& position,
                 PlantMotion& motion) {
  // The common motion is the rigid load's; Coulomb friction acts on it as a whole.
  const double friction = settings_.coulombFriction;
  if (friction <= 0) {
    velocity += kPlantGain * output - kPlantFriction * velocity;
  } else if (velocity == 0) {
    // At rest it sticks until the torque exceeds the friction, then only the excess drives it.
    if (std::fabs(output) > friction)
      velocity = kPlantGain * (output - std::copysign(friction, output));
  } else {
    const double next = velocity + kPlantGain * (output - std::copysign(friction, velocity)) -
                        kPlantFriction * velocity;
    // Friction stops the motion; it never reverses it. Where the velocity would cross zero the
    // drive comes to rest, and the next cycle decides whether the torque breaks it away again:
    // no chatter about zero.
    velocity = (next > 0) == (velocity > 0) ? next : 0;
    if (std::fabs(velocity) < kRest) velocity = 0;
  }
  if (std::fabs(velocity) < kRest && output == 0) velocity = 0;
  position += velocity;

  if (settings_.resonanceHz > 0) {
    if (cycleMs != discretizedFor_) Discretize(cycleMs);
    const double d = motion.deflection, rate = motion.deflectionRate;
    motion.deflection = phi_[0] * d + phi_[1] * rate + gamma_[0] * output;
    motion.deflectionRate = phi_[2] * d + phi_[3] * rate + gamma_[1] * output;
    if (!std::isfinite(motion.deflection) || !std::isfinite(motion.deflectionRate) ||
        (output == 0 && std::fabs(motion.deflection) < kRest &&
         std::fabs(motion.deflectionRate) < kRest)) {
      motion = {};
    }
  }
}

double Plant::Sensed(double position, const PlantMotion& motion) {
  double sensed = position + motorShare_ * motion.deflection;
  if (settings_.noiseCounts > 0) sensed += settings_.noiseCounts * Gaussian();
  return sensed;
}

double Plant::Gaussian() {
  // splitmix64 for the uniforms, Box–Muller for the normal: the same numbers on every platform.
  auto next = [this] {
    std::uint64_t z = (random_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    z ^= z >> 31;
    return static_cast<double>((z >> 11) + 1) * 0x1.0p-53;  // (0, 1]
  };
  const double u1 = next(), u2 = next();
  return std::sqrt(-2 * std::log(u1)) * std::cos(2 * std::numbers::pi * u2);
}

}  // namespace sim
