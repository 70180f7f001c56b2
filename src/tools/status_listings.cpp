#include "tools/status_listings.h"

#include <algorithm>

#include "platform/desktop.h"
#include "platform/text_format.h"

namespace bl::tools {

namespace {

constexpr int kReplySize = 255;
// An axis line is "#m->" and at most this much of the reply.
constexpr std::size_t kMaxAxisReply = 245;

bool KnownType(int typeCode) { return typeCode >= 1 && typeCode <= 6; }
bool TurboType(int typeCode) { return typeCode >= 4; }

void Heading(std::vector<TerminalLine>& lines, const std::string& title,
             const std::string& columns) {
  lines.push_back({"", kListingDataColor});
  lines.push_back({title, kListingHeadingColor});
  if (!columns.empty()) lines.push_back({columns, kListingHeadingColor});
}

// Reads the reply's number with "%d"; a reply that does not parse leaves `value` as it was.
void ReadNumber(const std::string& reply, int& value) {
  int parsed = 0;
  if (platform::Scan(reply, kReplySize, "%d", &parsed) == 1) value = parsed;
}

// Nothing is printed while not connected; the user is told why.
bool Connected(const ListingTarget& target) {
  if (target.link.PmacDevice() != -1) return true;
  target.desktop.ShowMessage("Not Connected to PMAC", "Error");
  return false;
}

void Print(const ListingTarget& target, const std::vector<TerminalLine>& lines) {
  for (const TerminalLine& line : lines) target.terminal.TerminalAddLine(line.text, line.color);
}

void ShowTerminal(const ListingTarget& target) {
  if (target.showTerminal) target.showTerminal();
}

}  // namespace

ListingExchange LinkListingExchange(PmacLink& link) {
  return [&link](const std::string& command) {
    std::string reply;
    link.PmacCommand(reply, kReplySize, command, false);
    return reply;
  };
}

std::vector<TerminalLine> PlcStatusLines(const PlcTable& table, bool compiled) {
  std::vector<TerminalLine> lines;
  Heading(lines, compiled ? "Current PLCC Status" : "Current PLC Status",
          "Number Address  Length Enabled");
  const char* format = compiled ? "PLCC%2d   $%5.5X  %6d     %s" : "PLC%2d   $%5.5X  %6d     %s";
  for (std::size_t i = 0; i < table.start.size(); ++i) {
    if (table.start[i] == table.end[i]) continue;
    // The difference of two 19-bit addresses; computed wide so any table is safe.
    const long long length = static_cast<long long>(table.end[i]) - table.start[i];
    lines.push_back({platform::Format(format, static_cast<int>(i), table.start[i],
                                      static_cast<int>(length), table.enabled[i] ? "Yes" : " No"),
                     kListingDataColor});
  }
  lines.push_back({"Finished", kListingHeadingColor});
  return lines;
}

std::optional<std::vector<TerminalLine>> ProgramStatusLines(int typeCode,
                                                            const ListingExchange& exchange) {
  if (!KnownType(typeCode)) return std::nullopt;
  const bool turbo = TurboType(typeCode);
  const int base = turbo ? 0x3000 : 0xE00;
  const int start = turbo ? 0xA000 : 0x1800;

  std::vector<TerminalLine> lines;
  Heading(lines, "Current Motion Program Status", "Number     Address  Length");
  // An end that does not parse stays where the last buffer ended, which closes the directory.
  int previous = start;
  int end = start;
  int number = 0;
  for (int k = 0; k < kMaxDirectoryEntries; ++k) {
    ReadNumber(exchange(platform::Format("RY:%d", base + k)), end);
    if (end == previous) break;
    ReadNumber(exchange(platform::Format("RX:%d", base + k)), number);
    const long long length = static_cast<long long>(end) - previous;
    lines.push_back({platform::Format("PROG%5d   $%5.5X  %6d", number & 65535, previous,
                                      static_cast<int>(length)),
                     kListingDataColor});
    previous = end;
  }
  lines.push_back({"Finished", kListingHeadingColor});
  return lines;
}

std::optional<std::vector<TerminalLine>> AxisDefinitionLines(int typeCode, int coordinateSystem,
                                                             const ListingExchange& exchange) {
  if (!KnownType(typeCode)) return std::nullopt;
  const int motors = TurboType(typeCode) ? 16 : 8;
  std::vector<TerminalLine> lines;
  Heading(lines, platform::Format("Axis Definitions for Coordinate System %d", coordinateSystem),
          "");
  for (int m = 1; m <= motors; ++m) {
    const std::string reply =
        exchange(platform::Format("&%d #%d->", coordinateSystem, m)).substr(0, kReplySize - 1);
    const std::size_t end =
        std::min(reply.find_first_of(std::string("\0\x06\r", 3)), kMaxAxisReply);
    lines.push_back({platform::Format("#%d->", m) + reply.substr(0, end), kListingDataColor});
  }
  lines.push_back({"Finished", kListingHeadingColor});
  return lines;
}

void ListPlcStatus(const ListingTarget& target, bool compiled) {
  if (!Connected(target)) return;
  PlcTable table;
  const int read = compiled ? target.link.ReadPlccTable(target.typeCode, table)
                            : target.link.ReadPlcTable(target.typeCode, table);
  if (read != 0) return;
  ShowTerminal(target);
  Print(target, PlcStatusLines(table, compiled));
}

void ListProgramStatus(const ListingTarget& target) {
  if (!Connected(target)) return;
  ShowTerminal(target);
  if (const auto lines = ProgramStatusLines(target.typeCode, LinkListingExchange(target.link)))
    Print(target, *lines);
}

void ListAxisDefinitions(const ListingTarget& target) {
  if (!Connected(target)) return;
  ShowTerminal(target);
  const int cs = target.terminal.coordinateSystem.load();
  if (const auto lines = AxisDefinitionLines(target.typeCode, cs, LinkListingExchange(target.link)))
    Print(target, *lines);
}

}  // namespace bl::tools
