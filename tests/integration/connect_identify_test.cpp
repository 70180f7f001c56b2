#include <gtest/gtest.h>

#include "commands/command_ids.h"
#include "controller/controller_type.h"
#include "controller/identify_controller.h"
#include "integration/fake_clock_program.h"
#include "sim/controller.h"
#include "sim/ethernet_server.h"
#include "sim/serial_server.h"

namespace bl {
namespace {

// The whole program without windows: the built-in library over the virtual controller, on the
// fake clock.
class ConnectIdentifyTest : public ::testing::Test, protected test::FakeClockProgram {
 protected:
  ConnectIdentifyTest() {
    shell.hooks.runConnectionDialogs = [this] {
      if (workbench.link.LinkConnect() == 0) Identify();
    };
  }

  void Identify() {
    IdentifyHooks hooks;
    hooks.setTitle = [this](const std::string& t) { title = t; };
    IdentifyController(workbench.controllerType, workbench.link, workbench.definitions,
                       workbench.terminal, hooks);
  }
  std::string Info(int fromNewest) { return workbench.terminal.Line(fromNewest).text; }

  std::string title;
};

TEST_F(ConnectIdentifyTest, DeviceZeroIdentifiesAsTurboPmac2) {
  workbench.definitions.DefineLine("#define speed P10", 0, workbench.terminal);
  shell.RunCommand(cmd::kConnect);
  ASSERT_EQ(workbench.link.PmacDevice(), 0);
  EXPECT_EQ(desktop.messages.back().title, "Connected to PMAC!");
  EXPECT_TRUE(shell.GatheringButtonsEnabled());
  EXPECT_EQ(title, "Brightlantern: Turbo PMAC2");
  EXPECT_EQ(workbench.controllerType.typeCode, 5);
  EXPECT_TRUE(workbench.definitions.NameOf(VariableKind::P, 10).empty());
  EXPECT_EQ(Info(11), "Turbo PMAC2");
  EXPECT_EQ(Info(10), "  Communications Device Number:     0");
  EXPECT_EQ(Info(3), "  BootStrap Jumper Status:          OFF");
  EXPECT_EQ(Info(2), "  Re-Initialize Jumper Status:      OFF");
  EXPECT_EQ(Info(1), "  Servo Update Rate:                2258.82 Hz");
  EXPECT_EQ(Info(0), "  End of User Memory:               $010800");

  // A typed command now reaches the controller.
  std::string reply;
  workbench.link.PmacCommand(reply, 999, "I10", true);
  EXPECT_EQ(Info(0), "Line  1:  3713707");
}

TEST_F(ConnectIdentifyTest, EachControllerTypeIdentifiesItself) {
  // What follows from the type code (counts, variable bases) is the identification's own
  // table; here the virtual controller's answers must lead to the right code, jumper and memory.
  const char* names[] = {"PMAC1",       "PMAC2",       "PMAC2 Ultralite",
                         "Turbo PMAC1", "Turbo PMAC2", "Turbo PMAC2 Ultralite"};
  for (int code = 1; code <= 6; ++code) {
    SCOPED_TRACE(code);
    DeviceConfig config;
    config.kind = DeviceConfig::Kind::Virtual;
    config.virtualType = code;
    UseDevice(1, config);
    workbench.link.LinkDisconnect();
    shell.RunCommand(cmd::kConnect);
    const ControllerType& t = workbench.controllerType;
    EXPECT_EQ(t.typeCode, code);
    EXPECT_FALSE(t.reinitializeOn);
    EXPECT_EQ(t.endOfUserMemory, code <= 3 ? 0xA000 : 0x10800);
    EXPECT_EQ(title, std::string("Brightlantern: ") + names[code - 1]);
  }

  // I10 = 2^22 on the controller gives a 2000 Hz servo rate.
  Ask("I10=4194304");
  Identify();
  EXPECT_EQ(Info(1), "  Servo Update Rate:                2000.00 Hz");
}

TEST_F(ConnectIdentifyTest, AnEthernetDeviceServedByTheVirtualControllerIdentifiesAlike) {
  sim::Controller controller(5);
  sim::EthernetServer server(controller);
  std::string error;
  ASSERT_TRUE(server.Start(0, error)) << error;
  DeviceConfig config;
  config.kind = DeviceConfig::Kind::Ethernet;
  config.host = "127.0.0.1";
  config.port = server.Port();
  config.timeoutMs = 2000;
  UseDevice(4, config);
  shell.RunCommand(cmd::kConnect);
  ASSERT_EQ(workbench.link.PmacDevice(), 4);
  EXPECT_EQ(workbench.controllerType.typeCode, 5);
  EXPECT_EQ(title, "Brightlantern: Turbo PMAC2");
  EXPECT_EQ(Info(10), "  Communications Device Number:     4");
  EXPECT_EQ(Info(1), "  Servo Update Rate:                2258.82 Hz");

  // A long reply crosses several packets intact.
  const std::string reply = Ask("P0..1023");
  EXPECT_EQ(std::count(reply.begin(), reply.end(), '\r'), 1024);

  // The server going away gives error replies, never a hang.
  server.Stop();
  double value = 0;
  EXPECT_EQ(workbench.link.PmacValue(ValueKind::I, 10, value, AccessMode::Read), -1);
}

TEST_F(ConnectIdentifyTest, ASerialLineToTheVirtualControllerIdentifiesAlike) {
  sim::Controller controller(2);
  sim::SerialServer line(controller);
  std::string error;
  ASSERT_TRUE(line.Start(error)) << error;
  DeviceConfig config;
  config.kind = DeviceConfig::Kind::Serial;
  config.serialPort = line.Path();
  config.baud = 38400;
  UseDevice(5, config);
  shell.RunCommand(cmd::kConnect);
  ASSERT_EQ(workbench.link.PmacDevice(), 5);
  EXPECT_EQ(title, "Brightlantern: PMAC2");
  EXPECT_EQ(workbench.controllerType.variableCount, 1024);
  std::string reply;
  workbench.link.PmacCommand(reply, 99, "#3", true);
  workbench.link.PmacCommand(reply, 99, "#", true);
  EXPECT_EQ(Info(0), "Line  1:  3");
}

TEST_F(ConnectIdentifyTest, AnUnreachableDeviceLeavesTheProgramOffline) {
  DeviceConfig config;
  config.kind = DeviceConfig::Kind::Ethernet;
  config.host = "127.0.0.1";
  config.port = 1;  // nothing listens there
  config.timeoutMs = 500;
  UseDevice(2, config);
  shell.RunCommand(cmd::kConnect);
  EXPECT_EQ(workbench.link.PmacDevice(), -1);
  EXPECT_EQ(desktop.messages.back().text, "Unable to connect to the specified device.");
  EXPECT_FALSE(shell.GatheringButtonsEnabled());
  // The reason is the terminal's red details line.
  EXPECT_EQ(Info(0), "cannot connect to 127.0.0.1:1: Connection refused");
  EXPECT_EQ(workbench.terminal.Line(0).color, 5);
}

}  // namespace
}  // namespace bl
