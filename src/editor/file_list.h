#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace bl::editor {

inline constexpr std::string_view kVariableDefinitions = "Variable Definitions";
inline constexpr std::string_view kProgramFiles = "Program Files";
// The children of "Variable Definitions", top to bottom.
inline constexpr std::array<std::string_view, 5> kDefinitionCategories = {
    "User Definitions", "P-Variable Definitions", "Q-Variable Definitions",
    "M-Variable Definitions", "I-Variable Definitions"};

// The roots as created at start-up, by index.
inline constexpr int kVariableDefinitionsRoot = 0;
inline constexpr int kProgramFilesRoot = 1;

// What AddFileListEntry adds.
enum FileListKind : int {
  kFileListRoot = 0,        // a new root item, with an expand button
  kFileListDefinition = 1,  // a child of "Variable Definitions", inserted first
  kFileListProgram = 2,     // a child of "Program Files", appended last
};

// AddIncludedFile's results.
enum IncludeStatus : int {
  kIncludeAdded = 0,
  kIncludeNoQuote = 1,
  kIncludeNoClosingQuote = 2,
  kIncludeEmptyName = 3,
  kIncludePathTooLong = 4,  // the folder and the name make more than 259 characters
};

struct FileListRoot {
  std::string text;
  std::vector<std::string> children;
};

// An item of the list: a root (child -1) or one of its children.
struct FileListRef {
  int root = -1;
  int child = -1;
  friend bool operator==(const FileListRef&, const FileListRef&) = default;
};

// The editor's file list: the variable-definition categories and the program files of the
// session, as the tree under the editor shows them.
struct FileList {
  std::vector<FileListRoot> roots = {{std::string(kVariableDefinitions),
                                      {kDefinitionCategories.begin(), kDefinitionCategories.end()}},
                                     {std::string(kProgramFiles), {}}};
  // Called after every change, so that the tree on screen follows; may be empty.
  std::function<void()> changed;
};

// Adds an item unless "Program Files" already has a child of exactly that text (case counts),
// which is returned instead.
FileListRef AddFileListEntry(FileList& list, std::string_view text, int kind);
// Deletes every child of "Program Files".
void ClearFileList(FileList& list);
// Lists the file an "#include" line names between its first two double quotes, in the folder of
// currentFile; the rest of the line is ignored and the file is not read. Either separator is
// accepted in the name; a name that starts at the root is taken as it is. Returns an
// IncludeStatus.
int AddIncludedFile(FileList& list, std::string_view line, std::string_view currentFile);

// The item's text; empty for an item that does not exist.
std::string_view FileListText(const FileList& list, FileListRef item);

}  // namespace bl::editor
