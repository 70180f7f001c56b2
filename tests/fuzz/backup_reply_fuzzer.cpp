// The configuration backup as hostile replies reach it: each reader on its own, then whole
// sections (program directory, PLC tables, compiled PLC memory, coordinate systems, encoder
// table, MACRO) against a scripted library answering each exchange with the next text of the
// input. A directory that never ends, words that point nowhere, cut or garbled replies: the
// section stays bounded and never writes a control character of the reply framing.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <memory>
#include <string>

#include "definitions/definition_table.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/scripted_library.h"
#include "link/pmac_link.h"
#include "platform/fake/fake_desktop.h"
#include "terminal_lines/terminal_lines.h"
#include "tools/backup.h"
#include "tools/backup_replies.h"

namespace {

using bl::fuzz::Script;
using bl::fuzz::ScriptedLibrary;

// More than any section asks for: the compiled PLCs' 64k words read eight at a time, the
// MACRO step's 300 or so, the directory's 3 per entry.
constexpr std::size_t kMaxExchanges = 0x10000 / 8 + 32 * 8 + 200;

void CheckReaders(FuzzedDataProvider& data) {
  const std::string reply = data.ConsumeRandomLengthString(2000);
  const auto count = data.ConsumeIntegralInRange<std::size_t>(0, 9);
  const auto values = bl::tools::RangeValues(reply, count);
  BL_FUZZ_CHECK(values.size() <= count);
  for (std::string_view v : values)
    BL_FUZZ_CHECK(!v.empty() && v.find_first_of("\r\n\x06\x07") == std::string_view::npos);
  if (const auto listing = bl::tools::ListingText(reply))
    BL_FUZZ_CHECK(listing->find_first_of("\r\x06\x07") == std::string::npos);
  if (const auto words = bl::tools::HexWords(reply, count))
    for (unsigned w : *words) BL_FUZZ_CHECK(w <= 0xFFFFFF);
  if (const auto axis = bl::tools::AxisDefinition(reply))
    BL_FUZZ_CHECK(!axis->empty() && axis->find_first_of("\r\n\x06\x07") == std::string::npos);
  if (const auto macro = bl::tools::MacroValue(reply))
    BL_FUZZ_CHECK(macro->size() == 12 &&
                  macro->find_first_not_of("0123456789ABCDEF") == std::string::npos);
  bl::tools::DecimalWord(reply);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  if (data.ConsumeBool()) {
    CheckReaders(data);
    return 0;
  }
  Script script(data, 600);
  bl::Terminal terminal;
  bl::DefinitionTable definitions;
  bl::platform::FakeDesktop desktop;
  bl::PmacLink link(terminal, definitions, desktop, [&script] {
    bl::LibraryLoad load;
    load.status = bl::LibraryLoad::Status::Loaded;
    load.library = std::make_unique<ScriptedLibrary>(script);
    return load;
  });
  BL_FUZZ_CHECK(link.LinkConnect() == 0);
  const int typeCode = data.ConsumeIntegralInRange(0, 7);
  const int variables = data.ConsumeBool() ? 1024 : 8192;
  const int step = data.ConsumeIntegralInRange(2, 14);
  bool gatherDeleted = false;
  const std::string text =
      bl::tools::BackupSectionText(link, {typeCode, variables}, step, gatherDeleted);
  BL_FUZZ_CHECK(script.commands.size() <= kMaxExchanges);
  BL_FUZZ_CHECK(text.find_first_of("\r\x06\x07") == std::string::npos);
  return 0;
}
