#include "editor/file_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bl::editor {
namespace {

std::vector<std::string> ProgramFiles(const FileList& list) {
  return list.roots[kProgramFilesRoot].children;
}

TEST(FileListTest, EntriesAreListedOnceByExactTextAndClearingTakesOnlyProgramFiles) {
  FileList list;
  int changes = 0;
  list.changed = [&] { ++changes; };
  EXPECT_EQ(AddFileListEntry(list, "/p/a.pmc", kFileListProgram), (FileListRef{1, 0}));
  EXPECT_EQ(AddFileListEntry(list, "/p/b.pmc", kFileListProgram), (FileListRef{1, 1}));
  // The same text again is the item already there; another case is another file.
  EXPECT_EQ(AddFileListEntry(list, "/p/a.pmc", kFileListProgram), (FileListRef{1, 0}));
  EXPECT_EQ(AddFileListEntry(list, "/p/A.pmc", kFileListProgram), (FileListRef{1, 2}));
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(AddFileListEntry(list, "Extra", kFileListDefinition), (FileListRef{0, 0}));
  EXPECT_EQ(FileListText(list, {1, 2}), "/p/A.pmc");
  EXPECT_EQ(FileListText(list, {1, 7}), "");

  ClearFileList(list);
  EXPECT_TRUE(ProgramFiles(list).empty());
  EXPECT_EQ(list.roots[0].children.size(), 6u);
  EXPECT_EQ(changes, 5);
}

TEST(FileListTest, IncludedFilesAreNamedBetweenTheFirstTwoQuotesInTheFilesFolder) {
  FileList list;
  const std::string main = "/home/u/prog/main.pmc";
  EXPECT_EQ(AddIncludedFile(list, "#include axis.pmc", main), kIncludeNoQuote);
  EXPECT_EQ(AddIncludedFile(list, "#include \"axis.pmc", main), kIncludeNoClosingQuote);
  EXPECT_EQ(AddIncludedFile(list, "#include \"\" \"x.pmc\"", main), kIncludeEmptyName);
  EXPECT_TRUE(ProgramFiles(list).empty());

  // Quotes after the closing one belong to the ignored rest of the line.
  EXPECT_EQ(AddIncludedFile(list, "#include \"axis.pmc\" \"other.pmc\"", main), kIncludeAdded);
  EXPECT_EQ(AddIncludedFile(list, "#include \"sub\\motor.pmc\" ; both separators", main),
            kIncludeAdded);
  EXPECT_EQ(AddIncludedFile(list, "#include \"/lib/common.pmc\"", main), kIncludeAdded);
  EXPECT_EQ(AddIncludedFile(list, "#include \"axis.pmc\"", main), kIncludeAdded);
  // A file without a folder gives the bare name.
  EXPECT_EQ(AddIncludedFile(list, "#include \"plain.pmc\"", "main.pmc"), kIncludeAdded);
  EXPECT_EQ(ProgramFiles(list),
            (std::vector<std::string>{"/home/u/prog/axis.pmc", "/home/u/prog/sub/motor.pmc",
                                      "/lib/common.pmc", "plain.pmc"}));
}

TEST(FileListTest, AnIncludedPathLongerThan259CharactersIsRefusedNotCut) {
  FileList list;
  const std::string folder = "/" + std::string(240, 'd') + "/";  // 242 characters
  const std::string main = folder + "main.pmc";
  EXPECT_EQ(AddIncludedFile(list, "#include \"" + std::string(17, 'n') + "\"", main),
            kIncludeAdded);  // 259 characters
  EXPECT_EQ(AddIncludedFile(list, "#include \"" + std::string(18, 'n') + "\"", main),
            kIncludePathTooLong);
  ASSERT_EQ(ProgramFiles(list).size(), 1u);
  EXPECT_EQ(ProgramFiles(list)[0].size(), 259u);
}

}  // namespace
}  // namespace bl::editor
