#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace bl::cli {

// Exit statuses of brightlantern-cli.
enum ExitStatus : int {
  kExitOk = 0,
  kExitFailed = 1,  // the controller answered an error, a download had errors
  kExitUsage = 2,   // the command line could not be understood
  kExitNoConnection = 3,
};

// Runs brightlantern-cli with its arguments (without the program name): results on out,
// progress, messages and errors on err. Returns the exit status.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The --help text.
const char* UsageText();

}  // namespace bl::cli
