// What a click on a button does, with the commands the controller receives recorded.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "diagnostics/diagnostic_buttons.h"
#include "diagnostics/script_test_support.h"
#include "link/fake_vendor_library.h"

namespace bl::diagnostics::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ButtonActionTest : public ScriptFolderTest, public bl::test::LinkFixture {
 protected:
  void SetUp() override {
    ScriptFolderTest::SetUp();
    Connect();
  }
  // The script from source, loaded as the window's current one.
  void Load(std::string_view source) {
    WriteScript("Diagnostics/TURBO2_Panel.bin", source);
    ASSERT_EQ(OpenScript(script, context, "Panel.bin", false), OpenResult::kLoaded);
  }
  bool Click(int item) { return RunButtonAction(script, link, context, item); }
  std::vector<std::string> Sent() { return state->Commands(); }
  int Page() {
    std::lock_guard lock(script.mutex);
    return script.currentPage;
  }
};

TEST_F(ButtonActionTest, CommandsWithVariableNamesInBraces) {
  Load(R"(
variable Motor type=internal value=3.9
variable Axis type=internal value=-2
page
button command="#{Motor}J+ {Axis}{P1} {Motor"
button command="{}{Motor}}"
)");
  EXPECT_TRUE(Click(1));
  // Sent with echo: the command is shown in the terminal.
  bool echoed = false;
  for (const auto& [text, colour] : Last(4)) echoed |= text == "Command:  #3J+ -2 {Motor";
  EXPECT_TRUE(echoed);
  EXPECT_TRUE(Click(2));
  EXPECT_THAT(Sent(), ElementsAre("#3J+ -2 {Motor", "3}"));
}

TEST_F(ButtonActionTest, ControlLetters) {
  Load(R"(
page
button command="Control K"
button command="Control k"
button command="Control KK"
button command="Control 1"
button command="Control "
button command="control K"
)");
  for (int item = 1; item <= 6; ++item) EXPECT_TRUE(Click(item)) << item;
  // Only the exact form sends a control character; "control K" is an ordinary command.
  EXPECT_THAT(Sent(), ElementsAre("\x0B", "control K"));
}

TEST_F(ButtonActionTest, AnActiveButtonDoesNothing) {
  Load(R"(
variable On type=internal value=0
page
button var=On min=0 max=0 command="#1K"
button var=On min=0 max=0 action=set target=On set=7
)");
  EXPECT_FALSE(Click(1));  // 0 is not below the maximum of 0: active
  EXPECT_THAT(Sent(), IsEmpty());
  {
    std::lock_guard lock(script.mutex);
    script.tables.variables[0].value = -1;
  }
  EXPECT_TRUE(Click(1));
  EXPECT_THAT(Sent(), ElementsAre("#1K"));
  EXPECT_TRUE(Click(2));
  std::lock_guard lock(script.mutex);
  EXPECT_EQ(script.tables.variables[0].value, 7);
}

TEST_F(ButtonActionTest, PagesThatExistAndOtherActions) {
  Load(R"(
page
button action=page page=2
button action=page page=3
button action=9 command="#1K"
button action=set target=@1000 set=5
page
)");
  EXPECT_FALSE(Click(1));
  EXPECT_EQ(Page(), 2);
  EXPECT_FALSE(Click(2));  // no third page: stays
  EXPECT_EQ(Page(), 2);
  EXPECT_TRUE(Click(3));  // unknown action: shown pressed, nothing sent
  EXPECT_TRUE(Click(4));  // target out of the table: nothing set
  EXPECT_THAT(Sent(), IsEmpty());
  EXPECT_FALSE(Click(-1));
  EXPECT_FALSE(Click(1000));
}

TEST_F(ButtonActionTest, OpenScriptIsRelativeAndMayOpenItself) {
  fs::create_directories(folder / "Diagnostics" / "sub");
  WriteScript("Diagnostics/sub/Other.bin", "page title=\"Other\"");
  Load(R"(
page title="Panel"
button action=open script="TURBO2_Panel.bin"
button action=open script="sub\\Other.bin"
)");
  EXPECT_FALSE(Click(1));  // itself: loaded once more, nothing else
  EXPECT_EQ(shown, 2);
  {
    std::lock_guard lock(script.mutex);
    EXPECT_EQ(script.tables.items[0].text1, "Panel");
  }
  EXPECT_FALSE(Click(2));
  EXPECT_EQ(shown, 3);
  EXPECT_EQ(Page(), 1);
  {
    std::lock_guard lock(script.mutex);
    EXPECT_EQ(script.tables.items[0].text1, "Other");
  }
  // The folder stays the one of the script opened by name.
  EXPECT_EQ(script.scriptFolder, (folder / "Diagnostics").string() + "/");
  EXPECT_THAT(Sent(), IsEmpty());
  EXPECT_TRUE(ScriptFolderTest::desktop.messages.empty());
}

}  // namespace
}  // namespace bl::diagnostics::test
