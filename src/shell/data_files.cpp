#include "shell/data_files.h"

#include <filesystem>
#include <system_error>

namespace bl {

std::string JoinPath(const std::string& folder, const std::string& relativePath) {
  std::string relative = relativePath;
  for (char& c : relative)
    if (c == '\\') c = '/';
  while (!relative.empty() && relative.front() == '/') relative.erase(0, 1);
  if (folder.empty()) return relative;
  return (std::filesystem::path(folder) / relative).string();
}

DataFiles::DataFiles(std::string startDirectory, std::vector<std::string> furtherFolders)
    : startDirectory_(std::move(startDirectory)), furtherFolders_(std::move(furtherFolders)) {}

std::string DataFiles::InStartDirectory(const std::string& relativePath) const {
  return JoinPath(startDirectory_, relativePath);
}

std::string DataFiles::Find(const std::string& relativePath) const {
  const std::string first = InStartDirectory(relativePath);
  std::error_code error;
  if (std::filesystem::exists(first, error)) return first;
  for (const std::string& folder : furtherFolders_) {
    const std::string candidate = JoinPath(folder, relativePath);
    if (std::filesystem::exists(candidate, error)) return candidate;
  }
  return first;
}

}  // namespace bl
