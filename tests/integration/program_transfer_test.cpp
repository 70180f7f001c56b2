#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "definitions/define_text.h"
#include "editor/editor_transfer.h"
#include "integration/fake_clock_program.h"
#include "integration/sim_process.h"

namespace bl {
namespace {

namespace fs = std::filesystem;

const fs::path kProject = fs::path(BL_SOURCE_DATA_DIR) / "Examples" / "PickPlace";

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Program {
  int number;
  int kind;
};
constexpr Program kPrograms[] = {{10, editor::kUploadMotion},
                                 {11, editor::kUploadMotion},
                                 {1, editor::kUploadPlc},
                                 {2, editor::kUploadPlc}};

// The example project downloaded into a controller, each program uploaded with its names and
// downloaded again from the editor, as an engineer would round-trip it.
class ProgramTransferTest : public ::testing::Test, protected test::FakeClockProgram {
 protected:
  void Connect(const DeviceConfig& device) {
    UseDevice(1, device);
    ASSERT_EQ(workbench.link.LinkConnect(), 0);
  }
  std::string Listing(const Program& p) { return Ask(editor::ListCommand(p.number, p.kind)); }
  std::string Terminal(int fromNewest) { return workbench.terminal.Line(fromNewest).text; }

  void RoundTrip() {
    // The whole project, from its main file.
    const std::string main = (kProject / "pickplace.pmc").string();
    ASSERT_EQ(workbench.link.Download(main, nullptr, nullptr), 1);
    EXPECT_EQ(Ask("P110 P113 P103"), "-2000\r25000\r20\r\x06");
    DefineFromText(ReadAll(main), workbench.definitions, workbench.terminal);

    for (const Program& p : kPrograms) {
      SCOPED_TRACE(p.number);
      const std::string listed = Listing(p);
      ASSERT_EQ(listed.find('\a'), std::string::npos) << listed;
      workbench.transfer.UploadProgram(p.number, p.kind, {});
      const std::string& text = workbench.editor.editorText;
      // Names are back for the variables, and the numbers stay inside command texts.
      if (p.number == 10) {
        EXPECT_NE(text.find("Parts_Done=Parts_Done+1"), std::string::npos) << text;
        EXPECT_NE(text.find("Vacuum_On=1"), std::string::npos) << text;
      }
      if (p.number == 1) {
        EXPECT_NE(text.find("Cycle_Request=1"), std::string::npos) << text;
        EXPECT_NE(text.find("CMD\"&1B10R\""), std::string::npos) << text;
      }
      EXPECT_EQ(text.find("P100"), std::string::npos) << text;

      // The uploaded text downloads again, with every definition ahead of it, and lists the
      // same.
      workbench.transfer.DownloadProgram(editor::kDownloadEditor);
      EXPECT_EQ(Terminal(0), "Download finished: " +
                                 std::to_string(std::count(text.begin(), text.end(), '\n') - 2) +
                                 " lines, 0 errors.");
      EXPECT_EQ(Listing(p), listed);
    }
  }
};

TEST_F(ProgramTransferTest, TheExampleProjectRoundTripsThroughTheVirtualController) {
  DeviceConfig device;
  device.kind = DeviceConfig::Kind::Virtual;
  device.virtualType = 5;
  Connect(device);
  RoundTrip();
}

TEST_F(ProgramTransferTest, TheExampleProjectRoundTripsThroughTheSimulatorOverEthernet) {
  SimProcess sim(0, 5);
  ASSERT_GT(sim.Port(), 0);
  DeviceConfig device;
  device.kind = DeviceConfig::Kind::Ethernet;
  device.host = "127.0.0.1";
  device.port = sim.Port();
  Connect(device);
  RoundTrip();
}

}  // namespace
}  // namespace bl
