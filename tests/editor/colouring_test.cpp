#include <gtest/gtest.h>

#include <sstream>

#include "definitions/definition_table.h"
#include "editor/colour_line.h"
#include "editor/keyword_table.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::editor {
namespace {

using Tokens = std::vector<ColouredToken>;

class ColouringTest : public ::testing::Test {
 protected:
  Tokens Colour(std::string_view line, bool open = false, bool* stillOpen = nullptr) {
    Tokens tokens;
    const bool result = ColourTokens(line, open, {colors, switches, table}, tokens);
    if (stillOpen) *stillOpen = result;
    return tokens;
  }
  void Define(std::string_view line) { table.DefineLine(line, 0, terminal); }

  EditorColors colors = kDefaultEditorColors;
  ColouringSwitches switches;
  DefinitionTable table;
  Terminal terminal;
};

TEST_F(ColouringTest, CommentsRunToTheLineEndAndASlashAloneIsText) {
  EXPECT_EQ(Colour("; comment"), (Tokens{{0, 9, kColorComments}}));
  EXPECT_EQ(Colour("x// c"), (Tokens{{0, 1, kColorNormalText}, {1, 5, kColorComments}}));
  EXPECT_EQ(Colour("1 / 2"), (Tokens{{0, 5, kColorNormalText}}));
}

TEST_F(ColouringTest, BlockCommentCarriesOverLines) {
  bool open = false;
  EXPECT_EQ(Colour("X = 1 /* note", false, &open),
            (Tokens{{0, 1, kColorNormalText}, {1, 6, kColorNormalText}, {6, 13, kColorComments}}));
  EXPECT_TRUE(open);
  EXPECT_EQ(Colour("still", true, &open), (Tokens{{0, 5, kColorComments}}));
  EXPECT_TRUE(open);
  EXPECT_EQ(Colour("", true, &open), Tokens{});
  EXPECT_TRUE(open);
  EXPECT_EQ(Colour("end */ Y", true, &open),
            (Tokens{{0, 6, kColorComments}, {6, 7, kColorNormalText}, {7, 8, kColorNormalText}}));
  EXPECT_FALSE(open);
  EXPECT_EQ(Colour("/*/ a", false, &open),
            (Tokens{{0, 3, kColorComments}, {3, 4, kColorNormalText}, {4, 5, kColorNormalText}}));
  EXPECT_FALSE(open);
}

TEST_F(ColouringTest, UnclosedQuotationIsRedToTheLineEndOnly) {
  bool open = true;
  EXPECT_EQ(Colour("SEND\"abc ;x", false, &open),
            (Tokens{{0, 4, kColorKeywords}, {4, 11, kColorQuotations}}));
  EXPECT_FALSE(open);
  EXPECT_EQ(Colour("\"a\"b"), (Tokens{{0, 3, kColorQuotations}, {3, 4, kColorNormalText}}));
}

TEST_F(ColouringTest, NamesCompareWithCaseKeywordsWithout) {
  Define("#define Speed P10");
  EXPECT_EQ(Colour("Speed"), (Tokens{{0, 5, kColorPDefinitions}}));
  EXPECT_EQ(Colour("speed"), (Tokens{{0, 5, kColorNormalText}}));
  EXPECT_EQ(Colour("close"), (Tokens{{0, 5, kColorKeywords}}));
  Define("#define Gain Q3");
  Define("#define Pos M101");
  Define("#define Kp I130");
  EXPECT_EQ(Colour("Gain Pos Kp")[0].color, kColorQDefinitions);
  EXPECT_EQ(Colour("Gain Pos Kp")[2].color, kColorMDefinitions);
  EXPECT_EQ(Colour("Gain Pos Kp")[4].color, kColorIDefinitions);
}

TEST_F(ColouringTest, DefinitionsWinOverKeywordsAndUserDefinitionsWinOverVariables) {
  Define("#define OPEN P1");  // a keyword as a name
  EXPECT_EQ(Colour("OPEN"), (Tokens{{0, 4, kColorPDefinitions}}));
  Define("#define Both 5");
  Define("#define Both P9");  // the same name in the P list too
  EXPECT_EQ(Colour("Both"), (Tokens{{0, 4, kColorUserDefinitions}}));
  switches.userDefinitions = false;
  EXPECT_EQ(Colour("Both"), (Tokens{{0, 4, kColorPDefinitions}}));
  switches.pDefinitions = false;
  EXPECT_EQ(Colour("OPEN"), (Tokens{{0, 4, kColorKeywords}}));  // falls back to the keyword
  switches.keywords = false;
  EXPECT_EQ(Colour("OPEN"), (Tokens{{0, 4, kColorNormalText}}));
}

TEST_F(ColouringTest, KeywordIsTheWholeLeadingRunOfLetters) {
  EXPECT_EQ(Colour("ENDWHILE"), (Tokens{{0, 8, kColorKeywords}}));
  EXPECT_EQ(Colour("END1"), (Tokens{{0, 3, kColorKeywords}, {3, 4, kColorNormalText}}));
  EXPECT_EQ(Colour("PROG10 x"),
            (Tokens{{0, 4, kColorKeywords}, {4, 7, kColorNormalText}, {7, 8, kColorNormalText}}));
  EXPECT_EQ(Colour("ENDX"), (Tokens{{0, 4, kColorNormalText}}));
  EXPECT_EQ(Colour("P1"), (Tokens{{0, 2, kColorNormalText}}));
  EXPECT_TRUE(IsKeyword("macroslvread"));
}

TEST_F(ColouringTest, LinesOverTheColumnLimitAreNotColoured) {
  bool open = true;
  EXPECT_TRUE(Colour(std::string(256, 'a'), true, &open).empty());
  EXPECT_FALSE(open);
  EXPECT_EQ(Colour(std::string(255, 'a')).size(), 1u);
}

// The scan from the text's start must agree with colouring line by line, or the first visible
// line would start in the wrong state after scrolling.
TEST_F(ColouringTest, BlockCommentAtAgreesWithLineByLineColouring) {
  const std::string text =
      "a /* one\n"
      "two */ b /* x */ c\n"
      "\"q /* not\" d\n"
      "; /* no\n"
      "e /* three *//\n"
      "f\n"
      "g /*/ h\n"
      "\"open /*\n"
      "i /*\n"
      "\n"
      "*/ j // /*\n"
      "k";
  std::istringstream in(text);
  std::string line;
  bool open = false;
  int n = 0;
  while (std::getline(in, line)) {
    EXPECT_EQ(BlockCommentAt(text, n), open) << "line " << n;
    Tokens tokens;
    open = ColourTokens(line, open, {colors, switches, table}, tokens);
    ++n;
  }
  EXPECT_EQ(ScanToLine(text, 2).position, static_cast<int>(text.find("\"q")));
  EXPECT_EQ(ScanToLine(text, 99).position, static_cast<int>(text.size()));
}

}  // namespace
}  // namespace bl::editor
