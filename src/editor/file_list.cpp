#include "editor/file_list.h"

#include <algorithm>

#include "editor/program_file.h"

namespace bl::editor {

namespace {

void Changed(const FileList& list) {
  if (list.changed) list.changed();
}

}  // namespace

FileListRef AddFileListEntry(FileList& list, std::string_view text, int kind) {
  if (kProgramFilesRoot < static_cast<int>(list.roots.size())) {
    const auto& files = list.roots[kProgramFilesRoot].children;
    const auto it = std::find(files.begin(), files.end(), text);
    if (it != files.end()) return {kProgramFilesRoot, static_cast<int>(it - files.begin())};
  }
  FileListRef added;
  switch (kind) {
    case kFileListRoot:
      list.roots.push_back({std::string(text), {}});
      added = {static_cast<int>(list.roots.size()) - 1, -1};
      break;
    case kFileListDefinition: {
      auto& children = list.roots[kVariableDefinitionsRoot].children;
      children.insert(children.begin(), std::string(text));
      added = {kVariableDefinitionsRoot, 0};
      break;
    }
    case kFileListProgram: {
      auto& children = list.roots[kProgramFilesRoot].children;
      children.emplace_back(text);
      added = {kProgramFilesRoot, static_cast<int>(children.size()) - 1};
      break;
    }
    default:
      return {};
  }
  Changed(list);
  return added;
}

void ClearFileList(FileList& list) {
  list.roots[kProgramFilesRoot].children.clear();
  Changed(list);
}

int AddIncludedFile(FileList& list, std::string_view line, std::string_view currentFile) {
  const std::size_t open = line.find('"');
  if (open == std::string_view::npos) return kIncludeNoQuote;
  const std::size_t close = line.find('"', open + 1);
  if (close == std::string_view::npos) return kIncludeNoClosingQuote;
  std::string name(line.substr(open + 1, close - open - 1));
  if (name.empty()) return kIncludeEmptyName;
  std::replace(name.begin(), name.end(), '\\', '/');
  std::string path;
  if (name.front() != '/') {
    const std::size_t slash = currentFile.rfind('/');
    if (slash != std::string_view::npos) path = currentFile.substr(0, slash + 1);
  }
  path += name;
  // A longer path would be cut into the name of some other file.
  if (path.size() > kMaxPathLength) return kIncludePathTooLong;
  AddFileListEntry(list, path, kFileListProgram);
  return kIncludeAdded;
}

std::string_view FileListText(const FileList& list, FileListRef item) {
  if (item.root < 0 || item.root >= static_cast<int>(list.roots.size())) return {};
  const FileListRoot& root = list.roots[static_cast<std::size_t>(item.root)];
  if (item.child < 0) return root.text;
  if (item.child >= static_cast<int>(root.children.size())) return {};
  return root.children[static_cast<std::size_t>(item.child)];
}

}  // namespace bl::editor
