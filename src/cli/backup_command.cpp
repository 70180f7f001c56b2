#include "cli/backup_command.h"

#include <array>
#include <string_view>
#include <utility>

#include "cli/cli.h"
#include "cli/gather_command.h"
#include "controller/controller_type.h"

namespace bl::cli {

namespace {

// The names --sections takes; the empty sections of the dialog have none.
constexpr std::array<std::pair<std::string_view, tools::BackupSwitch>, 10> kSectionNames = {{
    {"p", tools::kBackupP},
    {"q", tools::kBackupQ},
    {"m", tools::kBackupM},
    {"i", tools::kBackupI},
    {"prog", tools::kBackupMotion},
    {"plc", tools::kBackupPlc},
    {"plcc", tools::kBackupPlcc},
    {"cs", tools::kBackupCoordinateSystems},
    {"ect", tools::kBackupEncoderTable},
    {"macro", tools::kBackupMacro},
}};

bool ParseSections(std::string_view list, tools::BackupSwitches& switches, std::string& problem) {
  switches.on.fill(false);
  while (true) {
    const std::size_t comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    bool known = false;
    for (const auto& [text, section] : kSectionNames) {
      if (name == text) {
        switches.on[static_cast<std::size_t>(section)] = true;
        known = true;
      }
    }
    if (!known) {
      problem = "--sections: no such section \"" + std::string(name) +
                "\" (p,q,m,i,prog,plc,plcc,cs,ect,macro)";
      return false;
    }
    if (comma == std::string_view::npos) return true;
    list.remove_prefix(comma + 1);
  }
}

}  // namespace

bool ParseBackupOptions(const std::vector<std::string>& args, std::size_t& i,
                        BackupOptions& options, std::string& problem) {
  if (i >= args.size()) {
    problem = "backup needs a file";
    return false;
  }
  options.file = args[i++];
  if (i < args.size() && args[i] == "--sections") {
    if (++i >= args.size()) {
      problem = "--sections needs a list";
      return false;
    }
    if (!ParseSections(args[i++], options.switches, problem)) return false;
  }
  return true;
}

int RunBackupCommand(const BackupOptions& options, PmacLink& link, DefinitionTable& definitions,
                     Terminal& terminal, std::ostream& err) {
  ControllerType type;
  IdentifyForScript(type, link, definitions, terminal, err);
  std::string error;
  const bool written = tools::RunBackup(
      link, {type.typeCode.load(), type.variableCount}, options.switches, options.file,
      [&err](int step) { err << "backup: " << tools::BackupStepText(step) << '\n'; }, error);
  if (!written) {
    err << "brightlantern-cli: backup: " << error << '\n';
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace bl::cli
