// The gather settings file as a hand-edited or damaged gather.conf reaches it, and the gather
// queries' replies: whatever the text, every setting stays within its range, and what is written
// back reads back the same.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "series/gather.h"
#include "series/series_table.h"

namespace {

using namespace bl::series;

void CheckRanges(const GatherBuffer& buffer, const SeriesTable& table) {
  BL_FUZZ_CHECK(buffer.period >= 1 && buffer.bufferSize >= 0 && buffer.mode >= 0 &&
                buffer.mode <= 3);
  for (int k = 1; k <= kMaxSeriesCount; ++k) {
    const DataSeries& s = table[k];
    BL_FUZZ_CHECK(s.address <= 0x7FFFF);
    BL_FUZZ_CHECK(static_cast<int>(s.sourceType) >= 1 && static_cast<int>(s.sourceType) <= 6);
    BL_FUZZ_CHECK(s.startingBit >= 0 && s.startingBit <= 23);
    BL_FUZZ_CHECK((s.wordLength >= 1 && s.wordLength <= 24) || s.wordLength == 48);
    BL_FUZZ_CHECK(static_cast<int>(s.integrationMode) >= 0 &&
                  static_cast<int>(s.integrationMode) <= 4);
    BL_FUZZ_CHECK(std::isfinite(s.scaleFactor) && std::isfinite(s.offset) && std::isfinite(s.N1) &&
                  std::isfinite(s.N2) && std::isfinite(s.D1) && std::isfinite(s.D2));
    BL_FUZZ_CHECK(s.title.size() <= kTitleLimit);
    for (char c : s.title) BL_FUZZ_CHECK(static_cast<unsigned char>(c) >= 32 && c != 127);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  long long value = 0;
  ParseGatherReply(text, value);

  static const SeriesTable kFresh;
  static SeriesTable table;
  static SeriesTable again;
  for (int k = 1; k <= kMaxSeriesCount; ++k) table[k] = kFresh[k];
  GatherBuffer buffer;
  ApplyGatherSettings(text, buffer, table);
  CheckRanges(buffer, table);

  const std::string written = GatherSettingsText(buffer, table);
  GatherBuffer reread;
  for (int k = 1; k <= kMaxSeriesCount; ++k) again[k] = kFresh[k];
  ApplyGatherSettings(written, reread, again);
  BL_FUZZ_CHECK(GatherSettingsText(reread, again) == written);
  return 0;
}
