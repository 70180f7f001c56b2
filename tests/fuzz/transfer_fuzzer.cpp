// What an upload makes of a controller's listing, and the editor download file: definitions
// from a text, a reply of any bytes, any name switches. The result must stay program text that
// fits the editor, framed by its OPEN and CLOSE lines; with every switch off the listing passes
// unchanged but for what is no program text.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "definitions/define_text.h"
#include "definitions/definition_table.h"
#include "editor/editor_state.h"
#include "editor/editor_transfer.h"
#include "editor/names_for_variables.h"
#include "fuzz/fuzz_check.h"
#include "terminal_lines/terminal_lines.h"

namespace {

using namespace bl::editor;

std::string Printable(std::string_view reply) {
  if (const std::size_t ack = reply.find('\x06'); ack != std::string_view::npos)
    reply = reply.substr(0, ack);
  std::string out;
  std::string line;
  for (char c : reply) {
    if (c == '\r' || c == '\n') {
      out += line + '\n';
      line.clear();
    } else if (c >= 32 && c <= 126) {
      line += c;
    }
  }
  if (!line.empty()) out += line + '\n';
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  bl::Terminal terminal;
  bl::DefinitionTable table;
  table.SetSlotCount(data.ConsumeBool() ? 1024 : 8192);
  const std::string definitions = data.ConsumeRandomLengthString(4096);
  bl::DefineFromText(definitions, table, terminal);
  const int number = data.ConsumeIntegralInRange(0, 32767);
  const int kind = data.ConsumeBool() ? kUploadPlc : kUploadMotion;
  NameSwitches on{data.ConsumeBool(), data.ConsumeBool(), data.ConsumeBool(), data.ConsumeBool()};
  const std::string reply = data.ConsumeRemainingBytesAsString();

  const std::string text = UploadedProgramText(reply, number, kind, on, table);
  BL_FUZZ_CHECK(text.size() < static_cast<std::size_t>(kTextAreaSize));
  for (char c : text) BL_FUZZ_CHECK(c == '\n' || (c >= 32 && c <= 126));
  BL_FUZZ_CHECK(text.rfind(kind == kUploadPlc ? "OPEN PLC " : "OPEN PROG ", 0) == 0);
  BL_FUZZ_CHECK(text.size() >= 7 && text.compare(text.size() - 7, 7, "\nCLOSE\n") == 0);
  if (!on.p && !on.q && !on.m && !on.i) {
    const std::string body = Printable(reply);
    const std::size_t start = text.find("\n\n") + 2;
    if (body.size() + start + 7 < static_cast<std::size_t>(kTextAreaSize))
      BL_FUZZ_CHECK(text.substr(start, text.size() - 7 - start) == body);
  }

  // Each listed line on its own: names never make a line of a command line's length longer
  // than the names allow, and a line beyond that length is left alone.
  std::string line = reply.substr(0, 300);
  const std::string before = line;
  NamesForVariables(line, {}, table);
  if (before.size() > 255) BL_FUZZ_CHECK(line == before);

  // The editor download file keeps every line of the text; only an #include line's name may
  // change, and a normalised name ("./././x") can be shorter than the one written.
  const std::string source = reply.substr(0, 2000);
  const std::string file = EditorDownloadText(table, source, "/project");
  BL_FUZZ_CHECK(std::count(file.begin(), file.end(), '\n') >=
                std::count(source.begin(), source.end(), '\n'));
  BL_FUZZ_CHECK(file.size() >= source.size() || source.find('"') != std::string::npos);
  return 0;
}
