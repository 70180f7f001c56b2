// The backup's sections on the virtual controller of each family, and a backup restored into a
// fresh controller of the same type.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/text_format.h"
#include "tools/backup.h"
#include "tools/backup_fixture.h"

namespace bl::tools {
namespace {

// Everything a controller can hold that the backup writes: variables, M-variable definitions,
// motion programs, PLCs (one disabled), a compiled PLC made in P memory, axis definitions in two
// coordinate systems, changed gains and, on a non-Turbo controller, a changed encoder table.
void Load(VirtualBench& c) {
  const bool turbo = c.type >= 4;
  std::vector<std::string> lines = {
      "P1=12.5 P100=-3 Q5=7 Q1023=0.25 I130=3000 I131=1500",
      "M1->X:$C000,0,24,S M2->Y:$C003,8,16,U M3->D:$88 M4->L:$1001",
      "OPEN PROG 7 CLEAR",
      "X1000",
      "CLOSE",
      "OPEN PROG 3 CLEAR",
      "P10=P11%3 F(P1) X(P2) DWELL 10",
      "CLOSE",
      "OPEN PLC 5 CLEAR",
      "IF (P1 > 0)",
      "P2 = 1",
      "ENDI",
      "CLOSE",
      "OPEN PLC 1 CLEAR",
      "P20=5",
      "CLOSE",
      "DIS PLC 5",
      "&1 #1->1000X #2->1000Y",
      "&2 #4->2000X",
  };
  // Compiled PLC 3: its start in the table (sign bit set), the end of the compiled area, an
  // enable word, then eleven code words.
  const int base = turbo ? 0x50000 : 0x8000;
  const int code = turbo ? 0x51000 : 0x8100;
  lines.push_back(platform::Format("WP:%d,%d", base + 3, 0x800000 | code));
  lines.push_back(platform::Format("WP:%d,%d", base + 97, code + 11));
  lines.push_back(platform::Format("WP:%d,%d", base + 39, code));
  lines.push_back(platform::Format("WP:%d,1,2,3,4,5,6,7,8,9,10,11", code));
  if (!turbo) lines.push_back("WY:$722,$00C028");
  for (const std::string& line : lines) ASSERT_EQ(c.Command(line), "\x06") << line;
}

std::string Backup(VirtualBench& c, const std::string& path, BackupSwitches switches = {}) {
  std::string error;
  EXPECT_TRUE(RunBackup(c.workbench.link, c.Target(), switches, path, nullptr, error)) << error;
  return Contents(path);
}

// Restore is the file download.
std::vector<std::string> Restore(VirtualBench& c, const std::string& path) {
  std::vector<std::string> messages;
  c.workbench.link.Download(
      path, [&](std::string_view text) { messages.emplace_back(text); }, [](int) {});
  return messages;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find("\r\n", at), text.size());
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

std::size_t CountPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
  return static_cast<std::size_t>(std::count_if(
      lines.begin(), lines.end(), [&](const auto& l) { return l.rfind(prefix, 0) == 0; }));
}

class BackupTest : public ::testing::TestWithParam<int> {};

TEST_P(BackupTest, EverySectionIsWrittenInItsFormat) {
  const int type = GetParam();
  const bool turbo = type >= 4;
  VirtualBench c(type);
  Load(c);
  ScratchFolder folder;
  BackupSwitches all;
  all.on.fill(true);
  const std::string text = Backup(c, folder.File("all.pmc"), all);
  const std::vector<std::string> lines = Lines(text);
  const std::size_t n = static_cast<std::size_t>(c.Target().variableCount);

  // Variables: one line per variable from 0, in P, Q, M, I order; the M values only as comments.
  ASSERT_GT(lines.size(), 4 * n);
  EXPECT_EQ(lines[0], "P0=0");
  EXPECT_EQ(lines[1], "P1=12.5");
  EXPECT_EQ(lines[100], "P100=-3");
  EXPECT_EQ(lines[n + 5], "Q5=7");
  EXPECT_EQ(lines[2 * n + 1], "M1->X:$C000,0,24,S");
  EXPECT_EQ(lines[2 * n + 3], "M3->D:$88");
  EXPECT_EQ(lines[3 * n], "; M0=0");
  EXPECT_EQ(lines[4 * n], "I0=0");
  EXPECT_EQ(lines[4 * n + 130], "I130=3000");
  const char* blocks[] = {"P", "Q", "M", "; M", "I"};
  for (std::size_t k = 0; k < 5 * n; ++k) {
    const std::string head = blocks[k / n] + std::to_string(k % n) + (k / n == 2 ? "->" : "=");
    ASSERT_EQ(lines[k].rfind(head, 0), 0u) << lines[k];
  }

  // Programs: directory order, the listing as the controller gives it (a '%' too), framed so a
  // download stores it again; nothing that needs memory before the gather buffer is gone.
  EXPECT_NE(
      text.find("\r\nDELETE GATHER\r\n\r\nOPEN PROG 7\r\nCLEAR\r\nX1000\r\nRETURN\r\n\r\n"
                "CLOSE\r\n\r\nOPEN PROG 3\r\nCLEAR\r\nP10=P11%3\r\nF(P1)\r\nX(P2)\r\nDWELL10\r\n"
                "RETURN\r\n\r\nCLOSE\r\n"),
      std::string::npos);
  EXPECT_NE(text.find("CLOSE\r\nDISABLE PLC 0..31\r\n\r\nOPEN PLC 1\r\nCLEAR\r\nP20=5\r\n\r\n"
                      "CLOSE\r\nENABLE PLC 1\r\n\r\nOPEN PLC 5\r\nCLEAR\r\nIF(P1>0)\r\nP2=1\r\n"
                      "ENDIF\r\n\r\nCLOSE\r\nDISABLE PLC 5\r\n"),
            std::string::npos);

  // The compiled PLC: its code words, eight to a line while eight remain, then the table.
  const std::string plcc =
      turbo ? "\r\n; Upload of PLCC 3\r\n"
              "WP:$051000,$000001,$000002,$000003,$000004,$000005,$000006,$000007,$000008\r\n"
              "WP:$051008,$000009\r\nWP:$051009,$00000A\r\nWP:$05100A,$00000B\r\n\r\n"
              "; PLCC table\r\n"
              "WP:$050000,$000000,$000000,$000000,$851000,$000000,$000000,$000000,$000000\r\n"
            : "\r\n; Upload of PLCC 3\r\n"
              "WP:$008100,$000001,$000002,$000003,$000004,$000005,$000006,$000007,$000008\r\n"
              "WP:$008108,$000009\r\nWP:$008109,$00000A\r\nWP:$00810A,$00000B\r\n\r\n"
              "; PLCC table\r\n"
              "WP:$008000,$000000,$000000,$000000,$808100,$000000,$000000,$000000,$000000\r\n";
  EXPECT_NE(text.find(plcc), std::string::npos);
  EXPECT_NE(text.find(turbo ? "\r\nWP:$050061,$05100B\r\n" : "\r\nWP:$008061,$00810B\r\n"),
            std::string::npos);

  // Coordinate systems from the highest down, only the motors with a definition.
  const std::string systems = turbo ? "\r\nUNDEFINE ALL\r\n\r\n&16\r\n\r\n&15\r\n"
                                    : "\r\nUNDEFINE ALL\r\n\r\n&8\r\n\r\n&7\r\n";
  EXPECT_NE(text.find(systems), std::string::npos);
  EXPECT_NE(text.find("\r\n&3\r\n\r\n&2\r\n#4->2000X\r\n\r\n&1\r\n#1->1000X\r\n#2->1000Y\r\n"),
            std::string::npos);

  // The encoder conversion table of a non-Turbo controller in four lines; none on a Turbo.
  EXPECT_EQ(CountPrefix(lines, "WY:"), turbo ? 0u : 4u);
  if (!turbo) {
    EXPECT_NE(text.find("\r\nWY:$000720,$00C000,$00C008,$00C028,$00C018,$00C020,$00C028,$00C030,"
                        "$00C038\r\nWY:$000728,"),
              std::string::npos);
    EXPECT_NE(text.find("\r\nWY:$000738,"), std::string::npos);
  }
  // The virtual controller's MACRO IC answers every MI variable of the table: 227 of node 0 and
  // nine of each of the seven other nodes, each as twelve hexadecimal digits.
  EXPECT_EQ(CountPrefix(lines, "MS"), 290u);
  EXPECT_NE(text.find("\r\nMS0,MI2=$000000000000\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 26), "MS13,MI918=$000000000000\r\n");
}

TEST_P(BackupTest, OnlyTheChosenSectionsAreWritten) {
  VirtualBench c(GetParam());
  ScratchFolder folder;
  BackupSwitches onlyI;
  onlyI.on.fill(false);
  onlyI.on[kBackupI] = true;
  const std::vector<std::string> lines = Lines(Backup(c, folder.File("i.pmc"), onlyI));
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(c.Target().variableCount));
  for (std::size_t k = 0; k < lines.size(); ++k)
    ASSERT_EQ(lines[k].rfind("I" + std::to_string(k) + "=", 0), 0u) << lines[k];
}

// A backup downloaded into another controller of the same type and backed up again gives the
// same file. The other controller has a gather buffer and an axis of its own, which the backup
// must clear out of the way, and a restore must report no error.
TEST_P(BackupTest, ARestoredBackupBacksUpTheSame) {
  const int type = GetParam();
  VirtualBench original(type);
  Load(original);
  ScratchFolder folder;
  BackupSwitches all;
  all.on.fill(true);
  const std::string first = Backup(original, folder.File("first.pmc"), all);

  VirtualBench other(type);
  for (const char* line :
       {"OPEN PLC 9 CLEAR", "P40=1", "CLOSE", "DEFINE GATHER 1000", "&3 #1->500Z"})
    ASSERT_EQ(other.Command(line), "\x06") << line;
  const std::vector<std::string> messages = Restore(other, folder.File("first.pmc"));
  ASSERT_FALSE(messages.empty());
  EXPECT_NE(messages.back().find(", 0 errors."), std::string::npos) << messages.back();
  // PLC 9 was the other controller's own and stays: the backup writes what it found, it does
  // not erase what it did not.
  ASSERT_EQ(other.Command("OPEN PLC 9 CLEAR CLOSE"), "\x06");

  const std::string second = Backup(other, folder.File("second.pmc"), all);
  const std::vector<std::string> a = Lines(first), b = Lines(second);
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i], b[i]) << "line " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(Types, BackupTest, testing::Values(2, 5));

}  // namespace
}  // namespace bl::tools
