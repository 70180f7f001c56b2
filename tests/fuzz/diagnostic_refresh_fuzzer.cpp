// A diagnostic page's refresh against a controller whose every reply comes from the input: the
// variables are read several to a command line and the lines' answers split among them, a line
// not answered whole being asked again variable by variable. None may crash; each command line
// stays within the controller's 255 characters; a page's variables take at most one line each
// and a line more per batch; every variable the page shows is marked read.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <memory>
#include <string>

#include "definitions/definition_table.h"
#include "diagnostics/diagnostic_refresh.h"
#include "diagnostics/diagnostic_script.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/scripted_library.h"
#include "link/pmac_link.h"
#include "platform/fake/fake_desktop.h"
#include "terminal_lines/terminal_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace bl::diagnostics;
  FuzzedDataProvider data(bytes, size);
  bl::fuzz::Script script(data, 600);
  bl::Terminal terminal;
  bl::DefinitionTable definitions;
  bl::platform::FakeDesktop desktop;
  bl::PmacLink link(terminal, definitions, desktop, [&script] {
    bl::LibraryLoad load;
    load.status = bl::LibraryLoad::Status::Loaded;
    load.library = std::make_unique<bl::fuzz::ScriptedLibrary>(script);
    return load;
  });
  BL_FUZZ_CHECK(link.LinkConnect() == 0);
  const std::size_t connectExchanges = script.commands.size();

  // Variables of every kind, some indexed by others, and a page of items showing them.
  DiagnosticScript page;
  DiagnosticTables& t = page.tables;
  const int variables = data.ConsumeIntegralInRange(1, 80);
  for (int v = 0; v < variables; ++v) {
    DiagnosticVariable& var = t.variables[static_cast<std::size_t>(v)];
    const int type = data.ConsumeIntegralInRange(0, 10);
    var.type = type == 10 ? kVariableInternal : type;
    var.number = data.ConsumeIntegralInRange(-5, 0x7FFFF);
    var.value = data.ConsumeIntegralInRange(-100, 100);
    var.indexVariable = data.ConsumeBool() ? data.ConsumeIntegralInRange(-1, variables) : -1;
    var.multiplier = data.ConsumeIntegralInRange(-3, 3);
  }
  t.items[0].kind = kKindPage;
  t.items[0].x1 = 100;
  t.items[0].y1 = 100;
  const int shown = data.ConsumeIntegralInRange(1, 120);
  for (int i = 1; i <= shown; ++i) {
    DiagnosticItem& item = t.items[static_cast<std::size_t>(i)];
    item.kind = kKindValueText;
    item.variableA = data.ConsumeIntegralInRange(-1, variables - 1);
    item.variableB = data.ConsumeIntegralInRange(-1, variables - 1);
  }

  RefreshDiagnosticScript(page, link);
  const std::size_t exchanges = script.commands.size() - connectExchanges;
  for (std::size_t i = connectExchanges; i < script.commands.size(); ++i)
    BL_FUZZ_CHECK(script.commands[i].size() <= 255);
  // One line a variable read alone (two for a written-out pair are never needed), plus the
  // batched lines, of which there are at most as many as variables.
  BL_FUZZ_CHECK(exchanges <= 2u * static_cast<std::size_t>(variables));
  for (int i = 1; i <= shown; ++i) {
    const DiagnosticItem& item = t.items[static_cast<std::size_t>(i)];
    for (const int v : {item.variableA, item.variableB})
      if (v >= 0) BL_FUZZ_CHECK(t.variables[static_cast<std::size_t>(v)].readFlag == 1);
  }
  return 0;
}
