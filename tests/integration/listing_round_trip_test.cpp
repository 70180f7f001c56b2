// A configuration backup's program sections downloaded again: every program listed, written back
// as OPEN ... CLEAR, the listing, CLOSE, lists the same and takes the same room.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "link/builtin_library.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/immediate_ui_thread.h"
#include "shell/workbench.h"

namespace bl {
namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(BL_SOURCE_DATA_DIR);

// Programs in the forms an engineer types: spacing, long and short keywords, comments, hex.
constexpr const char* kRealistic = R"(; homing and a pallet loop
OPEN PLC 3 CLEAR
IF (M11=1 and P20 != 0) ; inputs
  P21 = P21 + 1
  CMD "#1J=0"
  ENA PLC 4,5
ELSE
  IF (P21 > $10 OR P22 !> 3.25)
    P21=0
    DIS PLC 3
  ENDI
ENDIF
WHILE (P23 < 10)
  P23 = P23 + SIN(P24) * 2.5e3
END WHILE
I122 = 1000 * 8388608 / I10
Q0 = P3
P(P1+3) = ATAN2(P2)
CLOSE

OPEN PLC 0 CLEAR
M1=M1%4
342
P5=-1.5E+20 P6=.25
ENABLE PLC 1..3
COMMAND"ENDG"
CMD^K
CLOSE

OPEN PROG 20 CLEAR
ABS
LINEAR
TA 200 TS 50
F 5000
N100
X1000 Y(P31) Z-5.5
INC (X,Y)
DWELL 250
IF (P32 = 1)
  X(-P33)
  GOSUB 300
ENDIF
CALL 21.5
M7
RAPID
DELAY(P34*2)
RETURN
N300 P35=P35+1
RETURN
CLOSE

OPEN PROG 21 CLEAR
WHILE (P40 < 3)
  CMD"P41=P41+1"
  P40=P40+1
ENDW
O5000 TM(P42) ABS(X,Y)
A10 B-2 C(P43)
U1 V2.5 W-3
DWELL(P44)
GOTO 5000
RET
CLOSE
)";

class ListingRoundTripTest : public ::testing::Test {
 protected:
  void Connect(int type) {
    DeviceTable table = devices.Table();
    DeviceConfig device;
    device.kind = DeviceConfig::Kind::Virtual;
    device.virtualType = type;
    table[1] = device;
    std::string error;
    ASSERT_TRUE(devices.SetTable(table, error)) << error;
    devices.chooseDevice = [] { return 1; };
    ASSERT_EQ(workbench.link.LinkConnect(), 0);
  }
  std::string Ask(const std::string& command) {
    std::string reply;
    workbench.link.PmacCommand(reply, 499999, command, false);
    return reply;
  }
  // `clean`: every line is taken (the example project's set-up uses Turbo I-variables).
  void Download(const fs::path& path, bool clean = true) {
    std::string messages;
    const auto message = [&messages](std::string_view text) { (messages += text) += '\n'; };
    const int result = workbench.link.Download(path.string(), message, nullptr);
    if (clean) {
      EXPECT_EQ(result, 1) << path << messages;
    }
  }
  void DownloadText(const std::string& text) {
    // ctest runs the cases side by side: each writes a file of its own process.
    const fs::path path =
        fs::path(::testing::TempDir()) / ("round_trip_" + std::to_string(::getpid()) + ".pmc");
    std::ofstream(path, std::ios::binary) << text;
    Download(path);
    fs::remove(path);
  }

  // Every stored program by its LIST command, as the backup finds them: the motion-program
  // directory, then the PLCs whose buffers are not empty.
  std::map<std::string, std::string> Listings(bool turbo) {
    std::map<std::string, std::string> listings;
    const int directory = turbo ? 0x3000 : 0xE00;
    int previous = turbo ? 0xA000 : 0x1800;
    for (int k = 0; k < 256; ++k) {
      const int end = std::stoi(Ask("RY:" + std::to_string(directory + k)));
      if (end == previous) break;
      const int number = std::stoi(Ask("RX:" + std::to_string(directory + k))) & 0xFFFF;
      previous = end;
      listings["PROG " + std::to_string(number)] = Ask("LIST PROG " + std::to_string(number));
    }
    for (int i = 0; i < 32; ++i) {
      const std::string listing = Ask("LIST PLC " + std::to_string(i));
      if (listing.find('\a') == std::string::npos) listings["PLC " + std::to_string(i)] = listing;
    }
    return listings;
  }
  // The directory and PLC table words: where every buffer starts and ends (a PLC's enabled bit
  // aside: a restored PLC is enabled by its CLOSE).
  std::vector<int> Tables(bool turbo) {
    const int directory = turbo ? 0x3000 : 0xE00;
    const int plcs = turbo ? 0x30FF : 0xEFF;
    std::vector<int> words;
    for (int k = 0; k < 16; ++k) {
      words.push_back(std::stoi(Ask("RX:" + std::to_string(directory + k))));
      words.push_back(std::stoi(Ask("RY:" + std::to_string(directory + k))));
    }
    for (int i = 0; i <= 32; ++i) {
      words.push_back(std::stoi(Ask("RY:" + std::to_string(plcs + i))) & 0x7FFFF);
    }
    return words;
  }

  void RoundTrip(int type) {
    Connect(type);
    const bool turbo = type >= 4;
    Download(kData / "BL_TestMoves.pmc");
    Download(kData / "Examples" / "PickPlace" / "pickplace.pmc", turbo);
    DownloadText(kRealistic);
    const auto listings = Listings(turbo);
    ASSERT_EQ(listings.size(), 10u);  // PROG 10 11 20 21 999, PLC 0 1 2 3 31
    const std::vector<int> tables = Tables(turbo);

    // The programs' sections of a backup, downloaded again.
    std::string backup;
    for (const auto& [name, listing] : listings) {
      std::string text = listing.substr(0, listing.size() - 1);  // without the final ACK
      for (char& c : text) {
        if (c == '\r') c = '\n';
      }
      backup += "\nOPEN " + name + "\nCLEAR\n" + text + "\nCLOSE\n";
    }
    DownloadText(backup);
    EXPECT_EQ(Listings(turbo), listings);
    EXPECT_EQ(Tables(turbo), tables);
  }

  platform::FakeClock clock;
  BuiltinDevices devices{""};
  platform::FakeDesktop desktop;
  platform::ImmediateUiThread ui;
  Workbench workbench{desktop, ui, clock, BuiltinLibraryLoader(devices)};
};

TEST_F(ListingRoundTripTest, ProgramsListTheSameAfterABackupIsRestoredOnTurbo) { RoundTrip(5); }

TEST_F(ListingRoundTripTest, ProgramsListTheSameAfterABackupIsRestoredOnPmac) { RoundTrip(2); }

}  // namespace
}  // namespace bl
