// A tuning run file as the history folder may hold it after a crash, a full disk or a hand
// edit: reading is bounded and refuses what it cannot take whole, and a run it accepts writes
// back to a file that reads the same again.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "series/series_table.h"
#include "tuning/tuning_history.h"

using namespace bl::tuning;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  TuningRun run;
  std::string error;
  if (!ParseRunFile(text, run, error)) {
    BL_FUZZ_CHECK(!error.empty());
    return 0;
  }
  BL_FUZZ_CHECK(run.typeCode >= 1 && run.typeCode <= 6);
  BL_FUZZ_CHECK(run.motor >= 1 && run.motor <= 32);
  BL_FUZZ_CHECK(run.series.size() <= static_cast<std::size_t>(bl::series::kMaxSeriesCount));
  std::size_t samples = 0;
  for (const RunSeries& s : run.series) {
    BL_FUZZ_CHECK(s.title.size() <= bl::series::kTitleLimit);
    samples += s.values.size();
  }
  // Every sample came from a line of its own.
  BL_FUZZ_CHECK(samples <= size / 2 + 1);

  const std::string written = RunFileText(run);
  TuningRun again;
  BL_FUZZ_CHECK(ParseRunFile(written, again, error));
  BL_FUZZ_CHECK(RunFileText(again) == written);
  return 0;
}
