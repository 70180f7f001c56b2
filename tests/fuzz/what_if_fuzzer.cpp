// A what-if prediction from outside data: a move as the command line gives it, a motor's
// I-variables as a file holds them, and a run's actual position and output (16-bit or raw
// doubles, NaN and infinities included). Whatever arrives, each step refuses with a reason or
// gives finite numbers of the promised sizes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_samples.h"
#include "tuning/plant_fit.h"
#include "tuning/what_if.h"

using namespace bl;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider in(bytes, size);
  const std::string moveText = in.ConsumeRandomLengthString(64);
  const std::string ivars = in.ConsumeRandomLengthString(1024);
  const int motor = in.ConsumeIntegralInRange(0, 33);
  const double period = in.ConsumeBool() ? 0.0005 : in.ConsumeFloatingPoint<double>();
  const bool raw = in.ConsumeBool();
  const std::vector<std::uint8_t> data = in.ConsumeRemainingBytes<std::uint8_t>();

  std::string error;
  std::vector<double> path;
  if (const auto move = tuning::ParseMoveShape(moveText, error)) {
    BL_FUZZ_CHECK(move->size != 0.0 && std::isfinite(move->size));
    // The path of a long move is bounded, but not small enough for every run of a fuzzer.
    if (period >= 1e-4) {
      path = tuning::CommandedPath(*move, period);
      BL_FUZZ_CHECK(path.size() <= tuning::kMaxPredictedSamples);
      for (double p : path) BL_FUZZ_CHECK(std::isfinite(p));
    }
  } else {
    BL_FUZZ_CHECK(!error.empty());
  }

  const std::vector<double> samples = fuzz::DecodeSamples(data, raw, 8192);
  const std::size_t half = samples.size() / 2;
  const std::span<const double> position(samples.data(), half), output(samples.data() + half, half);
  error.clear();
  const auto plant = tuning::FitPlant(position, output, period, {}, error);
  if (!plant) {
    BL_FUZZ_CHECK(!error.empty());
    return 0;
  }
  BL_FUZZ_CHECK(std::isfinite(plant->inertia) && plant->inertia > 0.0);
  BL_FUZZ_CHECK(plant->fitPercent >= 50.0 && plant->fitPercent <= 100.0);
  const auto loop = tuning::LoopSettingsFromVariables(tuning::ParseVariableAssignments(ivars),
                                                      motor, period, error);
  if (!loop) return 0;
  const std::vector<double> commanded = path.empty() || path.size() > 20000
                                            ? std::vector<double>(position.begin(), position.end())
                                            : path;
  const tuning::Prediction p = tuning::Predict(*plant, *loop, 0, commanded, {1.0, 10.0, 100.0});
  if (!p.stable) {
    BL_FUZZ_CHECK(!p.problem.empty() && p.actual.empty());
    return 0;
  }
  BL_FUZZ_CHECK(p.actual.size() == commanded.size() && p.output.size() == commanded.size());
  for (double u : p.output) BL_FUZZ_CHECK(std::fabs(u) <= 32768.0);
  return 0;
}
