// A run and a motor's I-variables as any file may hold them: the assignments text first, then the
// estimate's options (segments, or the whole run with its smoothing), then the samples (16-bit or raw doubles, NaN and infinities included), the
// first half commanded and the second actual. Whatever arrives, a response is refused with a
// reason or holds finite numbers in its ranges, and so do the open loop and its margins.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_samples.h"
#include "series/frequency_estimate.h"
#include "series/loop_margins.h"
#include "tuning/servo_law.h"

using namespace bl;

namespace {

void CheckResponse(const series::BodeResponse& b) {
  const std::size_t n = b.frequency.size();
  BL_FUZZ_CHECK(b.response.size() == n && b.magnitudeDb.size() == n && b.phaseDeg.size() == n &&
                b.coherence.size() == n);
  for (std::size_t k = 0; k < n; ++k) {
    BL_FUZZ_CHECK(b.frequency[k] > 0.0 && (k == 0 || b.frequency[k] > b.frequency[k - 1]));
    BL_FUZZ_CHECK(std::isfinite(b.magnitudeDb[k]) && b.magnitudeDb[k] >= series::kMagnitudeFloorDb);
    BL_FUZZ_CHECK(std::isfinite(b.phaseDeg[k]));
    BL_FUZZ_CHECK(b.coherence[k] >= 0.0 && b.coherence[k] <= 1.0);
  }
}

void CheckMargin(const std::optional<double>& v) { BL_FUZZ_CHECK(!v || std::isfinite(*v)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider in(bytes, size);
  const std::string text = in.ConsumeRandomLengthString(4096);
  const tuning::VariableValues values = tuning::ParseVariableAssignments(text);
  for (const auto& [number, value] : values) {
    BL_FUZZ_CHECK(number >= 0 && number <= 8191);
    BL_FUZZ_CHECK(std::isfinite(value));
  }
  series::EstimateOptions options;
  if (in.ConsumeBool())
    options.segmentLength = in.ConsumeIntegralInRange<long long>(-1, 5000);
  else
    options.segmentCount = in.ConsumeIntegralInRange(-1, 5000);
  const int motor = in.ConsumeIntegralInRange(0, 40);
  const double period = in.ConsumeBool() ? 0.000442 : in.ConsumeFloatingPoint<double>();
  const bool raw = in.ConsumeBool();
  options.wholeRun = in.ConsumeBool();
  options.smoothingBins = in.ConsumeIntegralInRange(0, 70);
  const std::vector<std::uint8_t> data = in.ConsumeRemainingBytes<std::uint8_t>();

  const std::vector<double> samples = fuzz::DecodeSamples(data, raw);
  const std::size_t half = samples.size() / 2;
  const std::span<const double> commanded(samples.data(), half),
      actual(samples.data() + half, half);
  std::string error;
  const auto closed = series::EstimateFrequencyResponse(commanded, actual, period, options, error);
  if (!closed) {
    BL_FUZZ_CHECK(!error.empty());
    return 0;
  }
  BL_FUZZ_CHECK(closed->segmentCount >= (options.wholeRun ? 1 : 2));
  CheckResponse(closed->bode);
  const auto law = tuning::ServoLawFromVariables(values, motor, period, error);
  if (!law) return 0;
  const series::BodeResponse open = tuning::OpenLoopFromClosedLoop(closed->bode, *law);
  CheckResponse(open);
  const series::LoopMargins m = series::MeasureLoopMargins(open, closed->bode, 0.5);
  for (const auto* v :
       {&m.crossoverHz, &m.phaseMarginDeg, &m.phaseCrossoverHz, &m.gainMarginDb, &m.bandwidthHz})
    CheckMargin(*v);
  return 0;
}
