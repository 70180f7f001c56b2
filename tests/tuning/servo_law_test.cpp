#include "tuning/servo_law.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "series/loop_margins.h"

namespace bl::tuning {
namespace {

using series::BodeResponse;
using series::LoopMargins;
using series::MeasureLoopMargins;

constexpr double kPi = std::numbers::pi;

std::vector<double> LogGrid(double low, double high, int count) {
  std::vector<double> f(count);
  for (int k = 0; k < count; ++k) f[k] = low * std::pow(high / low, k / (count - 1.0));
  return f;
}

// A proportional law with gain k on a plant of whole cycles of delay and an integrator:
// closed forms for every margin.
struct KnownLoop {
  double k;
  DiscretePlant plant;
  double period = 0.001;
  LoopMargins Margins(double highHz) const {
    ServoLaw law;
    law.kp = k;
    law.servoPeriod = period;
    const LoopResponses loops = LoopFromPlant(plant, law, LogGrid(0.01, highHz, 20000));
    return MeasureLoopMargins(loops.openLoop, loops.closedLoop, 0.5);
  }
};

TEST(LoopMargins, MatchTheClosedFormsOfSimpleLoops) {
  {
    // L = k z⁻²/(1 − z⁻¹): |L| = k / (2 sin(ω/2)), phase −90° − 1.5 ω.
    const KnownLoop loop{0.3, {{0, 0, 1}, {1, -1}}};
    const LoopMargins m = loop.Margins(499.9);
    const double wc = 2 * std::asin(0.15);
    ASSERT_TRUE(m.crossoverHz && m.phaseMarginDeg && m.gainMarginDb && m.phaseCrossoverHz);
    EXPECT_NEAR(*m.crossoverHz, wc / (2 * kPi * loop.period), 0.01);
    EXPECT_NEAR(*m.phaseMarginDeg, 90 - 1.5 * wc * 180 / kPi, 0.05);
    EXPECT_NEAR(*m.phaseCrossoverHz, 1 / (6 * loop.period), 0.05);
    EXPECT_NEAR(*m.gainMarginDb, -20 * std::log10(0.3), 0.01);
    EXPECT_TRUE(m.bandwidthHz);
  }
  {
    // Too much gain: |L| > 1 everywhere, so no crossover, and a negative gain margin (the
    // closed loop's poles solve z² − z + 2.5 = 0, outside the unit circle).
    const LoopMargins m = KnownLoop{2.5, {{0, 0, 1}, {1, -1}}}.Margins(499.9);
    EXPECT_FALSE(m.crossoverHz);
    EXPECT_FALSE(m.phaseMarginDeg);
    ASSERT_TRUE(m.gainMarginDb);
    EXPECT_NEAR(*m.gainMarginDb, -20 * std::log10(2.5), 0.01);
  }
  {
    // L = k z⁻¹/(1 − z⁻¹): the closed loop k z⁻¹/(1 − (1 − k) z⁻¹) is a first-order low
    // pass; the phase reaches −180° only at the Nyquist frequency, beyond the grid.
    const double k = 0.2, a = 1 - k;
    const KnownLoop loop{k, {{0, 1}, {1, -1}}};
    const LoopMargins m = loop.Margins(499.0);
    const double wc = 2 * std::asin(k / 2);
    const double wb = std::acos((1 + a * a - 2 * k * k) / (2 * a));
    ASSERT_TRUE(m.crossoverHz && m.phaseMarginDeg && m.bandwidthHz);
    EXPECT_NEAR(*m.phaseMarginDeg, 90 - wc / 2 * 180 / kPi, 0.05);
    EXPECT_NEAR(*m.bandwidthHz, wb / (2 * kPi * loop.period), 0.01);
    EXPECT_FALSE(m.gainMarginDb);
    EXPECT_FALSE(m.phaseCrossoverHz);
  }
  {
    // A pure delay at half gain: never 0 dB, never -180° below 0.9 of Nyquist, and a closed
    // loop that starts below -3 dB (1/3): all "none".
    const LoopMargins m = KnownLoop{0.5, {{0, 1}, {1}}}.Margins(450.0);
    EXPECT_FALSE(m.crossoverHz || m.phaseMarginDeg || m.gainMarginDb || m.phaseCrossoverHz ||
                 m.bandwidthHz);
    EXPECT_EQ(series::LoopMarginRows(m)[1].second, "none");
  }
}

// Motor 1 as a configuration file gives it: the factory gains, but with the velocity
// feed-forward apart from the derivative gain, acceleration feed-forward, an integrator and a
// filter, so that the reference and feedback paths of the law differ.
constexpr char kVariables[] =
    "; motor 1\r\n"
    "I10=3713707\r\n"
    "I108=96 I109=96 ; scale factors\r\n"
    "I130=2000\r\nI131=1280\r\nI132 = 640\r\nI133=10000\r\nI134=0\r\nI135=2000\r\n"
    "I136=0.2\r\nI137=0\r\nI138=0.1\r\nI139=0\r\n"
    "I230=99999\r\n";

// The virtual controller's load, v += g·u − f·v each cycle and position += v, behind an
// amplifier that takes one more cycle to act: the phase then passes -180° below the Nyquist
// frequency.
constexpr double kLoadGain = 1.5e-3, kLoadFriction = 0.002;

struct LoopRun {
  std::vector<double> commanded, actual;
};

// The loop cycle by cycle, the law written as the controller's documentation gives it in
// I-variables (not through ServoLaw), driven by a random command.
LoopRun SimulateLoop(const VariableValues& v, std::size_t n) {
  const auto i = [&](int number) { return v.at(number); };
  std::mt19937 random(7);
  std::normal_distribution<double> command(0.0, 50.0);
  LoopRun run;
  double velocity = 0, position = 0, output = 0, applied = 0, integrator = 0;
  double lastCommand = 0, lastCv = 0, lastActual = 0;
  double in1 = 0, in2 = 0, out1 = 0, out2 = 0;
  for (std::size_t k = 0; k < n; ++k) {
    velocity += kLoadGain * applied - kLoadFriction * velocity;
    position += velocity;
    applied = output;
    const double r = command(random), y = position;
    const double fe = r - y, cv = r - lastCommand, ca = cv - lastCv, av = y - lastActual;
    integrator += 32 * fe;
    const double pid = i(130) / 524288.0 *
                       (i(108) * (32 * fe + (i(132) * 32 * cv + i(135) * 32 * ca) / 128 +
                                  i(133) * integrator / 8388608.0) -
                        i(131) * i(109) * 32 * av / 128);
    const double filtered = pid + i(136) * in1 + i(137) * in2 - i(138) * out1 - i(139) * out2;
    in2 = in1;
    in1 = pid;
    out2 = out1;
    out1 = filtered;
    output = filtered;
    lastCommand = r;
    lastCv = cv;
    lastActual = y;
    run.commanded.push_back(r);
    run.actual.push_back(y);
  }
  return run;
}

const DiscretePlant kLoad{{0, 0, kLoadGain}, {1, -(2 - kLoadFriction), 1 - kLoadFriction}};

TEST(ServoLaw, OpenLoopFromAMeasuredClosedLoopMatchesTheKnownPlant) {
  const VariableValues variables = ParseVariableAssignments(kVariables);
  std::string error;
  const auto law = ServoLawFromVariables(variables, 1, 0.0, error);
  ASSERT_TRUE(law) << error;
  EXPECT_NEAR(law->servoPeriod, 3713707 / 8388608.0 / 1000, 1e-15);

  const LoopRun run = SimulateLoop(variables, 1 << 18);
  const auto closed = series::EstimateFrequencyResponse(run.commanded, run.actual, law->servoPeriod,
                                                        {.segmentLength = 4096}, error);
  ASSERT_TRUE(closed) << error;
  const BodeResponse open = OpenLoopFromClosedLoop(closed->bode, *law);
  const LoopResponses model = LoopFromPlant(kLoad, *law, open.frequency);
  int compared = 0;
  for (std::size_t k = 0; k < open.frequency.size(); ++k) {
    if (open.coherence[k] < 0.99 || std::abs(model.openLoop.magnitudeDb[k]) > 26) continue;
    ++compared;
    EXPECT_NEAR(closed->bode.magnitudeDb[k], model.closedLoop.magnitudeDb[k], 0.1) << k;
    EXPECT_NEAR(open.magnitudeDb[k], model.openLoop.magnitudeDb[k], 0.1) << k;
    EXPECT_NEAR(std::remainder(open.phaseDeg[k] - model.openLoop.phaseDeg[k], 360.0), 0.0, 1.0)
        << k;
  }
  EXPECT_GT(compared, 100);

  // The margins from the measurement against those of the model on a fine grid.
  const LoopMargins measured = MeasureLoopMargins(open, closed->bode, 0.9);
  const LoopResponses fine = LoopFromPlant(kLoad, *law, LogGrid(0.5, 1100, 20000));
  const LoopMargins exact = MeasureLoopMargins(fine.openLoop, fine.closedLoop, 0.9);
  ASSERT_TRUE(exact.crossoverHz && exact.phaseMarginDeg && exact.gainMarginDb && exact.bandwidthHz);
  ASSERT_TRUE(measured.crossoverHz && measured.phaseMarginDeg && measured.gainMarginDb &&
              measured.bandwidthHz);
  EXPECT_NEAR(*measured.crossoverHz / *exact.crossoverHz, 1.0, 0.01);
  EXPECT_NEAR(*measured.phaseMarginDeg, *exact.phaseMarginDeg, 1.0);
  EXPECT_NEAR(*measured.gainMarginDb, *exact.gainMarginDb, 0.3);
  EXPECT_NEAR(*measured.bandwidthHz / *exact.bandwidthHz, 1.0, 0.01);
  // Where the excitation did not reach, nothing crosses: the same measurement with the input's
  // power taken as 50 dB down from 60 Hz on has no crossover left.
  BodeResponse faint = open;
  for (std::size_t k = 0; k < faint.frequency.size(); ++k)
    if (faint.frequency[k] > 60) faint.inputPowerDb[k] = -50;
  EXPECT_FALSE(MeasureLoopMargins(faint, closed->bode, 0.9).crossoverHz);
  // A healthy loop: positive margins.
  EXPECT_GT(*exact.phaseMarginDeg, 20);
  EXPECT_GT(*exact.gainMarginDb, 3);

  // The simpler L = T / (1 − T) holds only when the paths coincide; here it would be wrong.
  const std::size_t k = 60;
  const std::complex<double> naive = closed->bode.response[k] / (1.0 - closed->bode.response[k]);
  EXPECT_GT(std::abs(20 * std::log10(std::abs(naive)) - model.openLoop.magnitudeDb[k]), 0.5);
}

TEST(ServoLaw, ReadsVariablesAsConfigurationFilesHoldThem) {
  const VariableValues v = ParseVariableAssignments(
      "CLOSE\r\nI130=2000 i131 = 1280;I132=5\r\nMS0,MI910=$40\r\nI5001=$C00100\n"
      "I8192=1 I140=nan I141=1e999 I142=12abc I143..150=0 P1=3 I144=-0.5\rI145=$FF\n"
      "XI146=7 I0147=8\n");
  EXPECT_EQ(v.at(130), 2000);
  EXPECT_EQ(v.at(131), 1280);
  EXPECT_FALSE(v.count(132));  // commented out
  EXPECT_FALSE(v.count(910));  // a MACRO variable, not an I-variable
  EXPECT_EQ(v.at(5001), 0xC00100);
  for (int n : {8192, 140, 141, 142, 143, 146}) EXPECT_FALSE(v.count(n)) << n;
  EXPECT_EQ(v.at(144), -0.5);
  EXPECT_EQ(v.at(145), 255);
  EXPECT_EQ(v.at(147), 8);

  std::string error;
  VariableValues law{{108, 96}, {109, 96}, {130, 2000}};
  EXPECT_TRUE(ServoLawFromVariables(law, 1, 0.000442, error));
  EXPECT_FALSE(ServoLawFromVariables(law, 1, 0.0, error));  // no I10 and no period
  EXPECT_FALSE(ServoLawFromVariables(law, 2, 0.000442, error));
  EXPECT_EQ(error, "I208 is missing.");
  law[109] = 0;
  EXPECT_FALSE(ServoLawFromVariables(law, 1, 0.000442, error));
  // Ix34 = 1 holds the integrator through a commanded move.
  law = {{108, 96}, {109, 96}, {130, 2000}, {133, 5000}, {134, 1}};
  EXPECT_EQ(ServoLawFromVariables(law, 1, 0.000442, error)->ki, 0.0);
  law[134] = 0;
  EXPECT_GT(ServoLawFromVariables(law, 1, 0.000442, error)->ki, 0.0);
}

}  // namespace
}  // namespace bl::tuning
