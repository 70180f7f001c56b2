// Motors driving a plant beyond the rigid load: a two-mass resonance seen from the encoder,
// Coulomb friction, encoder noise, and the simulator's options that set them.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "sim/controller.h"
#include "sim/model.h"
#include "sim/plant.h"
#include "sim/plant_options.h"

namespace sim {
namespace {

// The factory servo period (I10 = 3713707, about 2259 Hz), a hair long so that each Advance is
// exactly one cycle for the few thousand cycles a test runs.
constexpr double kCycleMs = 3713707.0 / 8388608.0;
constexpr std::chrono::nanoseconds kCycle{442709};
constexpr double kUnitsPerCount = 32 * 96;

double Actual(const Controller& c, int motor) {
  const std::uint32_t a = ModelFor(c.TypeCode()).ActualPosition(motor);
  std::int64_t raw = (static_cast<std::int64_t>(c.ReadX(a)) << 24) | c.ReadY(a);
  if (raw >= (std::int64_t{1} << 47)) raw -= std::int64_t{1} << 48;
  return static_cast<double>(raw) / kUnitsPerCount;
}

// Motor 1 with its loop closed but no gains: the output is Ix29 alone, an open loop the test
// drives, and no following-error check gets in the way.
void OpenLoopThroughBias(Controller& c) {
  c.Respond("I130=0 I131=0 I132=0 I111=0 I112=0 #1J/");
  c.Advance(kCycle);
}

// The actual position of motor 1 over n cycles with output[k] in cycle k (0 after the list).
std::vector<double> Drive(Controller& c, const std::vector<int>& output, int n) {
  std::vector<double> positions;
  for (int k = 0; k < n; ++k) {
    const int dac = k < static_cast<int>(output.size()) ? output[static_cast<std::size_t>(k)] : 0;
    c.Respond("I129=" + std::to_string(dac));
    c.Advance(kCycle);
    positions.push_back(Actual(c, 1));
  }
  return positions;
}

// |sum x[n]·e^(−jωn)| at f Hz.
double Magnitude(const std::vector<double>& x, double hz) {
  const double w = 2 * std::numbers::pi * hz * kCycleMs / 1000;
  std::complex<double> sum;
  for (std::size_t n = 0; n < x.size(); ++n) sum += x[n] * std::polar(1.0, -w * double(n));
  return std::abs(sum);
}

// The frequency (1 Hz steps) where the encoder's response to a short torque pulse peaks. The
// second difference of position takes out the rigid motion, which would otherwise bury the
// ringing under its low-frequency content.
double PeakHz(const std::vector<double>& positions, double fromHz, double toHz) {
  std::vector<double> acceleration;
  for (std::size_t n = 4; n < positions.size(); ++n) {
    acceleration.push_back(positions[n] - 2 * positions[n - 1] + positions[n - 2]);
  }
  double best = fromHz, bestMagnitude = -1;
  for (double hz = fromHz; hz <= toHz; hz += 1) {
    const double m = Magnitude(acceleration, hz);
    if (m > bestMagnitude) {
      bestMagnitude = m;
      best = hz;
    }
  }
  return best;
}

TEST(Resonance, TheEncoderRingsAtTheSetFrequency) {
  for (const double hz : {120.0, 500.0}) {
    Controller c(5);
    ASSERT_TRUE(c.SetPlant(1, {.resonanceHz = hz, .dampingRatio = 0.03, .loadRatio = 2}));
    OpenLoopThroughBias(c);
    const std::vector<double> positions = Drive(c, {1000}, 1024);
    EXPECT_NEAR(PeakHz(positions, 50, 1100), hz, hz * 0.02);
  }
  // Without a resonance the same pulse moves the motor rigidly: no ringing at all.
  Controller rigid(5);
  OpenLoopThroughBias(rigid);
  const std::vector<double> positions = Drive(rigid, {1000}, 200);
  for (std::size_t n = 3; n < positions.size(); ++n) {
    EXPECT_LE(positions[n] - positions[n - 1], positions[n - 1] - positions[n - 2] + 1e-9) << n;
  }
}

TEST(Resonance, TakenAwayUnderAMovingMotorTheEncoderDoesNotJump) {
  Controller c(5);
  ASSERT_TRUE(c.SetPlant(1, {.resonanceHz = 50, .dampingRatio = 0, .loadRatio = 4}));
  OpenLoopThroughBias(c);
  // The pulse leaves the common motion at 7.5 counts a cycle and the spring swinging by
  // hundreds of counts.
  const std::vector<double> ringing = Drive(c, {5000}, 5);
  ASSERT_TRUE(c.SetPlant(1, {}));
  const double next = Drive(c, {}, 1).back();
  EXPECT_NEAR(next - ringing.back(), 7.5, 0.1);
}

TEST(Resonance, StaysBoundedAtAnyFrequencyAndDamping) {
  // Free ringing after a pulse never gains energy, even far beyond the servo rate, where an
  // explicit step would explode within a few cycles.
  for (const double hz : {500.0, 1100.0, 5000.0, 100000.0}) {
    for (const double zeta : {0.0, 0.01, 1.0, 100.0}) {
      Plant plant;
      plant.Configure({.resonanceHz = hz, .dampingRatio = zeta, .loadRatio = 3});
      double velocity = 0, position = 0;
      PlantMotion motion;
      plant.Step(20000, kCycleMs, velocity, position, motion);
      const double w = 2 * std::numbers::pi * hz * kCycleMs / 1000;
      auto energy = [&] {
        return w * w * motion.deflection * motion.deflection +
               motion.deflectionRate * motion.deflectionRate;
      };
      const double start = energy();
      for (int k = 0; k < 100000; ++k) plant.Step(0, kCycleMs, velocity, position, motion);
      EXPECT_TRUE(std::isfinite(position) && std::isfinite(motion.deflection)) << hz << " " << zeta;
      EXPECT_LE(energy(), start * (1 + 1e-9)) << hz << " " << zeta;
    }
  }
  // And the closed loop with a stiff load still settles a jog at the factory rate.
  Controller c(5);
  ASSERT_TRUE(c.SetPlant(1, {.resonanceHz = 500, .dampingRatio = 0.05, .loadRatio = 1}));
  c.Respond("#1J=1000");
  c.Advance(std::chrono::seconds(3));
  EXPECT_NEAR(Actual(c, 1), 1000, 1);
  EXPECT_NE(c.Respond("#1?").substr(6, 6).back(), '0');  // in position
}

TEST(CoulombFriction, SmallTorqueStaysAtRestLargeTorqueMovesAndStopsClean) {
  Controller c(2);
  ASSERT_TRUE(c.SetPlant(1, {.coulombFriction = 500}));
  OpenLoopThroughBias(c);
  const double start = Actual(c, 1);
  std::vector<double> held = Drive(c, std::vector<int>(300, 450), 300);
  EXPECT_EQ(held.back(), start);
  held = Drive(c, std::vector<int>(300, -450), 300);
  EXPECT_EQ(held.back(), start);
  // Above the friction it moves, one way or the other.
  std::vector<double> moved = Drive(c, std::vector<int>(300, 700), 300);
  EXPECT_GT(moved.back(), start + 20);
  // Let go, it comes to rest and stays: no creeping or chatter about zero velocity.
  moved = Drive(c, {}, 400);
  const double rest = moved.back();
  EXPECT_EQ(moved[moved.size() - 100], rest);
  moved = Drive(c, std::vector<int>(300, -700), 300);
  EXPECT_LT(moved.back(), rest - 20);
  // The rigid load the same torque would have moved at once.
  Controller rigid(2);
  OpenLoopThroughBias(rigid);
  EXPECT_GT(Drive(rigid, std::vector<int>(300, 450), 300).back(), 20);
}

TEST(EncoderNoise, StandardDeviationAsSetAndTheSameSeedGivesTheSameRun) {
  Controller c(5);
  ASSERT_TRUE(c.SetPlant(1, {.noiseCounts = 3}));
  c.Respond("#1K");
  std::vector<double> samples;
  for (int k = 0; k < 5000; ++k) {
    c.Advance(kCycle);
    samples.push_back(Actual(c, 1));
  }
  // The encoder's zero is wherever its first reading fell, so the mean is off by one sample;
  // but it does not wander.
  auto mean = [&](std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t k = from; k < to; ++k) sum += samples[k];
    return sum / double(to - from);
  };
  const double all = mean(0, samples.size());
  EXPECT_NEAR(mean(0, 2500), mean(2500, 5000), 0.4);
  double square = 0;
  for (double s : samples) square += (s - all) * (s - all);
  EXPECT_NEAR(std::sqrt(square / double(samples.size())), 3, 0.15);
  // Other motors stay quiet.
  EXPECT_EQ(Actual(c, 2), 0);

  // A closed-loop jog over a noisy, resonant, rubbing plant: the same seed, the same run.
  auto run = [](std::uint64_t seed) {
    Controller r(5);
    r.SeedPlantNoise(seed);
    r.SetPlant(1, {.resonanceHz = 300,
                   .dampingRatio = 0.1,
                   .loadRatio = 1,
                   .coulombFriction = 50,
                   .noiseCounts = 0.5});
    r.Respond("#1J=500");
    std::vector<double> positions;
    for (int k = 0; k < 1500; ++k) {
      r.Advance(kCycle);
      positions.push_back(Actual(r, 1));
    }
    return positions;
  };
  const std::vector<double> first = run(7);
  EXPECT_EQ(run(7), first);
  EXPECT_NE(run(8), first);
  EXPECT_NEAR(first.back(), 500, 5);
}

TEST(PlantSettingsApi, RefusesWhatCannotBeAPlantAndGoesBackToRigid) {
  Controller pmac(1);
  EXPECT_FALSE(pmac.SetPlant(0, {}));
  EXPECT_FALSE(pmac.SetPlant(9, {}));  // eight motors
  EXPECT_FALSE(pmac.SetPlant(1, {.resonanceHz = std::nan("")}));
  EXPECT_FALSE(pmac.SetPlant(1, {.resonanceHz = 100, .loadRatio = 0}));
  EXPECT_FALSE(pmac.SetPlant(1, {.dampingRatio = -0.1}));
  EXPECT_FALSE(pmac.SetPlant(1, {.coulombFriction = 40000}));
  EXPECT_FALSE(pmac.SetPlant(1, {.noiseCounts = INFINITY}));
  Controller turbo(5);
  EXPECT_TRUE(turbo.SetPlant(32, {.noiseCounts = 1}));
  // Back to the defaults: the rigid load, exactly as a motor that never had a plant.
  Controller plain(5);
  ASSERT_TRUE(turbo.SetPlant(1, {.resonanceHz = 200, .dampingRatio = 0.1, .coulombFriction = 20}));
  turbo.Respond("#1J=100");
  plain.Respond("#1J=100");
  turbo.Advance(std::chrono::milliseconds(100));
  plain.Advance(std::chrono::milliseconds(100));
  EXPECT_NE(Actual(turbo, 1), Actual(plain, 1));
  ASSERT_TRUE(turbo.SetPlant(1, {}));
  turbo.Respond("#1K #1J/ #1J=0");
  plain.Respond("#1K #1J/ #1J=0");
  turbo.Advance(std::chrono::seconds(2));
  plain.Advance(std::chrono::seconds(2));
  EXPECT_NEAR(Actual(turbo, 1), Actual(plain, 1), 0.05);
}

TEST(PlantOptionsParser, TakesWellFormedValuesAndRefusesTheRest) {
  PlantOptions options;
  EXPECT_EQ(ParsePlantOption("--resonance", "2:500:0.05:1.5", 32, options), "");
  EXPECT_EQ(ParsePlantOption("--friction", "2:120", 32, options), "");
  EXPECT_EQ(ParsePlantOption("--noise", "32:0.25", 32, options), "");
  EXPECT_EQ(ParsePlantOption("--seed", "18446744073709551615", 32, options), "");
  ASSERT_EQ(options.motors.size(), 2u);
  const PlantSettings two{
      .resonanceHz = 500, .dampingRatio = 0.05, .loadRatio = 1.5, .coulombFriction = 120};
  EXPECT_EQ(options.motors[2], two);
  EXPECT_EQ(options.motors[32].noiseCounts, 0.25);
  EXPECT_EQ(options.seed, 18446744073709551615u);

  const PlantOptions before = options;
  for (const auto& [option, value] : std::vector<std::pair<std::string, std::string>>{
           {"--resonance", "1:500:0.05"},      // a field missing
           {"--resonance", "1:500:0.05:1:2"},  // one too many
           {"--resonance", "1:0:0.05:1"},      // no frequency
           {"--resonance", "1:500:-0.1:1"},    // negative damping
           {"--resonance", "1:500:0.05:0"},    // no load inertia
           {"--resonance", "1:nan:0.05:1"},
           {"--resonance", "1:500:0.05:1x"},  // trailing text
           {"--friction", "0:10"},            // motor numbers from 1
           {"--friction", "33:10"},           // to 32
           {"--friction", "1:-5"},
           {"--friction", "1:"},
           {"--friction", ":5"},
           {"--friction", "1:5:"},
           {"--noise", "1:inf"},
           {"--noise", "1.5:2"},
           {"--noise", "1 :2"},
           {"--noise", ""},
           {"--noise", std::string(300, '1')},  // far too long
           {"--seed", "-1"},
           {"--seed", "18446744073709551616"},  // beyond 64 bits
           {"--seed", "12abc"},
           {"--speed", "1:2"},  // not a plant option
       }) {
    EXPECT_NE(ParsePlantOption(option, value, 32, options), "") << option << " " << value;
  }
  EXPECT_EQ(options.motors, before.motors);
  EXPECT_EQ(options.seed, before.seed);
  EXPECT_NE(ParsePlantOption("--noise", "9:1", 8, options), "");
}

}  // namespace
}  // namespace sim
