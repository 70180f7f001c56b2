// Diagnostic script files as a damaged or hostile disk holds them: any bytes decode to tables
// within their limits or are refused whole; what the loader keeps is safe to draw and refresh
// (bounded geometry, parent chains that end), writes back to a file that reads the same, and
// decompiles to a source that compiles to those very bytes.
#include <cstdint>
#include <string>
#include <string_view>

#include "diagnostics/diagnostic_buttons.h"
#include "diagnostics/diagnostic_script.h"
#include "diagnostics/script_source.h"
#include "fuzz/fuzz_check.h"

using namespace bl::diagnostics;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view data(reinterpret_cast<const char*>(bytes), size);
  DiagnosticTables tables;
  if (DecodeScript(data, tables) != DecodeResult::kOk) {
    BL_FUZZ_CHECK(tables.itemCount == 0 && tables.variableCount == 0);
    BL_FUZZ_CHECK(tables.items[0].kind == kKindEnd && tables.variables[0].type == 0);
    return 0;
  }
  BL_FUZZ_CHECK(tables.items.size() == kDiagnosticTableSize);
  BL_FUZZ_CHECK(tables.variables.size() == kDiagnosticTableSize);
  BL_FUZZ_CHECK(tables.itemCount >= 0 && tables.itemCount <= kDiagnosticTableSize);
  BL_FUZZ_CHECK(tables.variableCount >= 0 && tables.variableCount <= kDiagnosticTableSize);
  for (const DiagnosticItem& item : tables.items) {
    BL_FUZZ_CHECK(item.text1.size() <= kItemTextLimit && item.text2.size() <= kItemTextLimit);
    BL_FUZZ_CHECK(item.command.size() <= kItemTextLimit);
    BL_FUZZ_CHECK(item.text1.find('\0') == std::string::npos);
  }
  for (const DiagnosticVariable& v : tables.variables)
    BL_FUZZ_CHECK(v.name.size() <= kVariableNameLimit);

  // Written back and read again: the same file.
  const std::string written = EncodeScript(tables);
  DiagnosticTables again;
  BL_FUZZ_CHECK(DecodeScript(written, again) == DecodeResult::kOk);
  BL_FUZZ_CHECK(EncodeScript(again) == written);

  // Decompiled and compiled: the same file.
  const std::string source = DecompileScript(tables);
  DiagnosticTables compiled;
  std::string error;
  BL_FUZZ_CHECK(CompileScriptSource(source, "decompiled", compiled, error));
  BL_FUZZ_CHECK(EncodeScript(compiled) == written);

  // As the loader keeps it.
  PrepareLoadedTables(tables);
  BL_FUZZ_CHECK(tables.items[0].kind == kKindPage);
  BL_FUZZ_CHECK(tables.items[0].x1 >= kMinPageWidth && tables.items[0].y1 >= 1);
  const int pages = PageCount(tables);
  BL_FUZZ_CHECK(pages >= 1 && pages <= kDiagnosticTableSize);
  for (int i = 0; i < kDiagnosticTableSize; ++i) {
    const DiagnosticItem& item = tables.items[i];
    if (item.kind == kKindPage)
      BL_FUZZ_CHECK(item.x1 <= kMaxPageSize && item.y1 >= 0 && item.y1 <= kMaxPageSize);
    for (int c : {item.x1, item.y1, item.x2, item.y2})
      BL_FUZZ_CHECK(c >= -kCoordinateLimit && c <= kCoordinateLimit);
    BL_FUZZ_CHECK(item.parameter1 >= 0 && item.parameter1 <= kParameterLimit);
    BL_FUZZ_CHECK(ParentChain(tables, i).size() < kDiagnosticTableSize);
    const double value = ItemValue(tables, i);
    (void)IsActive(item, value);
    BL_FUZZ_CHECK(PageOfItem(tables, i) <= pages);
    const std::string command = SubstituteVariableNames(tables, item.command);
    BL_FUZZ_CHECK(command.size() <= item.command.size() + 64 * kItemTextLimit);
    char control = 0;
    (void)ParseControlText(item.command, control);
  }
  return 0;
}
