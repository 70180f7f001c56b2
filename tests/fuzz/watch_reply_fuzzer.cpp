// What the controller and the user give the watch window and "Set PMAC Variables": a reply to
// the watch query spread over the items, and typed values and M-variable addresses. None may
// crash, a stored value is always finite, and what is accepted for sending is plain.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "diagnostics/variable_setup.h"
#include "diagnostics/watch_table.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  using namespace bl::diagnostics;

  WatchTable table;
  for (int i = 0; i < kWatchFillable; ++i) {
    WatchItem item;
    item.kind = i % 2 == 0 ? 5 : 10;
    item.variableType = i % 4 + 1;
    item.number = i;
    table.Insert(item);
  }
  const WatchTable::Query query = table.PollQuery();
  table.StoreReply(query, text);
  for (const WatchItem& item : table.Copy()) {
    BL_FUZZ_CHECK(std::isfinite(item.raw));
    for (double h : item.history) BL_FUZZ_CHECK(std::isfinite(h));
  }

  if (const auto value = ParseSetupValue(text)) {
    BL_FUZZ_CHECK(std::isfinite(*value));
    (void)SetupValueText(*value, true);
  }
  if (ValidAddressText(text)) {
    BL_FUZZ_CHECK(text.size() <= kSetupBufferChars);
    for (char c : text) BL_FUZZ_CHECK(c > ' ' && c < 127);
  }
  return 0;
}
