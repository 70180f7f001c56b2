#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace bl {
class DefinitionTable;
class PmacLink;
class Terminal;
namespace platform {
class Desktop;
class UiThread;
}  // namespace platform
}  // namespace bl

namespace bl::cli {

// The gather command's options.
struct GatherOptions {
  std::vector<std::string> sources;  // as ParseGatherSource takes them; empty: the saved setup
  int period = 0;                    // 0: the saved setting
  int bufferSize = -1;               // -1: the saved setting
  bool wrap = false;
  double seconds = 0.0;  // 0: until the controller stops gathering by itself
  std::vector<std::string> runLines;
  std::string outputFile;  // empty: standard output
};

// Takes the gather command's options from args[i...] up to the next word that is not one of
// them. False with a sentence in problem when they are not understood.
bool ParseGatherOptions(const std::vector<std::string>& args, std::size_t& i,
                        GatherOptions& options, std::string& problem);

// Identifies the controller, defines the gather buffer, gathers, uploads and writes the series
// as CSV. Progress and problems go to err. Returns an exit status.
int RunGather(const GatherOptions& options, PmacLink& link, DefinitionTable& definitions,
              Terminal& terminal, platform::Desktop& desktop, std::ostream& out, std::ostream& err);

}  // namespace bl::cli
