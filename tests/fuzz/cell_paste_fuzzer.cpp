// Cell blocks from the clipboard pasted at a cell chosen by the first two bytes: every series
// stays consistent and the reported corner lies within what was pasted.
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "platform/fake/fake_desktop.h"
#include "series/series_clipboard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace bl::series;
  if (size < 2) return 0;
  SeriesTable table;
  table.seriesCount = data[0] & 1 ? 24 : 48;
  const int s = 1 + (data[0] >> 1) % table.seriesCount;
  const int p = data[1] * 64;
  bl::platform::FakeDesktop desktop;
  desktop.SetClipboardText(std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2));
  PastedCells result;
  if (PasteCells(table, s, p, desktop, result)) {
    BL_FUZZ_CHECK(result.lastSeries >= s && result.lastSeries <= table.seriesCount);
    BL_FUZZ_CHECK(result.lastPoint >= p && result.lastPoint < kMaxSampleCount);
    // Rows may be ragged: the last point went to some series of the block, not always the last.
    bool reached = false;
    for (int k = s; k <= result.lastSeries; ++k) reached |= table[k].sampleCount > result.lastPoint;
    BL_FUZZ_CHECK(reached);
  } else {
    BL_FUZZ_CHECK(desktop.messages.size() <= 1);
  }
  for (int k = 0; k < kSeriesTableSize; ++k) {
    const DataSeries& series = table[k];
    const auto n = static_cast<std::size_t>(series.sampleCount);
    BL_FUZZ_CHECK(series.xWords.size() == n && series.yWords.size() == n &&
                  series.values.size() == n);
  }
  return 0;
}
