#include "cli/list_command.h"

#include <charconv>
#include <optional>

#include "cli/cli.h"
#include "cli/gather_command.h"
#include "controller/controller_type.h"
#include "link/pmac_link.h"
#include "tools/status_listings.h"

namespace bl::cli {

bool ParseListOptions(const std::vector<std::string>& args, std::size_t& i, ListOptions& options,
                      std::string& problem) {
  using Report = ListOptions::Report;
  if (i >= args.size()) {
    problem = "list needs plc, plcc, prog or axes";
    return false;
  }
  const std::string& what = args[i++];
  if (what == "plc") {
    options.report = Report::kPlc;
  } else if (what == "plcc") {
    options.report = Report::kPlcc;
  } else if (what == "prog") {
    options.report = Report::kPrograms;
  } else if (what == "axes") {
    options.report = Report::kAxes;
  } else {
    problem = "list needs plc, plcc, prog or axes, not " + what;
    return false;
  }
  if (i < args.size() && args[i] == "--cs") {
    const std::string value = i + 1 < args.size() ? args[i + 1] : std::string();
    int cs = -1;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), cs);
    // Coordinate systems 1..16 and the 0 the terminal starts with.
    if (ec != std::errc() || end != value.data() + value.size() || cs < 0 || cs > 16) {
      problem = "--cs takes a coordinate system from 0 to 16";
      return false;
    }
    if (options.report != Report::kAxes) {
      problem = "--cs belongs to list axes";
      return false;
    }
    options.coordinateSystem = cs;
    i += 2;
  }
  return true;
}

int RunList(const ListOptions& options, PmacLink& link, DefinitionTable& definitions,
            Terminal& terminal, std::ostream& out, std::ostream& err) {
  using Report = ListOptions::Report;
  ControllerType type;
  IdentifyForScript(type, link, definitions, terminal, err);
  const int typeCode = type.typeCode.load();

  std::optional<std::vector<TerminalLine>> lines;
  if (options.report == Report::kPlc || options.report == Report::kPlcc) {
    const bool compiled = options.report == Report::kPlcc;
    PlcTable table;
    if ((compiled ? link.ReadPlccTable(typeCode, table) : link.ReadPlcTable(typeCode, table)) == 0)
      lines = tools::PlcStatusLines(table, compiled);
    else
      err << "brightlantern-cli: the " << (compiled ? "compiled PLC" : "PLC")
          << " table could not be read\n";
  } else if (options.report == Report::kPrograms) {
    lines = tools::ProgramStatusLines(typeCode, tools::LinkListingExchange(link));
  } else {
    lines = tools::AxisDefinitionLines(typeCode, options.coordinateSystem,
                                       tools::LinkListingExchange(link));
  }
  if (!lines) {
    if (options.report == Report::kPrograms || options.report == Report::kAxes)
      err << "brightlantern-cli: the controller's type is not known\n";
    return kExitFailed;
  }
  for (const TerminalLine& line : *lines) out << line.text << '\n';
  return kExitOk;
}

}  // namespace bl::cli
