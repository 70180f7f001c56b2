// The status listings and the encoder conversion table editor against the in-process virtual
// controller, on a non-Turbo and a Turbo type.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "link/builtin_library.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/immediate_ui_thread.h"
#include "platform/text_format.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"
#include "tools/encoder_table_presenter.h"
#include "tools/status_listings.h"

namespace bl::tools {
namespace {

// The built-in library with one reply spoilt: the command that `spoil` picks gets no number.
class SpoilingLibrary final : public VendorLibrary {
 public:
  SpoilingLibrary(std::unique_ptr<VendorLibrary> inner, std::string spoil)
      : inner_(std::move(inner)), spoil_(std::move(spoil)) {}
  int PmacSelect(void* parent) override { return inner_->PmacSelect(parent); }
  bool OpenPmacDevice(int device) override { return inner_->OpenPmacDevice(device); }
  bool ClosePmacDevice(int device) override { return inner_->ClosePmacDevice(device); }
  std::string PmacGetResponseA(int device, std::string_view command,
                               std::size_t maxChars) override {
    if (command == spoil_)
      return "\x07"
             "ERR003\r";
    return inner_->PmacGetResponseA(device, command, maxChars);
  }
  double PmacGetVariableDouble(int device, char type, int number, double fallback) override {
    return inner_->PmacGetVariableDouble(device, type, number, fallback);
  }
  int PmacDownloadA(int device, const MessageCallback& message, const ProgressCallback& progress,
                    const std::string& path, int macro, int map, int log, int download) override {
    return inner_->PmacDownloadA(device, message, progress, path, macro, map, log, download);
  }
  void PmacAbortDownload(int device) override { inner_->PmacAbortDownload(device); }
  bool PmacInBootStrapMode(int device) override { return inner_->PmacInBootStrapMode(device); }

 private:
  std::unique_ptr<VendorLibrary> inner_;
  std::string spoil_;
};

class ToolsControllerTest : public ::testing::TestWithParam<int> {
 protected:
  ToolsControllerTest() {
    DeviceTable table = devices.Table();
    table[1].kind = DeviceConfig::Kind::Virtual;
    table[1].virtualType = GetParam();
    std::string error;
    devices.SetTable(table, error);
    devices.chooseDevice = [] { return 1; };
    workbench.controllerType.typeCode = GetParam();
  }

  bool Turbo() const { return GetParam() >= 4; }
  // Connects; the connection's own message is not part of what the tests look at.
  void Connect() {
    ASSERT_EQ(workbench.link.LinkConnect(), 0);
    desktop.messages.clear();
  }
  // Addresses as the reports show them.
  std::string At(int address) { return platform::Format("$%5.5X", address); }

  std::string Command(const std::string& command) {
    std::string reply;
    workbench.link.PmacCommand(reply, kValueReplySize, command, false);
    return reply;
  }
  void Send(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) ASSERT_EQ(Command(line), "\x06") << line;
  }
  // Asked with a hexadecimal address, which a spoilt decimal read leaves alone.
  int Word(int address) {
    int word = 0;
    platform::Scan(Command(platform::Format("RY:$%X", address)), kValueReplySize, "%d", &word);
    return word & 0xFFFFFF;
  }

  ListingTarget Target() {
    return {workbench.link, workbench.terminal, desktop, GetParam(), [this] {
              // The report must not be in the terminal yet when the view changes.
              viewAtSwitch = workbench.terminal.Line(0).text;
              ++switches;
            }};
  }
  // The newest lines of the terminal, oldest first, from the last empty line on.
  std::vector<std::string> Report() {
    int first = 0;
    while (first < Terminal::kLineCount - 1 && !workbench.terminal.Line(first).text.empty())
      ++first;
    std::vector<std::string> lines;
    for (int i = first; i >= 0; --i) lines.push_back(workbench.terminal.Line(i).text);
    return lines;
  }

  platform::FakeClock clock;
  BuiltinDevices devices{""};
  platform::FakeDesktop desktop;
  platform::ImmediateUiThread ui;
  std::string spoil;
  Workbench workbench{desktop, ui, clock, [this] {
                        LibraryLoad load = BuiltinLibraryLoader(devices)();
                        if (!spoil.empty())
                          load.library =
                              std::make_unique<SpoilingLibrary>(std::move(load.library), spoil);
                        return load;
                      }};
  std::string viewAtSwitch;
  int switches = 0;
};

TEST_P(ToolsControllerTest, ListingsShowTheLoadedProgramsAndPlcs) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  const int start = Turbo() ? 0xA000 : 0x1800;
  Send({"OPEN PROG 7 CLEAR", "X1000", "CLOSE"});
  Send({"OPEN PROG 999 CLEAR", "P950=2 DWELL(P953)", "CLOSE"});
  Send({"OPEN PROG 2 CLEAR", "CLOSE"});
  Send({"OPEN PLC 5 CLEAR", "IF (P1 > 0)", "P2 = 1", "ENDI", "CLOSE"});
  Send({"OPEN PLC 0 CLEAR", "P3=P3+1", "CLOSE", "DIS PLC 5"});

  workbench.terminal.TerminalAddLine("before", 0);
  ListProgramStatus(Target());
  EXPECT_EQ(switches, 1);
  EXPECT_EQ(viewAtSwitch, "before");
  EXPECT_EQ(Report(), (std::vector<std::string>{
                          "", "Current Motion Program Status", "Number     Address  Length",
                          "PROG    7   " + At(start) + "       4",
                          "PROG  999   " + At(start + 4) + "       9",
                          "PROG    2   " + At(start + 13) + "       1", "Finished"}));

  ListPlcStatus(Target(), false);
  EXPECT_EQ(Report(), (std::vector<std::string>{
                          "", "Current PLC Status", "Number Address  Length Enabled",
                          "PLC 0   " + At(start + 14) + "       6     Yes",
                          "PLC 5   " + At(start + 20) + "      12      No", "Finished"}));
  EXPECT_EQ(workbench.terminal.Line(1).color, kListingDataColor);
  EXPECT_EQ(workbench.terminal.Line(0).color, kListingHeadingColor);
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_P(ToolsControllerTest, CompiledPlcsAreListedFromTheirTable) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  // A compiled-PLC table as a compiler leaves it: PLCC 3 from $n100, the area's end at $n180,
  // PLCC 3 running (its jump word not pointing past itself) and PLCC 4 from $n140, stopped.
  const int base = Turbo() ? 0x50000 : 0x8000;
  const int code = base + 0x100;
  Send({platform::Format("WP:$%X,$%X", base + 3, 0x800000 | code),
        platform::Format("WP:$%X,$%X", base + 4, 0x800000 | (code + 0x40)),
        platform::Format("WP:$%X,$%X", base + 39, code),
        platform::Format("WP:$%X,$%X", base + 41, base + 42),
        platform::Format("WP:$%X,$%X", base + 97, base + 0x180)});
  ListPlcStatus(Target(), true);
  const std::vector<std::string> report = Report();
  ASSERT_EQ(report.size(), 6u);
  EXPECT_EQ(report[1], "Current PLCC Status");
  EXPECT_EQ(report[3], "PLCC 3   " + At(code) + "      63     Yes");
  EXPECT_EQ(report[4], "PLCC 4   " + At(code + 0x40) + "      63      No");
}

TEST_P(ToolsControllerTest, AxisDefinitionsAskEachMotorOfTheTerminalsCoordinateSystem) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  Send({"&1 #1->1000X #2->500Y"});
  workbench.terminal.coordinateSystem = 1;
  ListAxisDefinitions(Target());
  const std::vector<std::string> report = Report();
  ASSERT_EQ(report.size(), (Turbo() ? 16u : 8u) + 3u);
  EXPECT_EQ(report[1], "Axis Definitions for Coordinate System 1");
  EXPECT_EQ(report[2], "#1->1000X");
  EXPECT_EQ(report[3], "#2->500Y");
  EXPECT_EQ(report[4], "#3->0");
  EXPECT_EQ(report.back(), "Finished");
}

TEST_P(ToolsControllerTest, NothingIsListedWithoutAController) {
  for (int command = 0; command < 4; ++command) {
    if (command < 2) ListPlcStatus(Target(), command == 1);
    if (command == 2) ListProgramStatus(Target());
    if (command == 3) ListAxisDefinitions(Target());
  }
  ASSERT_EQ(desktop.messages.size(), 4u);
  for (const auto& message : desktop.messages) {
    EXPECT_EQ(message.text, "Not Connected to PMAC");
    EXPECT_EQ(message.title, "Error");
  }
  EXPECT_EQ(switches, 0);
  // An unreadable PLC table prints nothing either.
  spoil = Turbo() ? "RY:12543" : "RY:3839";
  ASSERT_NO_FATAL_FAILURE(Connect());
  ListPlcStatus(Target(), false);
  EXPECT_EQ(switches, 0);
}

TEST_P(ToolsControllerTest, TheEditedTableIsWrittenBackOnOk) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  const int first = Turbo() ? kEctAddressTurbo : kEctAddressNonTurbo;
  const int lines = Turbo() ? kEctLinesTurbo : kEctLinesNonTurbo;
  Send({platform::Format("WY:%d,%d", first, 0x00C000),
        platform::Format("WY:%d,%d", first + 1, 0x80C004),
        platform::Format("WY:%d,%d", first + lines - 1, 0x123)});

  EncoderTablePresenter presenter(workbench.link, desktop, GetParam());
  presenter.Open();
  EXPECT_TRUE(presenter.Writable());
  EXPECT_EQ(presenter.Table().Word(1), 0x80C004);  // bit 23 set: read back negative
  presenter.SelectLine(0);
  presenter.ChooseType(3);  // two zero lines after the first
  presenter.EditField(kEctThirdLine, "77");
  presenter.SelectLine(3);
  presenter.EditField(kEctFirstField, "$C00C");
  ASSERT_EQ(presenter.Accept(), 0);

  EXPECT_EQ(Word(first), 0x30C000);
  EXPECT_EQ(Word(first + 1), 0);
  EXPECT_EQ(Word(first + 2), 77);
  EXPECT_EQ(Word(first + 3), 0x80C00C);
  EXPECT_EQ(Word(first + lines - 1), 0);  // pushed out by the two new lines
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_P(ToolsControllerTest, ATableThatCouldNotBeReadIsNotWrittenBack) {
  const int first = Turbo() ? kEctAddressTurbo : kEctAddressNonTurbo;
  spoil = platform::Format("RY:%d", first + 5);
  ASSERT_NO_FATAL_FAILURE(Connect());
  Send({platform::Format("WY:%d,%d", first, 0x00C000),
        platform::Format("WY:%d,%d", first + 5, 0x00C014)});

  EncoderTablePresenter presenter(workbench.link, desktop, GetParam());
  presenter.Open();
  EXPECT_FALSE(presenter.Writable());
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].title, kEctTitle);
  EXPECT_NE(desktop.messages[0].text.find(platform::Format("Y:$%X", first + 5)), std::string::npos);
  presenter.EditField(kEctFirstField, "$C008");
  EXPECT_EQ(presenter.Accept(), -1);
  EXPECT_EQ(Word(first), 0x00C000);
  EXPECT_EQ(Word(first + 5), 0x00C014);  // not overwritten with the 0 it was shown as
}

TEST_P(ToolsControllerTest, WithoutAControllerTheTableIsEmptyAndNothingIsWritten) {
  EncoderTablePresenter presenter(workbench.link, desktop, GetParam());
  presenter.Open();
  EXPECT_EQ(presenter.ListLines().front().ends_with("=$000000 No Entry"), true);
  EXPECT_EQ(presenter.Accept(), -1);
  EXPECT_TRUE(desktop.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Types, ToolsControllerTest, testing::Values(2, 5));

}  // namespace
}  // namespace bl::tools
