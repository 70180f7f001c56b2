// The chirp excitation: its program on the virtual controller traces the positions the core
// computes, and the response it excites measures the virtual controller's loop.
#include "tuning/excitation.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <tuple>
#include <string>
#include <vector>

#include "series/frequency_estimate.h"
#include "series/loop_margins.h"
#include "sim/controller.h"
#include "sim/model.h"
#include "tuning/servo_law.h"

namespace bl::tuning {
namespace {

constexpr std::chrono::nanoseconds kCycle{500000};  // I10=4194304: half a millisecond
constexpr double kUnitsPerCount = 32 * 96;

double Position(const sim::Controller& c, std::uint32_t address) {
  std::int64_t raw = (static_cast<std::int64_t>(c.ReadX(address)) << 24) | c.ReadY(address);
  if (raw >= (std::int64_t{1} << 47)) raw -= std::int64_t{1} << 48;
  return static_cast<double>(raw) / kUnitsPerCount;
}

struct ChirpRun {
  std::vector<double> commanded, actual;
};

// Motor 1 of a Turbo PMAC2 on the factory gains runs the chirp as program 998 in &8; both
// positions are read every servo cycle from the start until the program has come back.
ChirpRun RunChirp(sim::Controller& c, const ChirpParameters& p, int extraCycles) {
  EXPECT_EQ(c.Respond("I10=4194304 #1J/"), "\x06");
  for (const std::string& line : ChirpProgramLines(p, 998, false))
    EXPECT_EQ(c.Execute(line).error, 0) << line;
  EXPECT_EQ(c.Execute("&8 UNDEFINE ALL #1->X &8 B998R").error, 0);
  const sim::Model& model = sim::ModelFor(c.TypeCode());
  ChirpRun run;
  const int cycles = static_cast<int>(p.durationMs * 2) + extraCycles;
  for (int k = 0; k < cycles; ++k) {
    c.Advance(kCycle);
    run.commanded.push_back(Position(c, model.CommandedPosition(1)));
    run.actual.push_back(Position(c, model.ActualPosition(1)));
  }
  return run;
}

TEST(Chirp, RefusesParametersTheProgramCannotRun) {
  EXPECT_FALSE(ChirpProblem({}));
  EXPECT_TRUE(ChirpProblem({.amplitude = 0}));
  EXPECT_TRUE(ChirpProblem({.amplitude = 2e6}));
  EXPECT_TRUE(ChirpProblem({.lowHz = 0}));
  EXPECT_TRUE(ChirpProblem({.lowHz = 50, .highHz = 40}));
  EXPECT_TRUE(ChirpProblem({.highHz = 150}));
  EXPECT_TRUE(ChirpProblem({.durationMs = 50}));
  EXPECT_TRUE(ChirpProblem({.durationMs = std::nan("")}));
  EXPECT_FALSE(ChirpProblem({.lowHz = 20, .highHz = 20}));  // a plain sine
}

TEST(Chirp, TheControllerProgramTracesTheComputedPositions) {
  const ChirpParameters p{.amplitude = 200, .lowHz = 2, .highHz = 80, .durationMs = 1000};
  EXPECT_DOUBLE_EQ(ChirpSegmentMs(p), 1.0);
  sim::Controller c(5);
  const ChirpRun run = RunChirp(c, p, 1200);
  // The program starts within a few cycles; from there every segment end (two cycles apart)
  // lies on the chirp.
  int start = 0;
  while (start < 20 && run.commanded[static_cast<std::size_t>(start)] == 0.0) ++start;
  ASSERT_GT(start, 0);
  ASSERT_LT(start, 20);
  double worst = 0.0;
  for (int ms = 0; ms <= 1000; ++ms) {
    const auto k = static_cast<std::size_t>(start - 1 + 2 * ms);
    worst = std::max(worst, std::abs(run.commanded[k] - ChirpPosition(p, ms)));
  }
  EXPECT_LT(worst, 0.01);
  // Afterwards back where it began.
  EXPECT_NEAR(run.commanded.back(), 0.0, 1e-6);
}

TEST(Chirp, ExcitesAResponseWhoseMarginsAreThoseOfTheVirtualLoop) {
  const ChirpParameters p{.amplitude = 300, .lowHz = 1, .highHz = 100, .durationMs = 4000};
  sim::Controller c(5);
  const ChirpRun run = RunChirp(c, p, 0);
  std::string error;
  const auto closed = series::EstimateFrequencyResponse(run.commanded, run.actual, 0.0005,
                                                        {.segmentCount = 8}, error);
  ASSERT_TRUE(closed) << error;
  VariableValues ivars;
  for (int n : {10, 108, 109, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139})
    ivars[n] = std::stod(c.Respond("I" + std::to_string(n)));
  const auto law = ServoLawFromVariables(ivars, 1, 0.0, error);
  ASSERT_TRUE(law) << error;
  const series::BodeResponse open = OpenLoopFromClosedLoop(closed->bode, *law);
  // The documented load: v += 1.5e-3·DAC − 0.002·v, position += v, the output acting the
  // cycle after it is computed.
  const DiscretePlant load{{0, 1.5e-3}, {1, -1.998, 0.998}};
  const LoopResponses model = LoopFromPlant(load, *law, open.frequency);
  const series::LoopMargins measured =
      series::MeasureLoopMargins(open, closed->bode, series::kMarginCoherence);
  const series::LoopMargins expected =
      series::MeasureLoopMargins(model.openLoop, model.closedLoop, 0.0);
  ASSERT_TRUE(measured.crossoverHz && expected.crossoverHz);
  EXPECT_NEAR(*measured.crossoverHz / *expected.crossoverHz, 1.0, 0.03);
  EXPECT_NEAR(*measured.phaseMarginDeg, *expected.phaseMarginDeg, 3.0);
}

// Motor 1 of a Turbo PMAC2 with the factory gains and the given settings, servoing every
// cycleMs, runs the chirp (or plain sine) as program 998; both positions every servo cycle.
ChirpRun RunAt(const ChirpParameters& p, double cycleMs, const std::string& settings,
               int extraCycles) {
  sim::Controller c(5);
  const std::chrono::nanoseconds cycle{std::llround(cycleMs * 1e6)};
  EXPECT_EQ(c.Respond("I10=" + std::to_string(std::lround(cycleMs * 8388608)) + " " + settings +
                      " #1J/"),
            "\x06");
  for (const std::string& line : ChirpProgramLines(p, 998, false))
    EXPECT_EQ(c.Execute(line).error, 0) << line;
  EXPECT_EQ(c.Execute("&8 UNDEFINE ALL #1->X &8 B998R").error, 0);
  const sim::Model& model = sim::ModelFor(c.TypeCode());
  ChirpRun run;
  const int cycles = static_cast<int>(p.durationMs / cycleMs) + extraCycles;
  for (int k = 0; k < cycles; ++k) {
    c.Advance(cycle);
    run.commanded.push_back(Position(c, model.CommandedPosition(1)));
    run.actual.push_back(Position(c, model.ActualPosition(1)));
  }
  return run;
}

// The closed loop at one frequency, measured the slow way: a plain sine of that frequency runs
// for a second, and whole periods of its second half are correlated with the command.
std::complex<double> SineResponse(double hz, double cycleMs, const std::string& settings) {
  const ChirpParameters p{.amplitude = 200, .lowHz = hz, .highHz = hz, .durationMs = 1000};
  const ChirpRun run = RunAt(p, cycleMs, settings, 0);
  const int cycles = static_cast<int>(run.actual.size());
  const double perPeriod = 1000.0 / hz / cycleMs;
  const int count = static_cast<int>(std::lround(static_cast<int>(0.45 * cycles / perPeriod) * perPeriod));
  const int end = cycles - 20;
  std::complex<double> r{}, y{};
  for (int k = end - count; k < end; ++k) {
    const auto n = static_cast<std::size_t>(k);
    const std::complex<double> turn =
        std::polar(1.0, -2 * std::numbers::pi * hz * k * cycleMs / 1000);
    r += run.commanded[n] * turn;
    y += run.actual[n] * turn;
  }
  return y / r;
}

TEST(Chirp, OneShortChirpGivesTheMarginsOfASlowSineBySineMeasurement) {
  // A 2 kHz servo with a strong low-pass in the loop's filter and gains to match, so that the
  // phase passes -180 deg well below the chirp's highest frequency and the gain margin is
  // measured too: crossover near 28 Hz, phase crossover near 72 Hz, bandwidth near 66 Hz.
  constexpr double kCycleMs = 0.5;
  const std::string settings = "I130=20 I131=2560 I132=2560 I138=-1.75 I139=0.8";
  const VariableValues ivars{{10, 4194304}, {108, 96},  {109, 96},    {130, 20},
                             {131, 2560},   {132, 2560}, {138, -1.75}, {139, 0.8}};
  std::string error;
  const auto law = ServoLawFromVariables(ivars, 1, 0.0, error);
  ASSERT_TRUE(law) << error;

  series::BodeResponse slow;
  for (int i = 0; i <= 80; ++i) slow.frequency.push_back(2.0 * std::pow(50.0, i / 80.0));
  for (double hz : slow.frequency) {
    slow.response.push_back(SineResponse(hz, kCycleMs, settings));
    slow.coherence.push_back(1.0);
  }
  series::SetBodeFromResponse(slow);
  const series::LoopMargins bySine = series::MeasureLoopMargins(
      OpenLoopFromClosedLoop(slow, *law), slow, series::kMarginCoherence);

  const ChirpParameters p{.amplitude = 200, .lowHz = 1, .highHz = 100, .durationMs = 2000};
  // Out and back, and the loop at rest again by the end of the run.
  const ChirpRun run = RunAt(p, kCycleMs, settings, 800);
  const auto chirp = series::EstimateFrequencyResponse(run.commanded, run.actual, kCycleMs / 1000,
                                                       {.wholeRun = true}, error);
  ASSERT_TRUE(chirp) << error;
  const series::LoopMargins byChirp = series::MeasureLoopMargins(
      OpenLoopFromClosedLoop(chirp->bode, *law), chirp->bode, series::kMarginCoherence);

  ASSERT_TRUE(bySine.crossoverHz && byChirp.crossoverHz);
  ASSERT_TRUE(bySine.phaseMarginDeg && byChirp.phaseMarginDeg);
  ASSERT_TRUE(bySine.gainMarginDb && byChirp.gainMarginDb);
  ASSERT_TRUE(bySine.bandwidthHz && byChirp.bandwidthHz);
  EXPECT_NEAR(*byChirp.phaseMarginDeg, *bySine.phaseMarginDeg, 3.0);
  EXPECT_NEAR(*byChirp.gainMarginDb, *bySine.gainMarginDb, 0.5);
  EXPECT_NEAR(*byChirp.bandwidthHz / *bySine.bandwidthHz, 1.0, 0.02);
  EXPECT_NEAR(*byChirp.crossoverHz / *bySine.crossoverHz, 1.0, 0.02);
  for (const auto& [name, a, b] :
       {std::tuple{"crossover Hz", *byChirp.crossoverHz, *bySine.crossoverHz},
        {"phase margin deg", *byChirp.phaseMarginDeg, *bySine.phaseMarginDeg},
        {"gain margin dB", *byChirp.gainMarginDb, *bySine.gainMarginDb},
        {"bandwidth Hz", *byChirp.bandwidthHz, *bySine.bandwidthHz}})
    RecordProperty(name, std::to_string(a) + " by chirp, " + std::to_string(b) + " by sine");
}

}  // namespace
}  // namespace bl::tuning
