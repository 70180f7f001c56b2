// Series processing over hostile records: every field a loaded file or a pasted text could
// bring, words of any value, every graph type and layout. Afterwards the arrays still match the
// sample count, and an extended series is a power of two.
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>

#include "fuzz/fuzz_check.h"
#include "series/series_table.h"

using namespace bl::series;

namespace {

// Ordinary eighths most of the time, and any bit pattern (NaN, infinities, extremes) otherwise.
double Number(FuzzedDataProvider& in) {
  if (in.ConsumeBool()) return std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>());
  return in.ConsumeIntegralInRange(-8000, 8000) / 8.0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static SeriesTable table;  // built once: its start-up contents are not under test here
  FuzzedDataProvider in(data, size);
  const int k = in.ConsumeIntegralInRange(0, 2);
  DataSeries& s = table[k];
  s.sourceType = static_cast<SourceType>(in.ConsumeIntegralInRange(0, 7));
  s.startingBit = in.ConsumeIntegralInRange(-2, 70);
  s.wordLength = in.ConsumeIntegralInRange(-2, 70);
  s.signedData = in.ConsumeBool();
  s.integrationMode = static_cast<IntegrationMode>(in.ConsumeIntegralInRange(-1, 5));
  s.scaleFactor = Number(in);
  s.offset = Number(in);
  s.rawDataPeriod = Number(in);
  s.normalizeFilterGain = in.ConsumeBool();
  s.N1 = Number(in);
  s.N2 = Number(in);
  s.D1 = Number(in);
  s.D2 = Number(in);
  table.graphType = in.ConsumeIntegralInRange(0, 3);
  const auto layout = static_cast<SpectrumLayout>(in.ConsumeIntegralInRange(0, 1));
  const int n = in.ConsumeIntegralInRange(0, 5000);
  s.Resize(n);
  for (int i = 0; i < n && in.remaining_bytes() > 0; ++i) {
    s.xWords[i] = in.ConsumeIntegral<std::uint32_t>();
    s.yWords[i] = in.ConsumeIntegral<std::uint32_t>();
    s.values[i] = Number(in);
  }

  table.ProcessSeries(k, layout);
  for (int j = 0; j < 3; ++j) {
    const DataSeries& t = table[j];
    BL_FUZZ_CHECK(t.sampleCount >= 0);
    const auto count = static_cast<std::size_t>(t.sampleCount);
    BL_FUZZ_CHECK(t.xWords.size() == count && t.yWords.size() == count && t.values.size() == count);
  }
  if (table.graphType == kFrequencyGraph && n > 0)
    BL_FUZZ_CHECK(s.sampleCount >= 2 && std::has_single_bit(static_cast<unsigned>(s.sampleCount)));

  // Whatever the values became, their L words decode back close to them.
  table.EncodeLWords(k);
  for (int i = 0; i < s.sampleCount; ++i) {
    const double v = s.values[i];
    if (!std::isfinite(v) || std::fabs(v) > 1e300 || std::fabs(v) < 1e-300) continue;
    const double back = DecodeL(s.xWords[i], s.yWords[i]);
    BL_FUZZ_CHECK(std::fabs(back - v) <= std::fabs(v) * 0x1p-32);
  }
  table.DeletePoints(k, in.ConsumeIntegral<int>(), k, in.ConsumeIntegral<int>());
  BL_FUZZ_CHECK(s.values.size() == static_cast<std::size_t>(s.sampleCount));
  return 0;
}
