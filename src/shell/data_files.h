#pragma once

#include <string>
#include <vector>

namespace bl {

// Shipped data (Manual/, Diagnostics/, BL_TestMoves.pmc) is looked for in the start directory
// first, then in each further folder in order (the installed data folder, the source tree's
// data folder of a developer build).
class DataFiles {
 public:
  DataFiles(std::string startDirectory, std::vector<std::string> furtherFolders);

  // The full path of a file given with "\" or "/" separators: the first candidate that exists,
  // or the start directory's candidate when none does.
  std::string Find(const std::string& relativePath) const;
  // The path in the start directory, whether it exists or not.
  std::string InStartDirectory(const std::string& relativePath) const;

  const std::string& StartDirectory() const { return startDirectory_; }

 private:
  std::string startDirectory_;
  std::vector<std::string> furtherFolders_;
};

// Joins a folder and a path written with "\" separators using the platform's separator.
std::string JoinPath(const std::string& folder, const std::string& relativePath);

}  // namespace bl
