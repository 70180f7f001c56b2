// Plant identification and what-if prediction, on the virtual controller: the plant fitted to
// one step with the factory gains must predict the steps other gains make, and say when gains
// would make the loop unstable.
#include "tuning/what_if.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/controller.h"
#include "sim/model.h"
#include "sim/plant.h"
#include "tuning/excitation.h"
#include "tuning/plant_fit.h"
#include "tuning/position_loop.h"

namespace bl::tuning {
namespace {

constexpr std::chrono::nanoseconds kCycle{500000};  // I10=4194304
constexpr double kPeriod = 0.0005;
constexpr double kUnitsPerCount = 32 * 96;

struct Recorded {
  std::vector<double> commanded, actual, output;
};

std::int64_t Word48(const sim::Controller& c, std::uint32_t address) {
  std::int64_t raw = (static_cast<std::int64_t>(c.ReadX(address)) << 24) | c.ReadY(address);
  if (raw >= (std::int64_t{1} << 47)) raw -= std::int64_t{1} << 48;
  return raw;
}

class VirtualMotor {
 public:
  VirtualMotor() : model_(sim::ModelFor(5)) {
    EXPECT_EQ(c_.Respond("I10=4194304 #1J/"), "\x06");
    for (int k = 0; k < 50; ++k) c_.Advance(kCycle);
  }

  sim::Controller& Controller() { return c_; }

  void Set(const std::string& assignments) { EXPECT_EQ(c_.Respond(assignments), "\x06"); }

  VariableValues Variables() {
    VariableValues v;
    v[10] = std::stod(c_.Respond("I10"));
    for (int suffix : {8, 9, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 69})
      v[MotorVariable(1, suffix)] = std::stod(c_.Respond("I" + std::to_string(100 + suffix)));
    return v;
  }

  // Every servo cycle the commanded position is set to path[k] counts from where the motor
  // stood (written to its register, as the test move's PLC does), then the cycle runs and the
  // three registers are read, as gathering reads them.
  Recorded Follow(const std::vector<double>& path) {
    const std::uint32_t commanded = model_.CommandedPosition(1);
    const std::int64_t home = Word48(c_, commanded);
    Recorded run;
    double last = std::nan("");
    for (double p : path) {
      if (p != last) {
        const auto raw = home + static_cast<std::int64_t>(std::llround(p * kUnitsPerCount));
        const auto bits = static_cast<std::uint64_t>(raw) & ((std::uint64_t{1} << 48) - 1);
        c_.WriteX(commanded, static_cast<std::uint32_t>(bits >> 24));
        c_.WriteY(commanded, static_cast<std::uint32_t>(bits & 0xFFFFFF));
        last = p;
      }
      c_.Advance(kCycle);
      run.commanded.push_back(static_cast<double>(Word48(c_, commanded) - home) / kUnitsPerCount);
      run.actual.push_back(static_cast<double>(Word48(c_, model_.ActualPosition(1)) - home) /
                           kUnitsPerCount);
      std::int32_t dac = static_cast<std::int32_t>(c_.ReadX(model_.ServoOutput(1)) << 8) >> 16;
      run.output.push_back(dac);
    }
    return run;
  }

 private:
  sim::Controller c_{5};
  const sim::Model& model_;
};

std::vector<double> StepPath(double size, double dwellMs) {
  return CommandedPath({.size = size, .dwellMs = dwellMs}, kPeriod);
}

TEST(PlantFit, IdentifiesTheRigidLoadFromOneStep) {
  VirtualMotor motor;
  const Recorded run = motor.Follow(StepPath(500, 300));
  std::string error;
  const auto plant = FitPlant(run.actual, run.output, kPeriod, {}, error);
  ASSERT_TRUE(plant) << error;
  // The documented load: v += 1.5e-3·DAC − 0.002·v.
  EXPECT_FALSE(plant->resonance);
  EXPECT_NEAR(plant->inertia, 1.0 / 1.5e-3, 1.0);
  EXPECT_NEAR(plant->damping, 0.002, 2e-4);
  EXPECT_GT(plant->fitPercent, 99.0);
  EXPECT_EQ(plant->friction, 0.0);
}

TEST(PlantFit, FindsTheResonanceAndFrictionTheVirtualPlantWasGiven) {
  VirtualMotor motor;
  sim::PlantSettings settings;
  settings.resonanceHz = 120.0;
  settings.dampingRatio = 0.05;
  settings.loadRatio = 1.0;
  ASSERT_TRUE(motor.Controller().SetPlant(1, settings));
  const Recorded run = motor.Follow(StepPath(500, 300));
  std::string error;
  const auto plant = FitPlant(run.actual, run.output, kPeriod, {}, error);
  ASSERT_TRUE(plant) << error;
  ASSERT_TRUE(plant->resonance);
  EXPECT_NEAR(plant->resonance->hz, 120.0, 3.0);
  EXPECT_NEAR(plant->resonance->dampingRatio, 0.05, 0.02);
  ASSERT_TRUE(plant->resonance->antiResonanceHz);
  EXPECT_NEAR(*plant->resonance->antiResonanceHz, 120.0 / std::sqrt(2.0), 3.0);
  EXPECT_NEAR(plant->inertia, 1.0 / 1.5e-3, 10.0);

  // Friction, told from damping by a move that goes both ways.
  VirtualMotor rough;
  sim::PlantSettings friction;
  friction.coulombFriction = 150.0;
  ASSERT_TRUE(rough.Controller().SetPlant(1, friction));
  std::vector<double> path;
  for (int k = 0; k < 4000; ++k) path.push_back(ChirpPosition({.amplitude = 300, .lowHz = 2, .highHz = 20, .durationMs = 2000}, k * 0.5));
  const Recorded back = rough.Follow(path);
  const auto fitted = FitPlant(back.actual, back.output, kPeriod, {}, error);
  ASSERT_TRUE(fitted) << error;
  EXPECT_NEAR(fitted->friction, 150.0, 30.0);
}

TEST(PlantFit, RefusesRunsThatHoldNoPlant) {
  std::string error;
  std::vector<double> still(200, 5.0), output(200, 0.0);
  EXPECT_FALSE(FitPlant(still, output, kPeriod, {}, error));
  EXPECT_NE(error.find("output never changes"), std::string::npos) << error;
  output[50] = 100;
  EXPECT_FALSE(FitPlant(still, output, kPeriod, {}, error));
  EXPECT_NE(error.find("never moves"), std::string::npos) << error;
  EXPECT_FALSE(FitPlant(std::vector<double>(10, 1.0), std::vector<double>(10, 1.0), kPeriod, {},
                        error));
  EXPECT_NE(error.find("too short"), std::string::npos) << error;
  std::vector<double> moving(200);
  for (std::size_t k = 0; k < moving.size(); ++k) moving[k] = static_cast<double>(k * k);
  moving[100] = std::nan("");
  EXPECT_FALSE(FitPlant(moving, output, kPeriod, {}, error));
  EXPECT_NE(error.find("Sample 101"), std::string::npos) << error;
  EXPECT_FALSE(FitPlant(moving, output, 0.0, {}, error));
  // Noise that has nothing to do with the output.
  std::vector<double> noise(400), unrelated(400);
  std::uint64_t seed = 7;
  for (std::size_t k = 0; k < noise.size(); ++k) {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    noise[k] = static_cast<double>(seed >> 40) / 16777216.0;
    unrelated[k] = static_cast<double>(k % 7);
  }
  EXPECT_FALSE(FitPlant(noise, unrelated, kPeriod, {}, error));
}

TEST(PolynomialRoots, FindsRealAndComplexRoots) {
  // (x − 2)(x + 0.5)(x² − 2·0.9·cos(0.3)·x + 0.81)
  const double c = 2 * 0.9 * std::cos(0.3);
  const std::vector<double> quadratic{1, -c, 0.81};
  std::vector<double> p{1, -1.5, -1};  // (x − 2)(x + 0.5)
  std::vector<double> product(p.size() + quadratic.size() - 1, 0.0);
  for (std::size_t i = 0; i < p.size(); ++i)
    for (std::size_t j = 0; j < quadratic.size(); ++j) product[i + j] += p[i] * quadratic[j];
  auto roots = PolynomialRoots(product);
  ASSERT_EQ(roots.size(), 4u);
  std::sort(roots.begin(), roots.end(),
            [](auto a, auto b) { return a.real() != b.real() ? a.real() < b.real() : a.imag() < b.imag(); });
  EXPECT_NEAR(roots[0].real(), -0.5, 1e-9);
  EXPECT_NEAR(std::abs(roots[1]), 0.9, 1e-9);
  EXPECT_NEAR(std::abs(std::arg(roots[1])), 0.3, 1e-9);
  EXPECT_NEAR(roots[3].real(), 2.0, 1e-9);
  EXPECT_TRUE(PolynomialRoots(std::vector<double>{0, 0, 3}).empty());
}

TEST(MoveShape, ParsesStepsAndTrapezoidsAndMakesTheirPaths) {
  std::string error;
  auto step = ParseMoveShape("step:500,200", error);
  ASSERT_TRUE(step) << error;
  const std::vector<double> path = CommandedPath(*step, kPeriod);
  ASSERT_EQ(path.size(), 900u);  // 50 + 2·200 ms at 2 kHz
  EXPECT_EQ(path[99], 0.0);
  EXPECT_EQ(path[100], 500.0);
  EXPECT_EQ(path[499], 500.0);
  EXPECT_EQ(path[500], 0.0);

  auto trapezoid = ParseMoveShape("trapezoid:-1000,10,1,100", error);
  ASSERT_TRUE(trapezoid) << error;
  const std::vector<double> t = CommandedPath(*trapezoid, kPeriod);
  // 10 ms accelerating, 100 ms travelling at 10 counts/ms; the far end is reached at 160 ms.
  EXPECT_NEAR(t[static_cast<std::size_t>(60 * 2)], -50.0, 1e-9);
  EXPECT_NEAR(t[static_cast<std::size_t>(110 * 2)], -550.0, 1e-9);
  EXPECT_NEAR(t[static_cast<std::size_t>(160 * 2)], -1000.0, 1e-9);
  double fastest = 0.0;
  for (std::size_t k = 1; k < t.size(); ++k) fastest = std::max(fastest, std::fabs(t[k] - t[k - 1]));
  EXPECT_NEAR(fastest, 10.0 * 0.5, 1e-9);
  // Too short to reach its velocity: a triangle.
  const auto small = ParseMoveShape("trapezoid:100,10,1,10", error);
  ASSERT_TRUE(small);
  const std::vector<double> triangle = CommandedPath(*small, kPeriod);
  EXPECT_NEAR(*std::max_element(triangle.begin(), triangle.end()), 100.0, 1e-9);

  for (const char* bad : {"step", "step:", "step:500", "step:0,100", "step:500,0", "step:1e10,5",
                          "step:500,100,3", "step:5x,100", "ramp:1,2", "trapezoid:100,0,1,10",
                          "trapezoid:100,1,1", "step:nan,100", "trapezoid:1e9,1e-9,1,10"}) {
    error.clear();
    EXPECT_FALSE(ParseMoveShape(bad, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

struct Measured {
  PlantModel plant;
  VariableValues variables;
  int lag = 0;
};

Measured IdentifyWithFactoryGains(VirtualMotor& motor) {
  const Recorded run = motor.Follow(StepPath(500, 300));
  Measured m;
  std::string error;
  auto plant = FitPlant(run.actual, run.output, kPeriod, {}, error);
  EXPECT_TRUE(plant) << error;
  if (plant) m.plant = *plant;
  m.variables = motor.Variables();
  const auto loop = LoopSettingsFromVariables(m.variables, 1, kPeriod, error);
  EXPECT_TRUE(loop) << error;
  const auto lag = MeasureOutputLag(*loop, run.commanded, run.actual, run.output);
  EXPECT_TRUE(lag);
  m.lag = lag.value_or(0);
  // Replayed with its own gains, the model gives back the run.
  const Prediction replay = Predict(m.plant, *loop, m.lag, run.commanded, {1.0, 10.0});
  EXPECT_TRUE(replay.stable) << replay.problem;
  EXPECT_LT(NormalizedRmsError(replay.actual, run.actual), 1.0);
  return m;
}

// Halving and doubling Ix30 and moving Ix31 either way, each predicted from the plant of one
// step with the factory gains and then measured on the controller.
void CheckPredictions(VirtualMotor& motor, const std::string& plantName) {
  const Measured m = IdentifyWithFactoryGains(motor);
  const double ix30 = m.variables.at(130), ix31 = m.variables.at(131);
  for (const auto& [label, changes] :
       std::vector<std::pair<std::string, VariableValues>>{{"Ix30 halved", {{130, ix30 / 2}}},
                                                           {"Ix30 doubled", {{130, ix30 * 2}}},
                                                           {"Ix31 lowered", {{131, ix31 * 0.6}}},
                                                           {"Ix31 raised", {{131, ix31 * 1.5}}}}) {
    VariableValues edited = m.variables;
    std::string assignments;
    for (const auto& [n, value] : changes) {
      edited[n] = value;
      assignments += "I" + std::to_string(n) + "=" + std::to_string(std::lround(value)) + " ";
      edited[n] = std::lround(value);
    }
    std::string error;
    const auto loop = LoopSettingsFromVariables(edited, 1, kPeriod, error);
    ASSERT_TRUE(loop) << error;
    const std::vector<double> path = StepPath(500, 300);
    const Prediction p = Predict(m.plant, *loop, m.lag, path, LogFrequencies(1, 900, 200));
    ASSERT_TRUE(p.stable) << label << ": " << p.problem;
    motor.Set(assignments);
    const Recorded measured = motor.Follow(path);
    motor.Set("I130=" + std::to_string(std::lround(ix30)) + " I131=" + std::to_string(std::lround(ix31)));
    const double error5 = NormalizedRmsError(p.actual, measured.actual);
    EXPECT_LT(error5, 5.0) << plantName << ", " << label;
    ::testing::Test::RecordProperty(plantName + ", " + label, std::to_string(error5));
    ASSERT_TRUE(p.metrics);
    EXPECT_TRUE(p.margins.phaseMarginDeg) << label;
  }
}

TEST(WhatIf, PredictsTheStepsOtherGainsMake) {
  VirtualMotor motor;
  CheckPredictions(motor, "rigid");
}

TEST(WhatIf, PredictsStepsOnAPlantOfAnotherShape) {
  // A resonance, friction and encoder noise: none of them is the rigid model's shape.
  VirtualMotor motor;
  sim::PlantSettings settings;
  settings.resonanceHz = 150.0;
  settings.dampingRatio = 0.1;
  settings.loadRatio = 0.5;
  settings.coulombFriction = 40.0;
  settings.noiseCounts = 0.2;
  ASSERT_TRUE(motor.Controller().SetPlant(1, settings));
  CheckPredictions(motor, "resonant, friction, noise");
}

TEST(WhatIf, SaysWhenGainsWouldMakeTheLoopUnstable) {
  VirtualMotor motor;
  const Measured m = IdentifyWithFactoryGains(motor);
  // Derivative gain twenty times the factory value: the loop rings at the Nyquist frequency.
  VariableValues edited = m.variables;
  edited[131] *= 20;
  std::string error;
  const auto loop = LoopSettingsFromVariables(edited, 1, kPeriod, error);
  ASSERT_TRUE(loop);
  const Prediction p = Predict(m.plant, *loop, m.lag, StepPath(500, 100), {1.0, 100.0});
  EXPECT_FALSE(p.stable);
  EXPECT_TRUE(p.actual.empty());
  EXPECT_NE(p.problem.find("Unstable"), std::string::npos) << p.problem;
  EXPECT_GT(p.largestPole, 1.0);
  // No proportional gain at all: the loop holds nothing.
  edited = m.variables;
  edited[130] = 0;
  const auto none = LoopSettingsFromVariables(edited, 1, kPeriod, error);
  ASSERT_TRUE(none);
  EXPECT_FALSE(Predict(m.plant, *none, m.lag, StepPath(500, 100), {1.0}).stable);
}

TEST(WhatIf, SuggestsGainsThatMeetTheMarginsAndANotchForAResonance) {
  VirtualMotor motor;
  const Measured m = IdentifyWithFactoryGains(motor);
  std::string error;
  const auto s = SuggestSettings(m.plant, m.variables, 1, m.lag, {}, error);
  ASSERT_TRUE(s) << error;
  EXPECT_TRUE(s->changes.count(130));
  VariableValues suggested = m.variables;
  for (const auto& [n, v] : s->changes) suggested[n] = v;
  const auto loop = LoopSettingsFromVariables(suggested, 1, kPeriod, error);
  ASSERT_TRUE(loop);
  const Prediction p = Predict(m.plant, *loop, m.lag, StepPath(500, 100),
                               LogFrequencies(0.2, 999, 400));
  ASSERT_TRUE(p.stable);
  ASSERT_TRUE(p.margins.phaseMarginDeg);
  EXPECT_GE(*p.margins.phaseMarginDeg, 44.5);
  if (p.margins.gainMarginDb) {
    EXPECT_GE(*p.margins.gainMarginDb, 7.9);
  }

  PlantModel resonant = m.plant;
  resonant.resonance = PlantModel::Resonance{200.0, 0.02, 150.0};
  const auto notch = SuggestSettings(resonant, m.variables, 1, m.lag, {}, error);
  ASSERT_TRUE(notch) << error;
  EXPECT_TRUE(notch->changes.count(136) && notch->changes.count(139));
  EXPECT_NE(notch->reasons.front().find("notch"), std::string::npos);

  // A goal nothing can meet.
  EXPECT_FALSE(SuggestSettings(m.plant, m.variables, 1, m.lag, {.phaseMarginDeg = 179}, error));
  EXPECT_NE(error.find("No gains"), std::string::npos);
}

}  // namespace
}  // namespace bl::tuning
