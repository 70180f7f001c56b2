// The encoder conversion table editor on any words a controller may hold and any text typed
// into its fields: every line decodes to a bounded text, every edit keeps the table's length
// and its words within 24 bits. The input: the variant, the words, then edits until it ends.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "tools/encoder_table.h"

using namespace bl::tools;

namespace {

void CheckTable(const EctTable& table, int lines) {
  BL_FUZZ_CHECK(table.LineCount() == lines);
  for (int i = 0; i < lines; ++i) {
    BL_FUZZ_CHECK(table.Word(i) >= 0 && table.Word(i) <= 0xFFFFFF);
    const int start = table.EntryStart(i);
    BL_FUZZ_CHECK(start >= 0 && start <= i);
    BL_FUZZ_CHECK(table.LineText(i).size() < 100);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const bool turbo = data.ConsumeBool();
  EctTable table(turbo);
  const int lines = table.LineCount();
  const int filled = data.ConsumeIntegralInRange(0, lines);
  for (int i = 0; i < filled; ++i) table.SetWord(i, data.ConsumeIntegral<std::int64_t>());
  CheckTable(table, lines);

  for (int edit = 0; edit < 64 && data.remaining_bytes() > 0; ++edit) {
    const int start = table.EntryStart(data.ConsumeIntegralInRange(-1, lines));
    switch (data.ConsumeIntegralInRange(0, 4)) {
      case 0: {
        const auto field =
            static_cast<EctField>(data.ConsumeIntegralInRange<int>(0, kEctFieldCount));
        table.EditField(start, field, data.ConsumeRandomLengthString(40));
        break;
      }
      case 1:
        table.SetBox(start, data.ConsumeIntegralInRange(-1, kEctBoxCount), data.ConsumeBool());
        break;
      case 2:
        table.ChangeType(start, data.ConsumeIntegralInRange(-1, kEctTypeCount));
        break;
      case 3:
        table.InsertLine(start);
        break;
      default:
        table.DeleteEntry(start);
        break;
    }
    const EctPanel panel = table.Panel(start);
    BL_FUZZ_CHECK(panel.type == table.TypeOf(start));
  }
  CheckTable(table, lines);
  return 0;
}
