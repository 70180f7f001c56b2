#include <gtest/gtest.h>

#include "definitions/clean_line.h"

namespace bl {
namespace {

std::string Clean(std::string line, bool open = false, bool* stillOpen = nullptr) {
  const bool result = CleanLine(line, open);
  if (stillOpen) *stillOpen = result;
  return line;
}

TEST(CleanLineTest, StripsCommentsAndSurplusBlanks) {
  EXPECT_EQ(Clean("P1 /* note */ P2"), "P1 P2");
  EXPECT_EQ(Clean("x;y"), "x");
  EXPECT_EQ(Clean("P1 ; comment"), "P1 ");  // a trailing blank stays
  EXPECT_EQ(Clean("P1 // comment"), "P1 ");
  EXPECT_EQ(Clean("   P1    P2  "), "P1 P2 ");
  EXPECT_EQ(Clean("a/b"), "a/b");
  EXPECT_EQ(Clean("a\t\tb"), "a\t\tb");  // only blanks are collapsed
  EXPECT_EQ(Clean(""), "");
}

TEST(CleanLineTest, KeepsQuotedText) {
  EXPECT_EQ(Clean("CMD\"P1;  //x\" ; note"), "CMD\"P1; //x\" ");
  // A quote right after "/*" starts a string rather than a comment.
  EXPECT_EQ(Clean("a /*\"b;\" c"), "a \"b;\" c");
}

TEST(CleanLineTest, CarriesBlockCommentsAcrossLines) {
  bool open = false;
  EXPECT_EQ(Clean("P1 /* starts here", false, &open), "P1 ");
  EXPECT_TRUE(open);
  EXPECT_EQ(Clean("still inside", true, &open), "");
  EXPECT_TRUE(open);
  EXPECT_EQ(Clean("ends */P2", true, &open), "P2");
  EXPECT_FALSE(open);
  // The character right after the comment is copied without being looked at.
  EXPECT_EQ(Clean("x */;y", true, &open), ";y");
  EXPECT_FALSE(open);
}

TEST(CleanLineTest, CutsOverlongLines) {
  std::string line(300, 'a');
  CleanLine(line, false);
  EXPECT_EQ(line.size(), 255u);
}

}  // namespace
}  // namespace bl
