#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "tools/backup.h"

namespace bl {
class DefinitionTable;
class PmacLink;
class Terminal;
}  // namespace bl

namespace bl::cli {

// The backup command: the file and the sections to write.
struct BackupOptions {
  std::string file;
  // Without --sections, those the backup dialog starts with.
  tools::BackupSwitches switches;
};

// Takes the file at args[i] and a --sections option after it. False with a sentence in problem
// when they are not understood.
bool ParseBackupOptions(const std::vector<std::string>& args, std::size_t& i,
                        BackupOptions& options, std::string& problem);

// Identifies the controller and writes its configuration backup, one progress line per section
// on err. Returns an exit status: 1 when the file could not be written (an older file stays).
int RunBackupCommand(const BackupOptions& options, PmacLink& link, DefinitionTable& definitions,
                     Terminal& terminal, std::ostream& err);

}  // namespace bl::cli
