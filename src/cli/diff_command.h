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

// "diff A B [--names FILE]": A and B are backup files, or "controller" for the connected one.
struct DiffOptions {
  std::string a;
  std::string b;
  std::string names;  // #define lines that name the variables; empty for none
};

// The word that stands for the connected controller instead of a file.
inline constexpr const char* kDiffController = "controller";

// Takes A and B at args[i] and a --names option after them. False with a sentence in problem
// when they are not understood.
bool ParseDiffOptions(const std::vector<std::string>& args, std::size_t& i, DiffOptions& options,
                      std::string& problem);

// True when the diff at args[i] (its first argument) reads the controller.
bool DiffNeedsController(const std::vector<std::string>& args, std::size_t i);

// Prints one line per difference on out and a count on err. link may be null when neither side
// is the controller. Returns 0 when A and B hold the same configuration, 1 when they differ, 2
// when a file cannot be read or is damaged, or the controller cannot be read.
int RunDiffCommand(const DiffOptions& options, PmacLink* link, DefinitionTable& definitions,
                   Terminal& terminal, std::ostream& out, std::ostream& err);

}  // namespace bl::cli
