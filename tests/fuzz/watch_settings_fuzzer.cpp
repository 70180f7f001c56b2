// The watch window's settings file: any text reads into at most 19 items whose every field lies
// in its range, with no variable twice, and what is written of them reads back the same.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "diagnostics/watch_settings.h"
#include "fuzz/fuzz_check.h"

namespace {

using bl::diagnostics::WatchItem;
using bl::diagnostics::WatchTable;

void CheckItems(const WatchTable::Items& items, int variableCount) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    const WatchItem& a = items[i];
    if (!a.Used()) continue;
    BL_FUZZ_CHECK(i < static_cast<std::size_t>(bl::diagnostics::kWatchFillable));
    BL_FUZZ_CHECK(a.kind == 2 || a.kind == 4 || a.kind == 5 || a.kind == 10);
    BL_FUZZ_CHECK(a.variableType >= 1 && a.variableType <= 4);
    BL_FUZZ_CHECK(a.number >= 0 && a.number < variableCount);
    BL_FUZZ_CHECK(a.precision >= -12 && a.precision <= 12);
    BL_FUZZ_CHECK(std::isfinite(a.scale) && std::isfinite(a.maximum) && std::isfinite(a.minimum));
    for (std::size_t j = 0; j < i; ++j) BL_FUZZ_CHECK(!items[j].SameVariable(a));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  for (int count : {1024, 8192}) {
    const WatchTable::Items items = bl::diagnostics::ReadWatchSettings(text, count);
    CheckItems(items, count);
    const std::string written = bl::diagnostics::WatchSettingsText(items);
    const WatchTable::Items again = bl::diagnostics::ReadWatchSettings(written, count);
    BL_FUZZ_CHECK(bl::diagnostics::WatchSettingsText(again) == written);
  }
  return 0;
}
