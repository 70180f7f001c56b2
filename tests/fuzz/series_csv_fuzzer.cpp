// CSV text as any file or paste may hold: the reader takes all of it or none, and what it takes
// keeps every series' arrays at its sample count and writes back as CSV.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "series/series_csv.h"
#include "series/series_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace bl::series;
  static const SeriesTable start;
  SeriesTable table = start;
  table.seriesCount = 24;
  std::string error;
  if (!ReadSeriesCsv(std::string_view(reinterpret_cast<const char*>(bytes), size), table, error)) {
    BL_FUZZ_CHECK(!error.empty());
    for (int k = 1; k <= kMaxSeriesCount; ++k)
      BL_FUZZ_CHECK(table[k].values == start[k].values && table[k].title == start[k].title);
    return 0;
  }
  for (int k = 1; k <= kMaxSeriesCount; ++k) {
    BL_FUZZ_CHECK(table[k].values.size() == static_cast<std::size_t>(table[k].sampleCount));
    BL_FUZZ_CHECK(table[k].xWords.size() == table[k].values.size());
    // A series the text filled has at most a value per byte; the others kept theirs.
    BL_FUZZ_CHECK(table[k].values.size() <= size || table[k].values == start[k].values);
  }
  table.ProcessAll();
  ActiveSeriesCsv(table);
  return 0;
}
