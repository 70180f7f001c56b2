// The readable source: references by name, defaults, quoting, the errors it refuses with, and
// decompiling back to the same bytes. The shipped sources are checked in builtin_scripts_test.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "diagnostics/script_test_support.h"

namespace bl::diagnostics::test {
namespace {

// Decompiling and compiling again gives the same file.
void ExpectRoundTrip(const DiagnosticTables& tables) {
  const std::string bytes = EncodeScript(tables);
  const std::string source = DecompileScript(tables);
  DiagnosticTables again;
  std::string error;
  ASSERT_TRUE(CompileScriptSource(source, "decompiled", again, error)) << error << "\n" << source;
  EXPECT_EQ(EncodeScript(again), bytes) << source;
}

TEST(ScriptSource, ReferencesDefaultsAndWords) {
  const DiagnosticTables t = Compiled(R"(# a panel
variable Motor type=internal value=2   # trailing comment
variable "odd name" type=X number=$B0 index=Motor multiplier=$80
variable Pos type=D number=-17 index=@0
page title="Panel" size=200,100
shape Base box=0,0,10,10 shape=octagon motion=rotate
shape box=1,2,3,4 parent=Base motion-end=90 motion-start=-90
    var=Pos var-b=@1 op=ratio bits=0,8 bits-b=4,4 outline=red/3 fill=blue
button action=set target=Motor set=5 font=large align=wrapcentre
item kind=42 style=7
)");
  EXPECT_EQ(t.variableCount, 3);
  EXPECT_EQ(t.itemCount, 5);
  EXPECT_EQ(t.variables[0].value, 2);
  EXPECT_EQ(t.variables[0].multiplier, 0);
  EXPECT_EQ(t.variables[1].name, "odd name");
  EXPECT_EQ(t.variables[1].number, 0xB0);
  EXPECT_EQ(t.variables[2].indexVariable, 0);
  EXPECT_EQ(t.variables[2].multiplier, 1);  // an index steps by one unless told
  EXPECT_EQ(t.items[0].fillNormal, 3);      // pages default to light grey
  EXPECT_EQ(t.items[1].style, 5);
  EXPECT_EQ(t.items[1].variableA, -1);
  EXPECT_EQ(t.items[1].scaleA, 1);
  EXPECT_EQ(t.items[1].fillNormal, 15);
  const DiagnosticItem& moved = t.items[2];
  EXPECT_EQ(moved.precision, 1);  // the parent
  EXPECT_EQ(moved.variableA, 2);
  EXPECT_EQ(moved.variableB, 1);
  EXPECT_EQ(moved.operation, 3);
  EXPECT_EQ(moved.outlineNormal, 5 + 32);
  EXPECT_EQ(t.items[3].precision, 0);  // the target
  EXPECT_EQ(t.items[3].alignment, 10);
  EXPECT_EQ(t.items[4].kind, 42);
  ExpectRoundTrip(t);
}

TEST(ScriptSource, QuotedTextsKeepEveryByte) {
  DiagnosticTables t;
  t.itemCount = 3;
  t.variableCount = 2;
  t.items[0].kind = kKindValueBox;
  for (int c = 1; c < 256; ++c) t.items[0].text1 += static_cast<char>(c);
  t.items[1].kind = kKindButton;
  t.items[1].text2 = R"(a\b\\c\"d\x41\)";
  t.items[1].command = "Line\\nbreak \"quoted\" \\x";
  t.items[2].kind = kKindPage;
  t.variables[0].name = "with blank";
  t.variables[1].name = "with blank";  // the same: referred to by index
  t.items[2].variableA = 1;
  ExpectRoundTrip(t);

  const DiagnosticTables d = Compiled(R"(edit description="Line 1\nLine 2 \"x\" \\ \x41")");
  EXPECT_EQ(d.items[0].text2, R"(Line 1\nLine 2 "x" \ A)");
}

TEST(ScriptSource, OddValuesSurviveTheRoundTrip) {
  DiagnosticTables t;
  t.itemCount = 5;
  t.variableCount = 1;
  DiagnosticItem& i = t.items[0];
  i.kind = kKindShape;
  i.style = -3;
  i.x1 = std::numeric_limits<int>::min();
  i.precision = 5000;
  i.variableA = -7;
  i.variableB = 1000;
  i.outlineNormal = 99;
  i.fillActive = -1;
  i.scaleA = -0.0;
  i.scaleB = std::bit_cast<double>(std::uint64_t{0x7FF0000000000123});  // a signalling NaN
  i.maximum = std::numeric_limits<double>::infinity();
  i.minimum = 1e-310;
  t.items[1].kind = -1;  // kinds the words do not name
  t.items[2].kind = 0;   // an end of the list in the middle of the file
  t.items[2].mode = 6;
  t.items[4].kind = kKindButton;
  t.items[4].mode = kActionSetVariable;
  t.items[4].precision = -1;
  t.items[3].kind = kKindPage;
  t.items[3].x2 = 9;
  t.variables[0].type = 55;
  t.variables[0].number = -1;
  t.variables[0].indexVariable = 999;
  t.variables[0].multiplier = 1;
  t.variables[0].value = std::numeric_limits<double>::quiet_NaN();
  ExpectRoundTrip(t);
}

TEST(ScriptSource, RefusedWithFileAndLine) {
  const struct {
    std::string source;
    std::string error;
  } cases[] = {
      {"page\n\nfrob x=1", "test.diag:3: unknown statement 'frob'"},
      {"  page", "test.diag:1: an indented line continues no statement"},
      {"page\nvalue var=Nothing", "test.diag:2: no variable is named Nothing"},
      {"variable A type=P\nvariable A type=Q\npage\nvalue\n  var=A",
       "test.diag:5: more than one variable is named A"},
      {"page box=1,2,3", "test.diag:1: box= takes 4 whole numbers separated by commas"},
      {"page angle=99999999999", "test.diag:1: angle= takes a whole number, not '99999999999'"},
      {"page fill=pink", "test.diag:1: 'pink' is not a value of fill="},
      {"page outline=red/4", "test.diag:1: 'red/4' is not an outline (colour/width 1 to 3)"},
      {"page title=\"open", "test.diag:1: a quoted text without its closing quote"},
      {"page title=\"\\x00\"", "test.diag:1: a text cannot hold a NUL byte"},
      {"page size=1,2 x1=3", "test.diag:1: the field of x1= is given twice"},
      {"shape parent=@1 precision=2", "test.diag:1: the field of precision= is given twice"},
      {"variable v number=1", "test.diag:1: a variable needs its type="},
      {"page\nshape a\nshape a", "test.diag:3: a second item named a"},
      {"page title=\"" + std::string(256, 't') + "\"",
       "test.diag:1: title= text is longer than 255 characters"},
  };
  for (const auto& c : cases) {
    DiagnosticTables t;
    std::string error;
    EXPECT_FALSE(CompileScriptSource(c.source, "test.diag", t, error)) << c.source;
    EXPECT_EQ(error, c.error) << c.source;
  }
  std::string many;
  for (int i = 0; i < 1001; ++i) many += "line\n";
  DiagnosticTables t;
  std::string error;
  EXPECT_FALSE(CompileScriptSource(many, "many.diag", t, error));
  EXPECT_EQ(error, "many.diag:1001: more than 1000 items");
}

}  // namespace
}  // namespace bl::diagnostics::test
