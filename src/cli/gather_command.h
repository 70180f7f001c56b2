#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace bl {
class DefinitionTable;
class PmacLink;
class Terminal;
struct ControllerType;
namespace platform {
class Desktop;
class UiThread;
}  // namespace platform
namespace series {
class SeriesTable;
struct GatherBuffer;
}  // namespace series
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

// The steps a script's gathering shares with the tune command.

// Identifies the controller without filling the terminal with its description, and says on err
// what it found.
void IdentifyForScript(ControllerType& type, PmacLink& link, DefinitionTable& definitions,
                       Terminal& terminal, std::ostream& err);
// Waits until the controller stops gathering (bit 19 of its global status word clear), asking
// every 100 ms, for at most 10 minutes (then advice follows the complaint). Returns an exit
// status.
int WaitForGatheringEnd(PmacLink& link, const ControllerType& type, std::string_view advice,
                        std::ostream& err);
// Uploads the gathered data into the table's active series, processes them and writes the
// series named in active as CSV to outputFile (empty: out). Returns an exit status.
int UploadAndWriteCsv(PmacLink& link, Terminal& terminal, platform::Desktop& desktop,
                      const ControllerType& type, series::GatherBuffer& buffer,
                      series::SeriesTable& table, const std::vector<int>& active,
                      const std::string& outputFile, std::ostream& out, std::ostream& err);

}  // namespace bl::cli
