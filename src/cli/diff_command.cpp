#include "cli/diff_command.h"

#include "cli/cli.h"
#include "cli/gather_command.h"
#include "controller/controller_type.h"
#include "definitions/definition_table.h"
#include "tools/config_diff.h"

namespace bl::cli {

namespace {

// As diff(1) has it: 0 the same, 1 different, 2 trouble.
constexpr int kDiffSame = 0;
constexpr int kDiffDifferent = 1;
constexpr int kDiffTrouble = 2;

bool IsController(const std::string& side) { return side == kDiffController; }

bool Report(const tools::ConfigModel& model, std::ostream& err) {
  for (const std::string& problem : model.problems)
    err << "brightlantern-cli: diff: " << problem << '\n';
  if (model.problems.size() >= tools::kMaxConfigProblems)
    err << "brightlantern-cli: diff: " << model.label << ": more damage not shown\n";
  return model.problems.empty();
}

}  // namespace

bool ParseDiffOptions(const std::vector<std::string>& args, std::size_t& i, DiffOptions& options,
                      std::string& problem) {
  if (i + 1 >= args.size()) {
    problem = "diff needs two backup files or \"controller\"";
    return false;
  }
  options.a = args[i++];
  options.b = args[i++];
  if (i < args.size() && args[i] == "--names") {
    if (++i >= args.size()) {
      problem = "--names needs a file";
      return false;
    }
    options.names = args[i++];
  }
  return true;
}

bool DiffNeedsController(const std::vector<std::string>& args, std::size_t i) {
  return (i < args.size() && IsController(args[i])) ||
         (i + 1 < args.size() && IsController(args[i + 1]));
}

int RunDiffCommand(const DiffOptions& options, PmacLink* link, DefinitionTable& definitions,
                   Terminal& terminal, std::ostream& out, std::ostream& err) {
  // Files first: a damaged one ends the diff before the controller is read for nothing.
  tools::ConfigModel a;
  tools::ConfigModel b;
  if (!IsController(options.a)) a = tools::ReadConfigFile(options.a);
  if (!IsController(options.b)) b = tools::ReadConfigFile(options.b);
  if (!Report(a, err) || !Report(b, err)) return kDiffTrouble;

  if (IsController(options.a) || IsController(options.b)) {
    if (!link) return kDiffTrouble;
    ControllerType type;
    IdentifyForScript(type, *link, definitions, terminal, err);
    // Read as much of the controller as the file holds, so that a MACRO section is matched.
    const tools::BackupSwitches switches =
        tools::SwitchesToCompareWith(IsController(options.a) ? b : a);
    for (tools::ConfigModel* side : {&a, &b}) {
      if (!IsController(side == &a ? options.a : options.b)) continue;
      std::string text;
      std::string error;
      const bool read = tools::BackupToText(
          *link, {type.typeCode.load(), type.variableCount}, switches,
          [&err](int step) {
            err << "diff: reading the controller: " << tools::BackupStepText(step) << '\n';
          },
          text, error);
      if (!read) {
        err << "brightlantern-cli: diff: " << error << '\n';
        return kDiffTrouble;
      }
      *side =
          tools::ControllerConfig(text, type.typeCode.load(), type.displayName, type.variableCount);
      if (!Report(*side, err)) return kDiffTrouble;
    }
  }
  // Identification forgets the names; they are read once it is over.
  if (!options.names.empty() && !ReadNamesFile(options.names, definitions, terminal, err))
    return kDiffTrouble;

  const tools::ConfigDiff diff = tools::CompareConfigs(a, b, &definitions, false);
  for (const tools::DiffEntry& entry : diff.entries) out << tools::DiffLine(entry) << '\n';
  if (diff.Differences() == 0) {
    err << "diff: no differences\n";
    return kDiffSame;
  }
  err << "diff: " << diff.Differences()
      << (diff.Differences() == 1 ? " difference" : " differences") << " (" << diff.changed
      << " changed, " << diff.onlyInA << " only in A, " << diff.onlyInB << " only in B)\n";
  return kDiffDifferent;
}

}  // namespace bl::cli
