#include <gtest/gtest.h>

#include "definitions/select_variable_presenter.h"
#include "terminal_lines/terminal_lines.h"

namespace bl {
namespace {

class SelectVariableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* line :
         {"#define zeta P20", "#define alpha P3", "#define home M101", "#define gain I130"})
      table.DefineLine(line, 0, terminal);
  }
  Terminal terminal;
  DefinitionTable table;
  SelectVariableMemory memory;
};

TEST_F(SelectVariableTest, ListsNamesByVariableNumber) {
  SelectVariablePresenter p(table, memory);
  ASSERT_EQ(p.Lines().size(), 2u);
  EXPECT_EQ(p.Lines()[0], std::string("alpha") + std::string(27, ' ') + "   P3");
  EXPECT_EQ(p.Lines()[1], std::string("zeta") + std::string(28, ' ') + "   P20");
  EXPECT_EQ(p.Selected(), 0);
  EXPECT_EQ(p.Accept(), "alpha");

  p.ChooseKind(3);
  ASSERT_EQ(p.Lines().size(), 1u);
  EXPECT_EQ(p.Lines()[0].substr(32), "   M101");
}

TEST_F(SelectVariableTest, RemembersTheSelectionUntilCancelled) {
  {
    SelectVariablePresenter p(table, memory);
    p.SelectLine(1);
    EXPECT_EQ(p.Accept(), "zeta");
  }
  {
    SelectVariablePresenter p(table, memory);
    EXPECT_EQ(p.Selected(), 1);
    p.Cancel();
  }
  SelectVariablePresenter p(table, memory);
  EXPECT_EQ(p.Selected(), -1);
  EXPECT_EQ(p.Accept(), std::nullopt);
}

TEST_F(SelectVariableTest, OddKindsAndStaleSelectionsAreSafe) {
  memory.insertKind = 9;
  memory.selected = 40;
  SelectVariablePresenter p(table, memory);
  EXPECT_EQ(p.Kind(), 1);
  EXPECT_EQ(p.Selected(), -1);
  p.ChooseKind(2);  // no Q names
  EXPECT_TRUE(p.Lines().empty());
  EXPECT_EQ(p.Accept(), std::nullopt);
}

}  // namespace
}  // namespace bl
