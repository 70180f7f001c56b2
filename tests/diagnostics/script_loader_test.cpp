// Opening scripts: where they are found, what the user is told, and what a load leaves behind.
#include <gtest/gtest.h>

#include "diagnostics/script_test_support.h"

namespace bl::diagnostics::test {
namespace {

using platform::FakeDesktop;

constexpr char kTwoPages[] = R"(
variable Speed type=P number=5
page title="One" size=100,50
value var=Speed
page title="Two" size=80,40
)";

TEST_F(ScriptFolderTest, BuiltInScriptsByTypeAndName) {
  WriteScript("Diagnostics/TURBO2_MotorJog.bin", kTwoPages);
  {
    std::lock_guard lock(script.mutex);
    script.currentPage = 2;
  }
  EXPECT_EQ(OpenScript(script, context, "MotorJog.bin", false), OpenResult::kLoaded);
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(shown, 1);
  std::lock_guard lock(script.mutex);
  EXPECT_EQ(script.currentPage, 1);
  EXPECT_EQ(script.tables.items[0].text1, "One");
  EXPECT_EQ(script.tables.variables[0].number, 5);
  EXPECT_EQ(script.scriptFolder, (folder / "Diagnostics").string() + "/");
}

TEST_F(ScriptFolderTest, MissingFileChangesNothing) {
  WriteScript("Diagnostics/TURBO2_MotorJog.bin", kTwoPages);
  ASSERT_EQ(OpenScript(script, context, "MotorJog.bin", false), OpenResult::kLoaded);
  SetTypeFromTable(type, 2);  // no PMAC2 set here
  EXPECT_EQ(OpenScript(script, context, "MotorJog.bin", false), OpenResult::kNotOpened);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].title, "Error Opening File");
  EXPECT_EQ(desktop.messages[0].text, Path("Diagnostics/PMAC2_MotorJog.bin"));
  EXPECT_EQ(shown, 1);
  std::lock_guard lock(script.mutex);
  EXPECT_EQ(script.tables.items[0].text1, "One");
}

TEST_F(ScriptFolderTest, WrongHeaderOrShortFileLeavesAnEmptyPage) {
  std::string damaged = EncodeScript(Compiled(kTwoPages));
  const std::string truncated = damaged.substr(0, damaged.size() - 1);
  damaged[0] = 'b';
  for (const std::string& bytes : {damaged, truncated, std::string("tiny")}) {
    WriteScript("Diagnostics/TURBO2_MotorJog.bin", kTwoPages);
    ASSERT_EQ(OpenScript(script, context, "MotorJog.bin", false), OpenResult::kLoaded);
    Write("Diagnostics/TURBO2_System.bin", bytes);
    desktop.messages.clear();
    shown = 0;
    EXPECT_EQ(OpenScript(script, context, "System.bin", false), OpenResult::kBadFormat);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Invalid file format.");
    EXPECT_EQ(desktop.messages[0].title, "Error Opening Diagnostic File");
    EXPECT_EQ(shown, 1) << "the window shows the empty page";
    std::lock_guard lock(script.mutex);
    EXPECT_EQ(script.tables.items[0].kind, kKindPage);
    EXPECT_EQ(script.tables.items[0].x1, 35);
    EXPECT_EQ(script.tables.items[0].y1, 1);
    EXPECT_EQ(script.tables.items[0].text1, "");
    EXPECT_EQ(script.tables.items[2].kind, kKindEnd);
    EXPECT_EQ(script.tables.variables[0].type, 0);
  }
}

TEST_F(ScriptFolderTest, ChosenFileSetsTheFolderAndCancelDoesNothing) {
  fs::create_directories(folder / "custom");
  WriteScript("custom/panel.bin", kTwoPages);
  desktop.openFileAnswers = {std::nullopt, Path("custom/panel.bin")};
  EXPECT_EQ(OpenScript(script, context, "", false), OpenResult::kCancelled);
  EXPECT_EQ(shown, 0);
  ASSERT_EQ(desktop.fileRequests.size(), 1u);
  ASSERT_EQ(desktop.fileRequests[0].filters.size(), 1u);
  EXPECT_EQ(desktop.fileRequests[0].filters[0].description, "Binary Files (*.bin)");
  EXPECT_EQ(desktop.fileRequests[0].filters[0].pattern, "*.bin");
  EXPECT_EQ(OpenScript(script, context, "", false), OpenResult::kLoaded);
  EXPECT_EQ(script.scriptFolder, Path("custom/"));

  // Relative names are found in that folder, with either separator, and keep it.
  fs::create_directories(folder / "custom" / "more");
  WriteScript("custom/more/next.bin", "page title=\"Next\"");
  EXPECT_EQ(OpenScript(script, context, "more\\next.bin", true), OpenResult::kLoaded);
  EXPECT_EQ(script.scriptFolder, Path("custom/"));
  std::lock_guard lock(script.mutex);
  EXPECT_EQ(script.tables.items[0].text1, "Next");
}

TEST(ScriptPaths, FolderOfAPath) {
  EXPECT_EQ(ScriptFolderOf("/a/b/c.bin"), "/a/b/");
  EXPECT_EQ(ScriptFolderOf("c.bin"), "");
  EXPECT_EQ(ScriptFolderOf("/c.bin"), "");  // cut back to one character
}

TEST_F(ScriptFolderTest, FirstItemBecomesThePageAndAbsurdSizesAreLimited) {
  WriteScript("Diagnostics/TURBO2_Odd.bin", R"(
shape box=1,2,3,4 text="not a page"
page size=100000,-5
shape box=0,0,-1073741824,0 motion-end=1073741824 p1=1073741824
button action=set set=1073741824
)");
  ASSERT_EQ(OpenScript(script, context, "Odd.bin", false), OpenResult::kLoaded);
  std::lock_guard lock(script.mutex);
  const auto& items = script.tables.items;
  EXPECT_EQ(items[0].kind, kKindPage);
  EXPECT_EQ(items[0].x1, 35);  // the shape's x1 of 1, widened
  EXPECT_EQ(items[0].y1, 2);
  EXPECT_EQ(items[1].x1, kMaxPageSize);
  EXPECT_EQ(items[1].y1, 0);
  EXPECT_EQ(items[2].x2, -kCoordinateLimit);
  EXPECT_EQ(items[2].argument, kCoordinateLimit);
  EXPECT_EQ(items[2].parameter1, kParameterLimit);
  EXPECT_EQ(items[3].argument, 1073741824);  // a value to set, not a coordinate
}

}  // namespace
}  // namespace bl::diagnostics::test
