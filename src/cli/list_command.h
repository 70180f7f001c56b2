#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace bl {
class DefinitionTable;
class PmacLink;
class Terminal;
}  // namespace bl

namespace bl::cli {

// The list command: one of the PMAC menu's status reports.
struct ListOptions {
  enum class Report { kPlc, kPlcc, kPrograms, kAxes };
  Report report = Report::kPlc;
  int coordinateSystem = 0;  // the axis report's; the terminal's own is 0
};

// Takes the report's name at args[i] and a following "--cs N". False with a sentence in problem
// when they are not understood.
bool ParseListOptions(const std::vector<std::string>& args, std::size_t& i, ListOptions& options,
                      std::string& problem);

// Identifies the controller and writes the report's lines, as the terminal shows them, to out.
// Returns an exit status: 1 when the PLC table could not be read or the controller's type is
// unknown.
int RunList(const ListOptions& options, PmacLink& link, DefinitionTable& definitions,
            Terminal& terminal, std::ostream& out, std::ostream& err);

}  // namespace bl::cli
