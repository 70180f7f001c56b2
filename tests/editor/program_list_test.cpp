#include <gtest/gtest.h>

#include <string>

#include "editor/editor_test_support.h"
#include "editor/program_list.h"

namespace bl::editor {
namespace {

TEST(ProgramListTest, LinesStartingWithOpenInAnyCaseUpToOneHundred) {
  std::string text = " open plc 0\nOp\n";
  for (int i = 1; i <= 150; ++i)
    text += "OPEN PROG " + std::to_string(i) + "\nX" + std::to_string(i) + "\nCLOSE\n";
  const std::vector<std::string> entries = ProgramList(text);
  ASSERT_EQ(entries.size(), 100u);
  EXPECT_EQ(entries.front(), "OPEN PROG 1");
  EXPECT_EQ(entries.back(), "OPEN PROG 100");

  const std::string longLine = "open plc 3 " + std::string(300, 'x');
  const std::vector<std::string> mixed = ProgramList("Open Prog 2\nopened\n" + longLine);
  ASSERT_EQ(mixed.size(), 3u);
  EXPECT_EQ(mixed[1], "opened");
  EXPECT_EQ(mixed[2], longLine.substr(0, 254));
  EXPECT_TRUE(ProgramList("").empty());
}

TEST(ProgramListTest, JumpGoesToTheStartOfTheNthProgramLine) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += (i % 3 == 0 ? "open prog " : "X") + std::to_string(i) + "\n";
  EditorState s = test::Editor(text, 5);
  s.anchor = 9;
  JumpToProgram(s, 10);  // the eleventh program: line 30
  EXPECT_EQ(s.caret, static_cast<int>(text.find("open prog 30")));
  EXPECT_EQ(s.anchor, s.caret);
  EXPECT_GT(s.firstLine, 0);  // scrolled to show it
  const int before = s.caret;
  JumpToProgram(s, 20);  // there are only 20
  JumpToProgram(s, -1);
  EXPECT_EQ(s.caret, before);
}

}  // namespace
}  // namespace bl::editor
