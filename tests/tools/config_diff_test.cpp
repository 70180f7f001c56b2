// Backup texts taken apart and compared: constructed differences of each kind, controllers of
// different families, damaged files and the line diff's bounds.
#include "tools/config_diff.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "definitions/definition_table.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::tools {
namespace {

// A backup as the dialog writes it, with CR LF line ends.
const std::string kBase =
    "P0=0\r\nP1=1000\r\nP2=$3E8\r\n"
    "M1->X:$C000,0,24,S\r\nM2->Y:$C003,8,16,U\r\n; M1=0\r\n; M2=5\r\n"
    "I0=0\r\nI130=2000\r\nI131=1500\r\n"
    "\r\nDELETE GATHER\r\n"
    "\r\nOPEN PROG 3\r\nCLEAR\r\nLINEAR\r\nX1000\r\nDWELL 10\r\nX0\r\n\r\nCLOSE\r\n"
    "DISABLE PLC 0..31\r\n"
    "\r\nOPEN PLC 1\r\nCLEAR\r\nP20=5\r\n\r\nCLOSE\r\nENABLE PLC 1\r\n"
    "\r\nUNDEFINE ALL\r\n\r\n&2\r\n#4->2000X\r\n\r\n&1\r\n#1->1000X\r\n#2->1000Y\r\n"
    "WY:$000720,$00C000,$00C001,$00C002,$00C003,$00C004,$00C005,$00C006,$00C007\r\n";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::vector<std::string> Lines(const ConfigDiff& diff) {
  std::vector<std::string> lines;
  for (const DiffEntry& e : diff.entries) lines.push_back(DiffLine(e));
  return lines;
}

ConfigDiff Compare(const std::string& a, const std::string& b,
                   const DefinitionTable* names = nullptr) {
  const ConfigModel ma = ParseConfig(a, "a.pmc");
  const ConfigModel mb = ParseConfig(b, "b.pmc");
  EXPECT_TRUE(ma.problems.empty()) << ma.problems.front();
  EXPECT_TRUE(mb.problems.empty()) << mb.problems.front();
  return CompareConfigs(ma, mb, names, false);
}

TEST(ConfigDiffTest, TheSameBackupWithOtherLineEndsAndNumberFormsHasNoDifferences) {
  std::string lf = kBase;
  for (std::size_t at; (at = lf.find('\r')) != std::string::npos;) lf.erase(at, 1);
  lf = Replace(lf, "P1=1000\n", "P1=1000.0\n");
  lf = Replace(lf, "P2=$3E8\n", "P2=1000\n");
  lf = Replace(lf, "M1->X:$C000,0,24,S", "m1->x:$c000,0,24,s");
  lf = Replace(lf, "I131=1500\n", "I131 = 1500\n");
  const ConfigDiff diff = Compare(kBase, lf);
  EXPECT_EQ(diff.Differences(), 0u) << testing::PrintToString(Lines(diff));
}

TEST(ConfigDiffTest, EachKindOfChangeIsOneLineInFileOrder) {
  DefinitionTable names;
  Terminal terminal;
  names.DefineLine("#define PropGain1 I130", 0, terminal);
  std::string b = Replace(kBase, "I130=2000", "I130=3000");
  b = Replace(b, "X1000\r\n", "X2000\r\n");
  b = Replace(b, "M2->Y:$C003,8,16,U", "M2->Y:$C003,0,16,U");
  b = Replace(b, "ENABLE PLC 1\r\n",
              "ENABLE PLC 1\r\n\r\nOPEN PLC 7\r\nCLEAR\r\nP1=0\r\nCLOSE\r\n");
  b = Replace(b, "#4->2000X", "#4->2000Y");
  b = Replace(b, "$00C003,", "$00C0FF,");
  const ConfigDiff diff = Compare(kBase, b, &names);
  EXPECT_EQ(Lines(diff), (std::vector<std::string>{
                             "M2->: Y:$C003,8,16,U -> Y:$C003,0,16,U",
                             "I130: 2000 -> 3000 (PropGain1)",
                             "PROG 3 line 2: X1000 -> X2000",
                             "PLC 7: only in B: 1 line",
                             "Encoder table Y:$000723: $00C003 -> $00C0FF",
                             "&2 #4->: 2000X -> 2000Y",
                         }));
  EXPECT_EQ(diff.changed, 5u);
  EXPECT_EQ(diff.onlyInB, 1u);
  EXPECT_EQ(diff.entries[1].section, "I-Variables");
  EXPECT_EQ(diff.entries[2].section, "Motion Programs");
}

TEST(ConfigDiffTest, ProgramLinesAddedAndRemovedAreMatchedByTheirNeighbours) {
  std::string b = Replace(kBase, "LINEAR\r\n", "");
  b = Replace(b, "DWELL 10\r\n", "DWELL 10\r\nDWELL 20\r\nX5\r\n");
  b = Replace(b, "ENABLE PLC 1", "DISABLE PLC 1");
  EXPECT_EQ(Lines(Compare(kBase, b)), (std::vector<std::string>{
                                          "PROG 3 line 1: only in A: LINEAR",
                                          "PROG 3 line 3: only in B: DWELL 20",
                                          "PROG 3 line 4: only in B: X5",
                                          "PLC 1 state: enabled -> disabled",
                                      }));
}

TEST(ConfigDiffTest, WithSameEntriesEveryItemOfBothIsListed) {
  const ConfigDiff diff =
      CompareConfigs(ParseConfig(kBase, "a"), ParseConfig(kBase, "b"), nullptr, true);
  EXPECT_EQ(diff.Differences(), 0u);
  // 3 P, 2 M definitions, 2 M values, 3 I, 4 program lines, 1 PLC line, its state, 3 axes,
  // 8 encoder words; the framing commands are no items.
  EXPECT_EQ(diff.entries.size(), 27u);
}

TEST(ConfigDiffTest, APmacFileAgainstATurboFileComparesWhatBothHaveAndSaysTheTypesDiffer) {
  std::string pmac;
  std::string turbo;
  for (int n = 0; n < 8192; ++n) {
    if (n < 1024) pmac += "I" + std::to_string(n) + "=0\n";
    turbo += "I" + std::to_string(n) + "=" + (n == 5 ? "1" : "0") + "\n";
  }
  const ConfigModel a = ParseConfig(pmac, "pmac.pmc");
  const ConfigModel b = ParseConfig(turbo, "turbo.pmc");
  EXPECT_EQ(a.variableCount, 1024);
  EXPECT_EQ(b.variableCount, 8192);
  const ConfigDiff diff = CompareConfigs(a, b, nullptr, false);
  ASSERT_GE(diff.entries.size(), 3u);
  EXPECT_EQ(DiffLine(diff.entries[0]),
            "controller type: PMAC (1024 variables) -> Turbo PMAC (8192 variables)");
  EXPECT_EQ(DiffLine(diff.entries[1]), "I5: 0 -> 1");
  EXPECT_EQ(DiffLine(diff.entries[2]), "I1024: only in B: 0");
  EXPECT_EQ(diff.changed, 2u);
  EXPECT_EQ(diff.onlyInB, 8192u - 1024u);

  // A controller's own type is compared by its code.
  const ConfigModel c = ControllerConfig(turbo, 5, "Turbo PMAC2", 8192);
  const ConfigModel d = ControllerConfig(turbo, 4, "Turbo PMAC1", 8192);
  EXPECT_EQ(DiffLine(CompareConfigs(c, d, nullptr, false).entries.at(0)),
            "controller type: Turbo PMAC2 -> Turbo PMAC1");
  // A controller and a file of the same family: nothing to say about the type.
  EXPECT_EQ(CompareConfigs(c, b, nullptr, false).Differences(), 0u);
  EXPECT_EQ(DiffLine(CompareConfigs(c, a, nullptr, false).entries.at(0)),
            "controller type: Turbo PMAC2 -> PMAC (1024 variables)");
}

TEST(ConfigDiffTest, DamagedFilesNameTheirFileAndLineAndAreNotCompared) {
  const auto problems = [](const std::string& text) {
    return ParseConfig(text, "cell3.pmc").problems;
  };
  EXPECT_EQ(problems("P1=2\nP99999=1\n"),
            std::vector<std::string>{"cell3.pmc:2: P99999 is no variable (0..8191)"});
  EXPECT_EQ(problems("I130=\n"), std::vector<std::string>{"cell3.pmc:1: I130 has no value"});
  EXPECT_EQ(problems("\nOPEN PROG 3\nCLEAR\nX10\n"),
            std::vector<std::string>{"cell3.pmc:2: OPEN without a CLOSE after it"});
  EXPECT_EQ(problems("OPEN PLC 1\nOPEN PLC 2\nCLOSE\nCLOSE\n"),
            (std::vector<std::string>{
                "cell3.pmc:2: OPEN before the CLOSE of the program opened at line 1",
                "cell3.pmc:4: CLOSE without an OPEN before it"}));
  EXPECT_EQ(problems("#1->1000X\n"),
            std::vector<std::string>{
                "cell3.pmc:1: an axis definition before any coordinate system (&n)"});
  EXPECT_EQ(problems("WP:$FFFFFF,1,2\nWY:$720,GG\n"),
            (std::vector<std::string>{
                "cell3.pmc:1: no memory address $0..$FFFFFF",
                "cell3.pmc:2: a memory word that is not 1 to 6 hexadecimal digits"}));
  std::string words = "WP:$100";
  for (int k = 0; k < 33; ++k) words += ",$1";
  EXPECT_EQ(problems(words), std::vector<std::string>{
                                 "cell3.pmc:1: a memory write needs an address and 1 to 32 words"});
  EXPECT_EQ(problems(std::string("P1=2\n\x7f"
                                 "ELF\x01\x02\n",
                                 11)),
            std::vector<std::string>{"cell3.pmc:2: a control character: this is no backup text"});
  EXPECT_EQ(problems("P1=" + std::string(5000, '1')),
            std::vector<std::string>{"cell3.pmc:1: a line longer than any a backup writes"});
  // A binary file: reported up to the limit, never more.
  std::string binary;
  for (int k = 0; k < 500; ++k) binary += std::string("\0\n", 2);
  EXPECT_EQ(problems(binary).size(), kMaxConfigProblems);
  // Comments of the user's and commands of no known kind are no damage.
  EXPECT_TRUE(problems("; my notes\n; M7 is spare\nENABLE PLC 3\nI5\nHOME1\n").empty());
}

TEST(ConfigDiffTest, ValuesCompareAsNumbersWhenBothAreNumbers) {
  EXPECT_TRUE(SameValue("1000", "1000.0"));
  EXPECT_TRUE(SameValue("$3E8", "1000"));
  EXPECT_TRUE(SameValue("-$10", "-16"));
  EXPECT_TRUE(SameValue(" 1e3", "1000 "));
  EXPECT_FALSE(SameValue("1000", "1000.5"));
  EXPECT_FALSE(SameValue("$3E8", "3E8"));  // the second is 3e8
  EXPECT_TRUE(SameValue("x:$c000,0,24,s", "X:$C000,0,24,S"));
  EXPECT_FALSE(SameValue("nan", "inf"));
  EXPECT_FALSE(SameValue("", "0"));
}

TEST(LineDiffTest, FindsTheLongestCommonLinesAndFallsBackToBlocksWhenTooLarge) {
  using L = std::vector<std::string>;
  const auto ops = [](const L& a, const L& b, std::size_t cells) {
    std::string out;
    for (const LineEdit& e : DiffLines(a, b, cells))
      out += e.op == LineEdit::kKeep ? '=' : e.op == LineEdit::kRemove ? '-' : '+';
    return out;
  };
  const L a = {"A", "B", "C", "D", "E", "F"};
  const L b = {"A", "X", "C", "E", "Y", "F"};
  EXPECT_EQ(ops(a, b, kMaxLineDiffCells), "=-+=-=+=");
  // The unmatched middle (4 x 4) is over the limit: one block out, the other in.
  EXPECT_EQ(ops(a, b, 15), "=----++++=");
  EXPECT_EQ(ops({}, b, 0), "++++++");
  EXPECT_EQ(ops(a, {}, 0), "------");
  EXPECT_EQ(ops(a, a, 0), "======");
  // Every index is in range and each side is walked in order.
  const auto edits = DiffLines(b, a);
  std::size_t nextA = 0;
  std::size_t nextB = 0;
  for (const LineEdit& e : edits) {
    if (e.op != LineEdit::kAdd) {
      EXPECT_EQ(e.a, nextA++);
    }
    if (e.op != LineEdit::kRemove) {
      EXPECT_EQ(e.b, nextB++);
    }
  }
  EXPECT_EQ(nextA, b.size());
  EXPECT_EQ(nextB, a.size());
}

}  // namespace
}  // namespace bl::tools
