#include <gtest/gtest.h>

#include "definitions/definition_table.h"
#include "terminal_lines/terminal_lines.h"

namespace bl {
namespace {

class DefineLineTest : public ::testing::Test {
 protected:
  int Define(std::string_view line, int lineNumber = 0) {
    return table.DefineLine(line, lineNumber, terminal);
  }
  std::string Sub(std::string line) {
    table.SubstituteNames(line);
    return line;
  }

  Terminal terminal;
  DefinitionTable table;
};

TEST_F(DefineLineTest, ClassifiesValuesAsVariablesOrUserText) {
  EXPECT_EQ(Define("#define speed P10"), kDefineStored);
  EXPECT_EQ(table.NameOf(VariableKind::P, 10), "speed");
  EXPECT_EQ(Define("#DEFINE Home_Flag m101"), kDefineStored);  // prefix and letter ignore case
  EXPECT_EQ(table.NameOf(VariableKind::M, 101), "Home_Flag");
  EXPECT_EQ(Define("#define gain 1.5"), kDefineStored);
  EXPECT_EQ(Define("#define x=P1"), kDefineStored);  // the name ends at "=", which starts the value
  EXPECT_EQ(Define("#define big P8192"), kDefineStored);  // not below N = 8192
  EXPECT_EQ(Define("#define dotted P1.5"), kDefineStored);
  EXPECT_EQ(Define("#define five I12345"), kDefineStored);

  ASSERT_EQ(table.UserDefinitions().size(), 5u);
  EXPECT_EQ(table.UserDefinitions()[0].text, "1.5");
  EXPECT_EQ(table.UserDefinitions()[1].name, "x");
  EXPECT_EQ(table.UserDefinitions()[1].text, "=P1");
  EXPECT_EQ(table.UserDefinitions()[2].text, "P8192");
  EXPECT_TRUE(table.NameOf(VariableKind::P, 1).empty());

  // With 1024 variables, P1024 is text too.
  table.SetSlotCount(1024);
  EXPECT_EQ(Define("#define over P1024"), kDefineStored);
  EXPECT_EQ(table.UserDefinitions().back().text, "P1024");
}

TEST_F(DefineLineTest, RefusesMalformedLines) {
  EXPECT_EQ(Define("#defin x P1"), kDefineNotDefine);
  EXPECT_EQ(Define("define x P1"), kDefineNotDefine);
  EXPECT_EQ(Define("#define\tx P1"), kDefineNotDefine);
  EXPECT_EQ(Define("#define "), kDefineBadName);
  EXPECT_EQ(Define("#define     "), kDefineBadName);
  EXPECT_EQ(Define("#define name"), kDefineBadName);  // runs to the end of the line
  EXPECT_EQ(Define("#define =P1"), kDefineBadName);
  EXPECT_EQ(Define("#define " + std::string(33, 'a') + " P1"), kDefineBadName);
  EXPECT_EQ(Define("#define " + std::string(32, 'a') + " P1"), kDefineStored);
  EXPECT_EQ(Define("#define name   "), kDefineBadValue);
  EXPECT_EQ(Define("#define name \tP1"), kDefineBadValue);
  EXPECT_EQ(Define("#define name " + std::string(33, '7')), kDefineBadValue);
  EXPECT_EQ(Define("#define name " + std::string(32, '7') + " trailing words"), kDefineStored);
  // Bytes above 126 are neither name nor value characters.
  EXPECT_EQ(Define("#define na\xe9me P3"), kDefineBadValue);
  EXPECT_TRUE(table.NameOf(VariableKind::P, 3).empty());
}

TEST_F(DefineLineTest, RedefinitionsAreStoredAndWarned) {
  ASSERT_EQ(Define("#define speed P10"), kDefineStored);
  EXPECT_EQ(Define("#define speed P10"), kDefineStored);  // the same again: no warning
  EXPECT_TRUE(terminal.Line(0).text.empty());

  EXPECT_EQ(Define("#define velo P10"), kDefineRedefined);
  EXPECT_EQ(terminal.Line(0).text, "  Warning: re-DEFINED P10 from speed to velo.");
  EXPECT_EQ(terminal.Line(0).color, 5);
  EXPECT_EQ(table.NameOf(VariableKind::P, 10), "velo");
  EXPECT_EQ(Sub("velo=1 speed=2"), "P10=1 speed=2");

  EXPECT_EQ(Define("#define fast P10", 12), kDefineRedefined);
  EXPECT_EQ(terminal.Line(0).text, "  Warning: Line 12 re-DEFINED P10 from velo to fast.");

  ASSERT_EQ(Define("#define ratio 2"), kDefineStored);
  EXPECT_EQ(Define("#define ratio 3"), kDefineRedefined);
  EXPECT_EQ(terminal.Line(0).text, "  Warning: re-DEFINED ratio from 2 to 3.");
  EXPECT_EQ(Define("#define ratio 4", 7), kDefineRedefined);
  EXPECT_EQ(terminal.Line(0).text, "  Warning: Line 7 re-DEFINED ratio from 3 to 4.");
  EXPECT_EQ(Sub("ratio"), "4");

  EXPECT_EQ(Define("#define axis_i I130"), kDefineStored);
  EXPECT_EQ(Define("#define other_i I130"), kDefineRedefined);
  EXPECT_EQ(terminal.Line(0).text, "  Warning: re-DEFINED I130 from axis_i to other_i.");
}

TEST_F(DefineLineTest, FullListsIgnoreNewNamesButStillRename) {
  table.SetSlotCount(2);
  EXPECT_EQ(Define("#define a P0"), kDefineStored);
  EXPECT_EQ(Define("#define b P1"), kDefineStored);
  EXPECT_EQ(Define("#define c Q0"), kDefineStored);  // another kind has its own list
  EXPECT_EQ(Define("#define u1 1"), kDefineStored);
  EXPECT_EQ(Define("#define u2 2"), kDefineStored);
  EXPECT_EQ(Define("#define u3 3"), kDefineStored);  // full: silently ignored
  EXPECT_EQ(table.UserDefinitions().size(), 2u);
  EXPECT_EQ(Define("#define a2 P0"), kDefineRedefined);  // renaming needs no new entry
  EXPECT_EQ(table.Names(VariableKind::P).size(), 2u);
}

TEST_F(DefineLineTest, ClearingEmptiesTheListsAndKeepsINamesOnRequest) {
  Define("#define p P1");
  Define("#define q Q2");
  Define("#define m M3");
  Define("#define i I4");
  Define("#define u 5");
  table.ClearDefinitions(false);
  EXPECT_TRUE(table.UserDefinitions().empty());
  EXPECT_TRUE(table.Names(VariableKind::P).empty());
  EXPECT_TRUE(table.NameOf(VariableKind::Q, 2).empty());
  EXPECT_TRUE(table.NameOf(VariableKind::M, 3).empty());
  EXPECT_EQ(table.NameOf(VariableKind::I, 4), "i");
  EXPECT_EQ(Sub("p q m i u"), "p q m I4 u");

  table.ClearDefinitions(true);
  EXPECT_TRUE(table.NameOf(VariableKind::I, 4).empty());
  // Defining again after clearing starts from empty lists, without stale warnings.
  EXPECT_EQ(Define("#define other P1"), kDefineStored);
  EXPECT_EQ(Define("#define u 6"), kDefineStored);
}

}  // namespace
}  // namespace bl
