// The upload of gathered data as hostile replies reach it: the gather registers, the plan made of
// them, and blocks of RHX/RHY replies (no words, short, garbled, huge) placed into the series.
// The input: the active series and their types, the register words, then per block the address,
// the count and the two replies.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "series/series_table.h"
#include "series/upload.h"

namespace {

using namespace bl::series;

// Enough samples to reach the placement's limits without slowing every run with huge arrays.
constexpr int kMaxFuzzSamples = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  static SeriesTable table;
  table.seriesCount = data.ConsumeBool() ? 24 : 48;
  for (int k = 1; k <= kMaxSeriesCount; ++k) table[k].active = false;
  const int series = data.ConsumeIntegralInRange(1, 6);
  for (int k = 1; k <= series; ++k) {
    table[k].active = data.ConsumeBool();
    table[k].sourceType = static_cast<SourceType>(data.ConsumeIntegralInRange(1, 6));
  }
  const int words = WordsPerSample(table);
  BL_FUZZ_CHECK(words % 2 == 0 && words <= 2 * kMaxSeriesCount);

  const int typeCode = data.ConsumeIntegralInRange(0, 7);
  const int bufEnd = data.ConsumeIntegralInRange(-1, 0x110000);
  const auto startWord = data.ConsumeIntegral<std::uint32_t>();
  const auto pointerWord = data.ConsumeIntegral<std::uint32_t>();
  const UploadPlan plan = PlanUpload(typeCode, bufEnd, words, startWord, pointerWord);
  BL_FUZZ_CHECK(plan.sampleCount >= 0 && plan.sampleCount <= kMaxSampleCount);
  BL_FUZZ_CHECK(plan.start >= 0 && plan.start <= 0xFFFFF && plan.pointer <= 0xFFFFF);

  const auto sampleSlots = UploadSlots(table, words);
  BL_FUZZ_CHECK(static_cast<int>(sampleSlots.size()) == words);
  const int samples = std::min(plan.sampleCount, kMaxFuzzSamples);
  for (int k = 1; k <= kMaxSeriesCount; ++k)
    if (table[k].active) table[k].Resize(samples);

  for (int block = 0; block < 8 && data.remaining_bytes() > 0; ++block) {
    const int current = data.ConsumeIntegralInRange(plan.start - 40, plan.start + 2 * samples + 40);
    const int n = data.ConsumeIntegralInRange(0, kUploadBlock);
    const std::string x = data.ConsumeRandomLengthString(600);
    const std::string y = data.ConsumeRandomLengthString(600);
    const int missing = PlaceUploadBlock(table, plan, sampleSlots, current, n, x, y);
    BL_FUZZ_CHECK(missing >= 0 && missing <= n);
    for (int j = 0; j <= n + 1; ++j) {
      const auto word = BlockReplyWord(x, j);
      BL_FUZZ_CHECK(!word || *word <= 0xFFFFFF);
    }
  }
  for (int k = 1; k <= kMaxSeriesCount; ++k) {
    const DataSeries& s = table[k];
    const auto n = static_cast<std::size_t>(s.sampleCount);
    BL_FUZZ_CHECK(s.xWords.size() == n && s.yWords.size() == n && s.values.size() == n);
    for (std::size_t i = 0; i < n; ++i)
      BL_FUZZ_CHECK(s.xWords[i] <= 0xFFFFFF && s.yWords[i] <= 0xFFFFFF);
  }
  return 0;
}
