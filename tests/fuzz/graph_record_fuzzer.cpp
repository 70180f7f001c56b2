// Graph records as a damaged or hostile graph library or series file holds them: decoding never
// fails on a whole record, what it reads writes back to a record that reads the same, and the
// graph's arithmetic on whatever ranges the record brings stays bounded.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "graph/graph_input.h"
#include "graph/graph_record.h"
#include "series/series_table.h"

namespace {

using namespace bl::graph;

void CheckRoundTrip(const GraphSettings& read) {
  for (const std::string* title : {&read.topTitle, &read.bottomTitle, &read.leftTitle,
                                   &read.rightTitle, &read.leftTitle2, &read.rightTitle2}) {
    BL_FUZZ_CHECK(title->size() <= kRecordTitleLimit);
    BL_FUZZ_CHECK(title->find('\0') == std::string::npos);
  }
  const std::string written = EncodeGraphRecord(read);
  BL_FUZZ_CHECK(written.size() == kGraphRecordSize);
  GraphSettings again;
  BL_FUZZ_CHECK(DecodeGraphRecord(written, again));
  BL_FUZZ_CHECK(EncodeGraphRecord(again) == written);
  BL_FUZZ_CHECK(again.topTitle == read.topTitle && again.graphType == read.graphType &&
                again.slots[3].thickness == read.slots[3].thickness &&
                again.axes[kRight2].gridLines == read.axes[kRight2].gridLines);
}

// What the view does with the record's ranges: windows, bars, ticks and labels.
void UseRanges(GraphSettings& settings) {
  GraphScrollBars bars;
  ClampWindows(settings, bars);
  for (const ScrollBar& bar : {bars.horizontal, bars.vertical[0], bars.vertical[1]})
    BL_FUZZ_CHECK(bar.page >= 0 && bar.page <= 10000 && bar.position >= 0 &&
                  bar.position <= 10000);
  for (const AxisRange* axis : {&settings.bottom, &settings.axes[0], &settings.axes[1],
                                &settings.axes[2], &settings.axes[3]}) {
    const Ticks ticks = TickSpacing(axis->visibleMaximum, axis->visibleMinimum, axis->gridSpacing);
    BL_FUZZ_CHECK(ticks.spacing > 0 && ticks.decimals >= 0 && ticks.decimals <= 10);
    const std::vector<double> values =
        TickValues(axis->visibleMaximum, axis->visibleMinimum, ticks.spacing);
    BL_FUZZ_CHECK(values.size() <= static_cast<std::size_t>(kMaxTicks));
    for (double v : values) TickLabel(v, ticks, true);
    FormatValue(axis->visibleMaximum);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view data(reinterpret_cast<const char*>(bytes), size);
  GraphSettings read;
  if (DecodeGraphRecord(data, read)) {
    CheckRoundTrip(read);
    static bl::series::SeriesTable table;
    table.graphType = read.graphType >= 0 && read.graphType <= 3 ? read.graphType : 0;
    GraphView view;
    view.settings = read;
    view.cursorMode = kCursorLeft;
    view.cursorPosition = read.bottom.visibleMaximum;
    for (int pane = 0; pane < 2; ++pane) CursorReadout(view, table, pane);
    FindLimits(view.settings, table, view.bars);
    RefreshGraphPanel(view, table);
    UseRanges(read);
  }

  GraphView library;
  std::string error;
  if (DecodeGraphLibrary(data, library, error)) {
    BL_FUZZ_CHECK(size == kGraphLibraryBytes);
    const std::string written = EncodeGraphLibrary(library);
    GraphView again;
    BL_FUZZ_CHECK(DecodeGraphLibrary(written, again, error));
    BL_FUZZ_CHECK(EncodeGraphLibrary(again) == written);
  } else {
    BL_FUZZ_CHECK(!error.empty() && library.library[0].graphType == kEmptyGraph);
  }
  return 0;
}
