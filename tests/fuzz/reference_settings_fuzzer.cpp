// The reference series generator's settings as a hand-edited or damaged reference.conf reaches
// them, and the same text typed into the generator's fields: every setting stays usable (a
// series that exists, a known type, finite numbers, a length the table can hold), and what is
// written back reads back the same.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "series/series_table.h"
#include "tuning/reference_series.h"
#include "tuning/reference_series_presenter.h"

namespace {

using namespace bl::tuning;

void CheckRanges(const ReferenceSettings& s) {
  BL_FUZZ_CHECK(s.series >= 1 && s.series <= bl::series::kMaxSeriesCount);
  BL_FUZZ_CHECK(static_cast<int>(s.type) >= 0 && static_cast<int>(s.type) < kReferenceTypeCount);
  BL_FUZZ_CHECK(std::isfinite(s.amplitude) && std::isfinite(s.offset) && std::isfinite(s.period) &&
                std::isfinite(s.shift) && std::isfinite(s.dataPeriod));
  BL_FUZZ_CHECK(s.length <= bl::series::kMaxSampleCount);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  ReferenceSettings settings;
  ApplyReferenceSettings(text, settings);
  CheckRanges(settings);
  const std::string written = ReferenceSettingsText(settings);
  ReferenceSettings reread;
  ApplyReferenceSettings(written, reread);
  BL_FUZZ_CHECK(ReferenceSettingsText(reread) == written);

  static bl::series::SeriesTable table;
  ReferenceSeriesPresenter presenter(settings, table, nullptr);
  presenter.Open();
  for (int f = 0; f < kReferenceFieldCount; ++f) {
    presenter.EditField(static_cast<ReferenceField>(f), text);
    CheckRanges(settings);
  }
  // A short signal from whatever the fields now hold: finite words and values.
  settings.length = std::min(settings.length, 64);
  if (CreateReferenceSeries(table, settings)) {
    for (double v : table[settings.series].values) BL_FUZZ_CHECK(!std::isnan(v));
  }
  return 0;
}
