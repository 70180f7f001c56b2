// Series texts from the clipboard: a text that is taken gives a consistent series whose own text
// reads back to the same words.
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "series/series_clipboard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace bl::series;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ParsedSeries parsed;
  const char* error = ParseSeriesText(text, parsed);
  if (error) return 0;
  const DataSeries& s = parsed.series;
  BL_FUZZ_CHECK(s.sampleCount >= 0 && s.sampleCount <= kMaxSampleCount);
  BL_FUZZ_CHECK(s.xWords.size() == static_cast<std::size_t>(s.sampleCount));
  BL_FUZZ_CHECK(s.yWords.size() == s.xWords.size() && s.values.size() == s.xWords.size());
  BL_FUZZ_CHECK(s.title.size() <= kTitleLimit && s.address <= 0x7FFFF);
  for (std::size_t i = 0; i < s.xWords.size(); ++i) {
    BL_FUZZ_CHECK(s.xWords[i] <= 0xFFFFFF && s.yWords[i] <= 0xFFFFFF);
  }

  SeriesTable table;
  table[1] = s;
  table.ProcessSeries(1, SpectrumLayout::kMagnitudePhase);
  ParsedSeries again;
  BL_FUZZ_CHECK(ParseSeriesText(SeriesText(table, 1), again) == nullptr);
  BL_FUZZ_CHECK(again.series.xWords == s.xWords && again.series.yWords == s.yWords);
  BL_FUZZ_CHECK(again.series.sourceType == s.sourceType && again.series.active == s.active);
  return 0;
}
