// Data files as a damaged or hostile disk holds them, read with and without the magic: a file is
// taken whole or not at all, what is taken writes back to a file that reads the same, and the
// memory spent stays within what the file's own bytes can fill.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "graph/graph_input.h"
#include "graph/series_files.h"
#include "series/series_file.h"
#include "series/series_table.h"

namespace {

using namespace bl;

const series::SeriesTable& StartTable() {
  static const series::SeriesTable table;
  return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view data(reinterpret_cast<const char*>(bytes), size);
  static const std::string start = graph::EncodeDataFile(StartTable(), graph::GraphView());
  for (bool withMagic : {true, false}) {
    series::SeriesTable table = StartTable();
    graph::GraphView view;
    std::string error;
    if (!graph::ReadDataFile(data, withMagic, table, view, error)) {
      BL_FUZZ_CHECK(!error.empty());
      BL_FUZZ_CHECK(graph::EncodeDataFile(table, view) == start);
      continue;
    }
    std::size_t words = 0;
    for (int k = 1; k <= series::kMaxSeriesCount; ++k) {
      BL_FUZZ_CHECK(table[k].xWords.size() == static_cast<std::size_t>(table[k].sampleCount));
      BL_FUZZ_CHECK(table[k].title.size() <= series::kTitleLimit);
      words += table[k].xWords.size();
    }
    BL_FUZZ_CHECK(words <= size / 8 + 48 * 10 + 4096);
    graph::ProcessLoadedSeries(table, view, nullptr);
    const std::string written = graph::EncodeDataFile(table, view);
    series::SeriesTable again = StartTable();
    graph::GraphView againView;
    BL_FUZZ_CHECK(graph::ReadDataFile(written, true, again, againView, error));
    BL_FUZZ_CHECK(graph::EncodeDataFile(again, againView) == written);
  }
  return 0;
}
