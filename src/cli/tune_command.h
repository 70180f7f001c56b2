#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "tuning/test_move.h"

namespace bl {
class DefinitionTable;
class PmacLink;
class Terminal;
namespace platform {
class Clock;
class Desktop;
}  // namespace platform
}  // namespace bl

namespace bl::cli {

// The tune command: one test move, its parameters the stored ones with the options applied.
struct TuneOptions {
  tuning::TestMoveKind kind = tuning::TestMoveKind::kStep;
  int motor = 0;
  tuning::TestMoveParameters parameters;
  bool download = false;   // BL_TestMoves.pmc first
  std::string outputFile;  // empty: standard output
  int gatherPeriod = 0;    // servo cycles per sample; 0 keeps the user's gather settings
};

// Takes the move's name at args[i] and its options after it, up to the next word that is not one
// of them. options.parameters must hold the defaults already. False with a sentence in problem
// when they are not understood.
bool ParseTuneOptions(const std::vector<std::string>& args, std::size_t& i, TuneOptions& options,
                      std::string& problem);

// Identifies the controller, starts the move as the "Test Moves" page does, waits for the
// controller program's handshake and for the end of gathering, uploads and writes the commanded
// position, actual position and servo output as CSV. Returns an exit status: 2 for a parameter the
// move refuses, 1 when the move did not start or the data could not be had.
int RunTune(const TuneOptions& options, PmacLink& link, DefinitionTable& definitions,
            Terminal& terminal, platform::Desktop& desktop, platform::Clock& clock,
            std::ostream& out, std::ostream& err);

}  // namespace bl::cli
