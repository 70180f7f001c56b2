// Script sources as a careless or hostile hand writes them: any text compiles or is refused
// with "file:line: reason"; what compiles stays within the tables' limits and survives the trip
// through the binary file and back through the decompiler unchanged.
#include <cstdint>
#include <string>
#include <string_view>

#include "diagnostics/diagnostic_script.h"
#include "diagnostics/script_source.h"
#include "fuzz/fuzz_check.h"

using namespace bl::diagnostics;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view source(reinterpret_cast<const char*>(bytes), size);
  DiagnosticTables tables;
  std::string error;
  if (!CompileScriptSource(source, "fuzz.diag", tables, error)) {
    BL_FUZZ_CHECK(error.starts_with("fuzz.diag:"));
    BL_FUZZ_CHECK(error.find(": ", 10) != std::string::npos);
    return 0;
  }
  BL_FUZZ_CHECK(tables.itemCount >= 0 && tables.itemCount <= kDiagnosticTableSize);
  BL_FUZZ_CHECK(tables.variableCount >= 0 && tables.variableCount <= kDiagnosticTableSize);
  const std::string written = EncodeScript(tables);
  DiagnosticTables read;
  BL_FUZZ_CHECK(DecodeScript(written, read) == DecodeResult::kOk);
  BL_FUZZ_CHECK(EncodeScript(read) == written);
  const std::string decompiled = DecompileScript(read);
  DiagnosticTables again;
  BL_FUZZ_CHECK(CompileScriptSource(decompiled, "decompiled", again, error));
  BL_FUZZ_CHECK(EncodeScript(again) == written);
  BL_FUZZ_CHECK(DecompileScript(again) == decompiled);
  return 0;
}
