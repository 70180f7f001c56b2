#pragma once

#include <complex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tuning/servo_law.h"

namespace bl::tuning {

// A low-order model of what a motor's servo output does to its position, identified from a run
// that gathered both (a test move's actual position and DAC output).
//
// The model speaks of the velocity v (counts per servo cycle, the backward difference of the
// actual position) and the output u (DAC bits) as gathered together, sample k with sample k:
//
//   v[k] = a1·v[k−1] + … + a_na·v[k−na] + b0·u[k−1−delay] + … + b_nb−1·u[k−nb−delay]
//          + c·sign(v[k−1])
//
// A rigid load is na = nb = 1: v[k] = (1 − damping)·v[k−1] + u[k−1−delay] / inertia. A motor
// coupled to its load through a spring (two masses, the encoder on the motor) adds a resonance
// and an anti-resonance below it: na = 3, nb = 4. The last term is Coulomb friction, c = −friction
// / inertia, fitted only when the run moves both ways often enough to tell it from damping.
//
// delay may be −1: the position gathered in a sample already shows the output of that sample,
// which happens when gathering takes the position after the servo has used it.
struct PlantModel {
  std::vector<double> a;  // a1 .. a_na
  std::vector<double> b;  // b0 .. b_nb−1
  int delay = 0;
  double frictionTerm = 0.0;  // c
  double servoPeriod = 0.0;   // s, the gathering period of the run it was fitted to

  // What the coefficients say in physical terms (the rigid-body part of a two-mass model).
  double inertia = 0.0;   // DAC bits · cycle² per count: the output that accelerates by 1
  double damping = 0.0;   // the part of the velocity lost to viscous friction each cycle
  double friction = 0.0;  // DAC bits of Coulomb friction
  struct Resonance {
    double hz = 0.0;
    double dampingRatio = 0.0;
    std::optional<double> antiResonanceHz;
  };
  std::optional<Resonance> resonance;

  // How well the model explains the run: the one-cycle-ahead velocity (100 % is exact), and
  // each structure tried with its fit, for the report.
  double fitPercent = 0.0;
  std::vector<std::string> notes;
};

struct FitOptions {
  bool allowResonance = true;
  bool allowFriction = true;
  int maxDelay = 4;  // cycles
};

inline constexpr int kMinFitSamples = 64;
inline constexpr double kMinFitPeriod = 1e-7;  // s
inline constexpr double kMaxFitPeriod = 100.0;

// Fits the model to a run: position (counts) and output (DAC bits) sampled every period
// seconds, the same number of each. Every delay from −1 to maxDelay and the rigid and two-mass
// structures are tried, and the simplest one that explains the run as well as the others is
// kept. Nothing, with a sentence in error, when the run cannot identify a plant: lengths that
// differ, a period outside kMinFitPeriod..kMaxFitPeriod, a sample that is not a number, too few samples, an
// output that never changes or a position that never moves, or no structure that explains
// more than half of the velocity.
std::optional<PlantModel> FitPlant(std::span<const double> position, std::span<const double> output,
                                   double period, const FitOptions& options, std::string& error);

// The model as a transfer function from output to position at the given period (the velocity
// model summed; delay −1 folds into a leading numerator term). Friction is left out.
DiscretePlant PlantTransfer(const PlantModel& model);

// The report of a fit as lines of text ("Inertia: 666.7 DAC bits per count/cycle²" ...).
std::vector<std::string> PlantReport(const PlantModel& model);

// The roots of c0·xⁿ + c1·xⁿ⁻¹ + … + cn (c0 not 0; leading zeros are dropped). Up to a degree of
// 64; empty for a constant.
std::vector<std::complex<double>> PolynomialRoots(std::span<const double> coefficients);

}  // namespace bl::tuning
