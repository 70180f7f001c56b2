// Programs downloaded line by line into the in-process virtual controller, then found again the
// way the workbench finds them: the PLC table through PmacLink::ReadPlcTable, the motion-program
// directory walked with RY/RX, and each program listed back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "integration/fake_clock_program.h"
#include "platform/text_format.h"

namespace bl {
namespace {

struct DirectoryEntry {
  int number, start, length;
  bool operator==(const DirectoryEntry&) const = default;
};

class ProgramTablesTest : public ::testing::TestWithParam<int>, protected test::FakeClockProgram {
 protected:
  ProgramTablesTest() {
    DeviceConfig config;
    config.kind = DeviceConfig::Kind::Virtual;
    config.virtualType = GetParam();
    UseDevice(1, config);
  }

  void Send(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) ASSERT_EQ(Ask(line), "\x06") << line;
  }
  int Word(const char* command, int address) {
    int word = 0;
    platform::Scan(Ask(platform::Format(command, address)), kValueReplySize, "%d", &word);
    return word;
  }
  // The directory walk of the motion-program status listing: an entry ending where the one
  // before ends closes it.
  std::vector<DirectoryEntry> WalkDirectory(int base, int start) {
    std::vector<DirectoryEntry> entries;
    int previous = start;
    for (int k = 0; k < 256; ++k) {
      const int end = Word("RY:%d", base + k);
      if (end == previous) break;
      entries.push_back({Word("RX:%d", base + k) & 65535, previous, end - previous});
      previous = end;
    }
    return entries;
  }
};

TEST_P(ProgramTablesTest, DownloadedProgramsAreFoundWhereTheWorkbenchLooks) {
  ASSERT_EQ(workbench.link.LinkConnect(), 0);
  const bool turbo = GetParam() >= 4;
  const int directory = turbo ? 0x3000 : 0xE00;
  const int start = turbo ? 0xA000 : 0x1800;

  Send({"OPEN PROG 7 CLEAR", "X1000", "CLOSE"});                               // 3 + RETURN
  Send({"OPEN PROG 999 CLEAR", "P950=2 DWELL(P953)", "CLOSE"});                // 4 + 4 + RETURN
  Send({"OPEN PROG 2 CLEAR", "CLOSE"});                                        // RETURN alone
  Send({"OPEN PLC 5 CLEAR", "IF (P1 > 0)", "P2 = 1 ; set", "ENDI", "CLOSE"});  // 7 + 4 + 1
  Send({"OPEN PLC 0 CLEAR", "P3=P3+1", "CLOSE", "DIS PLC 5"});                 // 6

  EXPECT_EQ(WalkDirectory(directory, start),
            (std::vector<DirectoryEntry>{{7, start, 4}, {999, start + 4, 9}, {2, start + 13, 1}}));

  PlcTable plc;
  ASSERT_EQ(workbench.link.ReadPlcTable(GetParam(), plc), 0);
  for (int i = 0; i < 32; ++i) {
    const std::size_t at = static_cast<std::size_t>(i);
    if (i == 0) {
      EXPECT_EQ(plc.start[at], start + 14);
      EXPECT_EQ(plc.end[at], start + 20);
      EXPECT_EQ(plc.enabled[at], 1);
    } else if (i == 5) {
      EXPECT_EQ(plc.start[at], start + 20);
      EXPECT_EQ(plc.end[at], start + 32);
      EXPECT_EQ(plc.enabled[at], 0);
    } else {
      EXPECT_EQ(plc.start[at], plc.end[at]) << "PLC " << i;
    }
  }

  // Listed back as the upload asks for it, and downloaded again, nothing moves.
  const std::string listing = Ask("LIST PLC5");
  EXPECT_EQ(listing, "IF(P1>0)\rP2=1\rENDIF\r\x06");
  Send({"OPEN PLC 5 CLEAR", "IF(P1>0)", "P2=1", "ENDIF", "CLOSE"});
  PlcTable again;
  ASSERT_EQ(workbench.link.ReadPlcTable(GetParam(), again), 0);
  EXPECT_EQ(again.end, plc.end);
  EXPECT_EQ(again.enabled[5], 1);  // CLOSE enables it
  EXPECT_EQ(Ask("LIST PROG 999"), "P950=2\rDWELL(P953)\rRETURN\r\x06");

  // Emptied, PLC 0 drops out of the table and PLC 5 moves down to where it began.
  Send({"OPEN PLC 0 CLEAR", "CLOSE"});
  ASSERT_EQ(workbench.link.ReadPlcTable(GetParam(), plc), 0);
  EXPECT_EQ(plc.start[0], plc.end[0]);
  EXPECT_EQ(plc.start[5], start + 14);
  EXPECT_EQ(plc.end[5], start + 26);
}

INSTANTIATE_TEST_SUITE_P(Types, ProgramTablesTest, testing::Values(2, 5));

}  // namespace
}  // namespace bl
