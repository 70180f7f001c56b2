// Controller replies as PmacLink reads them: values in decimal, "$" hexadecimal and 48-bit X:Y
// pairs, the two PLC table readers and the echo of command replies. The library is scripted: each
// exchange answers the next text of the input, deliberately not cut to the reply size.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "definitions/definition_table.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/scripted_library.h"
#include "link/pmac_link.h"
#include "platform/fake/fake_desktop.h"
#include "terminal_lines/terminal_lines.h"

namespace {

using bl::fuzz::Script;
using bl::fuzz::ScriptedLibrary;

using bl::AccessMode;
using bl::PlcTable;
using bl::ValueKind;

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool IsCleared(const PlcTable& t) {
  const PlcTable empty{};
  return t.start == empty.start && t.end == empty.end && t.enabled == empty.enabled;
}

constexpr std::int32_t kAddressMask = 0x7FFFF;

void CheckValue(bl::PmacLink& link, Script& script, bool connected) {
  FuzzedDataProvider& d = script.data;
  const int kindCode = d.ConsumeIntegralInRange(0, 10);
  const int number = d.ConsumeIntegralInRange(-1, 0x7FFFF);
  const auto mode = static_cast<AccessMode>(d.ConsumeIntegralInRange(0, 3));
  const double before = d.ConsumeFloatingPoint<double>();
  const auto kind = static_cast<ValueKind>(kindCode);
  const bool write = mode == AccessMode::WriteRead || mode == AccessMode::Write;
  const bool known = kindCode >= 1 && kindCode <= 9;

  const std::size_t sent = script.commands.size();
  double value = before;
  const int result = link.PmacValue(kind, number, value, mode);
  const std::size_t exchanges = script.commands.size() - sent;

  BL_FUZZ_CHECK(result == 0 || result == -1);
  if (result == -1) BL_FUZZ_CHECK(SameBits(value, before));
  if (!connected || !known || (kind == ValueKind::XYPair && write)) {
    // Refused before anything goes to the controller.
    BL_FUZZ_CHECK(result == -1 && exchanges == 0);
    return;
  }
  if (mode == AccessMode::Write) {
    BL_FUZZ_CHECK(result == 0 && exchanges == 1 && SameBits(value, before));
    return;
  }
  BL_FUZZ_CHECK(exchanges == (mode == AccessMode::WriteRead ? 2u : 1u));
  if (result != 0) return;
  if (kind == ValueKind::XYPair) {
    // A 48-bit two's complement number.
    BL_FUZZ_CHECK(value == std::trunc(value));
    BL_FUZZ_CHECK(value >= -140737488355328.0 && value < 140737488355328.0);
  }
}

void CheckPlcTable(bl::PmacLink& link, Script& script, bool connected, bool compiled) {
  FuzzedDataProvider& d = script.data;
  const int typeCode = d.ConsumeIntegralInRange(-1, 8);
  PlcTable table;
  table.start.fill(123);  // whatever the caller held before
  table.enabled.fill(7);
  const PlcTable held = table;
  const std::size_t sent = script.commands.size();
  const int result =
      compiled ? link.ReadPlccTable(typeCode, table) : link.ReadPlcTable(typeCode, table);
  BL_FUZZ_CHECK(result == 0 || result == -1);
  if (!connected || typeCode < 1 || typeCode > 6) {
    BL_FUZZ_CHECK(result == -1 && script.commands.size() == sent);
  }
  if (!connected) {
    // Refused at once: the caller's table is not touched.
    BL_FUZZ_CHECK(table.start == held.start && table.enabled == held.enabled);
    return;
  }
  if (result == -1) {
    BL_FUZZ_CHECK(IsCleared(table));
    return;
  }
  for (std::size_t i = 0; i < table.start.size(); ++i) {
    BL_FUZZ_CHECK(table.start[i] >= 0 && table.start[i] <= kAddressMask);
    BL_FUZZ_CHECK(table.enabled[i] <= 1);
    if (compiled) {
      BL_FUZZ_CHECK(table.end[i] >= -1 && table.end[i] < kAddressMask);
      if (table.start[i] == 0) BL_FUZZ_CHECK(table.end[i] == 0 && table.enabled[i] == 0);
    } else {
      BL_FUZZ_CHECK(table.end[i] >= 0 && table.end[i] <= kAddressMask);
      // An entry is either a buffer (start and end differ) or left empty.
      if (table.start[i] == table.end[i])
        BL_FUZZ_CHECK(table.start[i] == 0 && table.enabled[i] == 0);
    }
  }
}

void CheckCommand(bl::PmacLink& link, Script& script, bl::Terminal& terminal) {
  FuzzedDataProvider& d = script.data;
  const int size = d.ConsumeIntegralInRange(-2, 300);
  const bool echo = d.ConsumeBool();
  const std::string command = d.ConsumeRandomLengthString(300);
  std::string response = "stale reply from before";
  BL_FUZZ_CHECK(link.PmacCommand(response, size, command, echo) == 0);
  BL_FUZZ_CHECK(response.size() <= static_cast<std::size_t>(size > 1 ? size - 1 : 0));
  BL_FUZZ_CHECK(response.find('\0') == std::string::npos);
  if (bl::IsDefineLine(command.substr(0, command.find('\0')))) BL_FUZZ_CHECK(response.empty());
  for (int i = 0; i < bl::Terminal::kLineCount; ++i)
    BL_FUZZ_CHECK(terminal.Line(i).text.size() <= bl::Terminal::kMaxLineLength);
}

void CheckRaw(bl::PmacLink& link, Script& script) {
  FuzzedDataProvider& d = script.data;
  const auto maxChars = d.ConsumeIntegralInRange<std::size_t>(0, 300);
  const std::string command = d.ConsumeRandomLengthString(300);
  const std::string reply = link.RawResponse(command, maxChars);
  BL_FUZZ_CHECK(reply.size() <= (maxChars > 0 ? maxChars - 1 : 0));
  BL_FUZZ_CHECK(reply.find('\0') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  Script script(data, 400);
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
  bool connected = true;

  for (int step = 0; step < 64 && data.remaining_bytes() > 0; ++step) {
    switch (data.ConsumeIntegralInRange(0, 5)) {
      case 0:
        CheckValue(link, script, connected);
        break;
      case 1:
        CheckPlcTable(link, script, connected, false);
        break;
      case 2:
        CheckPlcTable(link, script, connected, true);
        break;
      case 3:
        CheckCommand(link, script, terminal);
        break;
      case 4:
        CheckRaw(link, script);
        break;
      default:
        if (connected) {
          BL_FUZZ_CHECK(link.LinkDisconnect() == 0);
          connected = false;
        } else {
          connected = link.LinkConnect() == 0;
          BL_FUZZ_CHECK(connected);
        }
        break;
    }
  }
  // Whatever the program sent stayed within the controller's line length, with no NUL in it.
  for (const std::string& c : script.commands)
    BL_FUZZ_CHECK(c.size() <= 255 && c.find('\0') == std::string::npos);
  return 0;
}
