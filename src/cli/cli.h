#pragma once

#include <charconv>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace bl {
class DefinitionTable;
class Terminal;
}  // namespace bl

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

// Names variables by the #define lines of a file (up to 8 MB of it). False, with the reason on
// err, when it cannot be read.
bool ReadNamesFile(const std::string& file, DefinitionTable& definitions, Terminal& terminal,
                   std::ostream& err);

// The whole of text as a number of type T (int, float, double); nothing when it is not one.
template <typename T>
std::optional<T> ParseNumber(std::string_view text) {
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// An integer argument in low..high; nothing otherwise.
inline std::optional<int> ToInt(std::string_view text, int low, int high) {
  const std::optional<int> value = ParseNumber<int>(text);
  if (!value || *value < low || *value > high) return std::nullopt;
  return value;
}

}  // namespace bl::cli
