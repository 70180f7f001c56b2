// Plot files of the maker's plotting tool as any text may look: the header lines stay within
// their limit, the rows within the declared counts, and an import leaves every series with its
// arrays the size of its sample count.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "graph/graph_settings.h"
#include "graph/series_files.h"
#include "series/series_table.h"
#include "series/series_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace bl;
  const std::string_view data(reinterpret_cast<const char*>(bytes), size);
  const series::PlotFile plot = series::ParsePlotFile(data);
  for (const auto* title : {&plot.topTitle, &plot.bottomTitle, &plot.leftTitle, &plot.rightTitle})
    BL_FUZZ_CHECK(!*title || (*title)->size() <= series::kPlotLineLimit);
  BL_FUZZ_CHECK(plot.rows.size() <= static_cast<std::size_t>(std::max(plot.pointCount, 0)));
  for (const auto& row : plot.rows)
    BL_FUZZ_CHECK(!row.empty() && row.size() <= static_cast<std::size_t>(plot.seriesCount) + 1);
  // The import makes arrays of the declared length; kept small here to keep runs fast.
  if (plot.pointCount > 4096) return 0;
  static series::SeriesTable table;
  graph::GraphSettings settings;
  const bool imported = graph::ApplyPlotFile(data, table, settings);
  BL_FUZZ_CHECK(imported == (plot.dataFound && series::PlotFileImportable(plot)));
  for (int k = 1; k <= 4; ++k) {
    BL_FUZZ_CHECK(table[k].values.size() == static_cast<std::size_t>(table[k].sampleCount));
    BL_FUZZ_CHECK(table[k].xWords.size() == table[k].values.size());
    table.ProcessSeries(k, series::SpectrumLayout::kMagnitudePhase);
  }
  return 0;
}
