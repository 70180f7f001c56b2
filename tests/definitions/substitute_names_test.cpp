#include <gtest/gtest.h>

#include <thread>

#include "definitions/definition_table.h"
#include "terminal_lines/terminal_lines.h"

namespace bl {
namespace {

class SubstituteNamesTest : public ::testing::Test {
 protected:
  void Define(std::string_view line) { table.DefineLine(line, 0, terminal); }
  std::string Sub(std::string line, int* result = nullptr) {
    const int r = table.SubstituteNames(line);
    if (result) *result = r;
    return line;
  }

  Terminal terminal;
  DefinitionTable table;
};

TEST_F(SubstituteNamesTest, ReplacesWholeWordsCaseSensitively) {
  Define("#define speed P10");
  Define("#define Speed Q5");
  Define("#define gain 1.5");
  Define("#define off NULL");
  Define("#define P1 M7");  // a name that looks like a variable is still a name
  EXPECT_EQ(Sub("speed=100"), "P10=100");
  EXPECT_EQ(Sub("Speed speed SPEED"), "Q5 P10 SPEED");
  EXPECT_EQ(Sub("speedy speed_2 2speed"), "speedy speed_2 2speed");
  EXPECT_EQ(Sub("x=gain*speed"), "x=1.5*P10");
  EXPECT_EQ(Sub("a off b"), "a   b");
  EXPECT_EQ(Sub("P1=P10"), "M7=P10");  // P10 is one word, never P and 10
}

TEST_F(SubstituteNamesTest, UserDefinitionsComeBeforeVariableNames) {
  Define("#define dup P3");
  Define("#define dup 42");
  EXPECT_EQ(Sub("dup"), "42");
  // Two variables of a kind may share a name: the first defined wins.
  Define("#define shared Q9");
  Define("#define shared Q2");
  EXPECT_EQ(Sub("shared"), "Q9");
  // Renaming the first holder hands the name on to the next.
  Define("#define renamed Q9");
  EXPECT_EQ(Sub("shared renamed"), "Q2 Q9");
}

TEST_F(SubstituteNamesTest, LeavesQuotedTextAlone) {
  Define("#define speed P10");
  EXPECT_EQ(Sub("CMD\"speed=1\" speed=2"), "CMD\"speed=1\" P10=2");
  EXPECT_EQ(Sub("\"a\"\"speed\"speed"), "\"a\"\"speed\"P10");
  // An unterminated quote stops the work for the rest of the line.
  EXPECT_EQ(Sub("speed \"speed speed"), "P10 \"speed speed");
  EXPECT_EQ(Sub("\""), "\"");
}

TEST_F(SubstituteNamesTest, StopsBeforeGrowingPast255Characters) {
  Define("#define a P1000");
  Define("#define shorter Q1");
  std::string line(245, 'x');
  line += " a a";  // 249 characters: the first "a" fits (253), the second would make 257
  int result = -1;
  const std::string out = Sub(line, &result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(out, std::string(245, 'x') + " P1000 a");
  EXPECT_LE(out.size(), 255u);

  // Shrinking replacements always fit.
  std::string longLine(250, 'y');
  longLine += " shorter";
  EXPECT_EQ(Sub(longLine, &result), std::string(250, 'y') + " Q1");
  EXPECT_EQ(result, 0);
}

// A growing substitution may end the line at 255 characters exactly, not at 256.
TEST_F(SubstituteNamesTest, AGrowingSubstitutionMayEndAtExactly255Characters) {
  Define("#define a P1000");  // one character becomes five
  for (std::size_t grown : {250u, 253u, 254u, 255u, 256u, 257u}) {
    const std::size_t filler = grown - 6;  // the filler, a blank and "P1000"
    const std::string line = std::string(filler, 'x') + " a";
    int result = -1;
    const std::string out = Sub(line, &result);
    if (grown <= 255) {
      EXPECT_EQ(result, 0) << grown;
      EXPECT_EQ(out, std::string(filler, 'x') + " P1000") << grown;
      EXPECT_EQ(out.size(), grown);
    } else {
      EXPECT_EQ(result, 1) << grown;
      EXPECT_EQ(out, line) << grown;  // left as it was
    }
  }

  // The same at the end of the second of two substitutions, and with text after the name.
  for (std::size_t grown : {254u, 255u, 256u}) {
    const std::size_t filler = grown - 14;  // "P1000 ", the filler and " P1000 y"
    const std::string line = "a " + std::string(filler, 'x') + " a y";
    int result = -1;
    const std::string out = Sub(line, &result);
    EXPECT_EQ(result, grown <= 255 ? 0 : 1) << grown;
    EXPECT_EQ(out, "P1000 " + std::string(filler, 'x') + (grown <= 255 ? " P1000 y" : " a y"))
        << grown;
    if (grown <= 255) {
      EXPECT_EQ(out.size(), grown);
    }
    EXPECT_LE(out.size(), 255u);
  }

  // A replacement as long as its name never stops the work, even on a longer line.
  Define("#define abcde P1000");
  const std::string full = std::string(260, 'x') + " abcde";
  int result = -1;
  EXPECT_EQ(Sub(full, &result), std::string(260, 'x') + " P1000");
  EXPECT_EQ(result, 0);
}

TEST_F(SubstituteNamesTest, WordsLongerThanANameAreSkipped) {
  Define("#define " + std::string(32, 'n') + " P1");
  EXPECT_EQ(Sub(std::string(32, 'n')), "P1");
  EXPECT_EQ(Sub(std::string(33, 'n')), std::string(33, 'n'));
}

// The monitor thread substitutes names while the user defines new ones.
TEST_F(SubstituteNamesTest, ReadersAndTheWriterDoNotRace) {
  std::atomic<bool> stop{false};
  std::thread reader([&] {
    while (!stop) {
      std::string line = "RX:$6 name1 name2 I5049";
      table.SubstituteNames(line);
    }
  });
  for (int i = 0; i < 500; ++i) {
    table.DefineLine("#define name" + std::to_string(i % 7) + " P" + std::to_string(i), 0,
                     terminal);
    if (i % 100 == 99) table.ClearDefinitions(true);
  }
  stop = true;
  reader.join();
  SUCCEED();
}

}  // namespace
}  // namespace bl
