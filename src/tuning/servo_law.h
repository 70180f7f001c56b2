#pragma once

#include <complex>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "series/frequency_estimate.h"

namespace bl::tuning {

// A motor's servo law as a discrete-time transfer function, in counts and DAC bits, one sample
// per servo cycle. With r the commanded and y the actual position, each cycle the controller
// sends the plant
//
//   u = F(z) · [ E(z)·(r − y) + V(z)·r − D(z)·y ]
//
//   E(z) = kp + ki / (1 − z⁻¹)                      proportional and integral on the error
//   V(z) = kvff·(1 − z⁻¹) + kaff·(1 − z⁻¹)²         velocity and acceleration feed-forward
//   D(z) = kd·(1 − z⁻¹)                             the derivative gain, on the actual velocity
//   F(z) = (1 + n1 z⁻¹ + n2 z⁻²) / (1 + d1 z⁻¹ + d2 z⁻²)   the Ix36..Ix39 filter
//
// velocities and accelerations being backward differences per cycle. The derivative acts on
// the actual velocity only, so the law has two paths: the reference path A = F·(E + V) from
// the command and the feedback path B = F·(E + D) from the measurement, u = A·r − B·y.
//
// "Open loop" means the loop gain L = P·B: the loop broken at the plant's input, a unit signal
// injected there coming back through the plant P and the feedback path. It alone decides
// stability and the margins; the feed-forward shapes the closed loop but is outside the loop.
// The closed loop is T = y / r = P·A / (1 + P·B), so P = T / (A − T·B) and, from a measured T,
//
//   L = T·B / (A − T·B).
//
// When the feed-forward equals the derivative (kvff = kd, kaff = 0: Ix32 = Ix31 with
// Ix08 = Ix09, Ix35 = 0) the paths coincide and this is the familiar L = T / (1 − T).
struct ServoLaw {
  double kp = 0.0;    // DAC bits per count of following error
  double ki = 0.0;    // per count of error summed over cycles
  double kd = 0.0;    // per count per cycle of actual velocity
  double kvff = 0.0;  // per count per cycle of commanded velocity
  double kaff = 0.0;  // per count per cycle² of commanded acceleration
  double n1 = 0.0, n2 = 0.0, d1 = 0.0, d2 = 0.0;
  double servoPeriod = 0.0;  // s
};

// I-variables by number (motor 1's Ix30 is I130), as a configuration file holds them.
using VariableValues = std::map<int, double>;

// The assignments "In=value" in text (a backup file, a listing "I130=2000"): several to a line,
// case-insensitive, blanks allowed around '=', values decimal or "$"-hexadecimal; anything
// after ';' is a comment, other lines and words are passed over. The last assignment of a
// variable wins. Numbers outside I0..I8191 and values that are not finite are passed over.
// Reads at most the first kMaxVariableFileBytes of text.
inline constexpr std::size_t kMaxVariableFileBytes = 16u << 20;
VariableValues ParseVariableAssignments(std::string_view text);

// Motor m's law from Ix08, Ix09, Ix30..Ix39 and the servo period I10 (1/8388608 ms), the scaling
// of the controller's own servo cycle:
//   kp = Ix30·Ix08·32 / 2^19, ki = kp·Ix33 / 2^23, kd = Ix30·Ix31·Ix09·32 / (128·2^19),
//   kvff = kp·Ix32 / 128, kaff = kp·Ix35 / 128, n1..d2 = Ix36..Ix39.
// With Ix34 = 1 the integrator is held while a move is commanded, which is all of an excitation
// move, so ki is taken as 0. A missing Ix31..Ix39 counts as 0 and a missing I10 takes
// servoPeriod; Ix08, Ix09 and Ix30 must be there. Nothing, with a sentence in error, when
// a required variable is missing, Ix08 or Ix09 is not positive or the period is not positive.
std::optional<ServoLaw> ServoLawFromVariables(const VariableValues& values, int motor,
                                              double servoPeriod, std::string& error);

// The two paths of the law at frequency hz.
std::complex<double> ReferencePath(const ServoLaw& law, double hz);
std::complex<double> FeedbackPath(const ServoLaw& law, double hz);

// The open loop L = T·B / (A − T·B) at the closed loop's frequencies, with its coherence. Where
// A − T·B vanishes (the loop sits on its stability limit there) the response is 0 and the
// coherence 0.
series::BodeResponse OpenLoopFromClosedLoop(const series::BodeResponse& closedLoop,
                                            const ServoLaw& law);

// A plant as a transfer function of z⁻¹ at the servo period: numerator b0 + b1 z⁻¹ + …, over
// denominator a0 + a1 z⁻¹ + ….
struct DiscretePlant {
  std::vector<double> numerator;
  std::vector<double> denominator;
};

std::complex<double> PlantResponse(const DiscretePlant& plant, double servoPeriod, double hz);

struct LoopResponses {
  series::BodeResponse openLoop;    // L = P·B
  series::BodeResponse closedLoop;  // T = P·A / (1 + P·B)
};

// Both loops of a known plant under the law, at the given frequencies (coherence 1; a
// frequency where P's denominator or 1 + P·B vanishes gives 0 and coherence 0).
LoopResponses LoopFromPlant(const DiscretePlant& plant, const ServoLaw& law,
                            const std::vector<double>& frequencies);

}  // namespace bl::tuning
