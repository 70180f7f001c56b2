#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/pmac_link.h"
#include "terminal_lines/terminal_lines.h"

namespace bl {
namespace platform {
class Desktop;
}

namespace tools {

// Colours of the reports: blue for data, red for titles, headings and "Finished".
inline constexpr int kListingDataColor = 13;
inline constexpr int kListingHeadingColor = 5;
// The motion-program directory is walked at most this far, whatever the controller answers.
inline constexpr int kMaxDirectoryEntries = 256;

// One command out, its reply back: the link's PmacCommand without echo and a 255-character
// reply, or a stand-in in tests and fuzzing.
using ListingExchange = std::function<std::string(const std::string& command)>;
ListingExchange LinkListingExchange(PmacLink& link);

// The reports' lines. The PLC report takes a table already read; the other two talk to the
// controller and give nothing for a type code outside 1..6.
std::vector<TerminalLine> PlcStatusLines(const PlcTable& table, bool compiled);
std::optional<std::vector<TerminalLine>> ProgramStatusLines(int typeCode,
                                                            const ListingExchange& exchange);
std::optional<std::vector<TerminalLine>> AxisDefinitionLines(int typeCode, int coordinateSystem,
                                                             const ListingExchange& exchange);

// What the listing commands print into and with.
struct ListingTarget {
  PmacLink& link;
  Terminal& terminal;
  platform::Desktop& desktop;
  int typeCode = 0;
  // Switches the main window to the terminal view.
  std::function<void()> showTerminal;
};

// "List &PLC Status" (compiled false) and "List P&LCC Status" (compiled true).
void ListPlcStatus(const ListingTarget& target, bool compiled);
// "List &Motion Program Status".
void ListProgramStatus(const ListingTarget& target);
// "List &Axis Definitions" for the terminal's coordinate system.
void ListAxisDefinitions(const ListingTarget& target);

}  // namespace tools
}  // namespace bl
