#include <gtest/gtest.h>

#include "definitions/definition_table.h"
#include "link/builtin_library.h"
#include "link/pmac_link.h"
#include "link/select_device_presenter.h"
#include "link/transports/transport.h"
#include "link/virtual_time.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_desktop.h"
#include "sim/controller.h"
#include "terminal_lines/terminal_lines.h"

namespace bl {
namespace {

class BuiltinLibraryTest : public ::testing::Test {
 protected:
  BuiltinLibraryTest() {
    clock.OnAdvance([this](platform::Duration now) { time.Update(now); });
    devices.chooseDevice = [this] { return choice; };
  }

  platform::FakeClock clock;
  VirtualTime time;
  BuiltinDevices devices{"", &time, &clock};
  int choice = 0;
};

TEST_F(BuiltinLibraryTest, DeviceZeroIsTheVirtualTurboPmac2) {
  BuiltinVendorLibrary library(devices);
  EXPECT_EQ(library.PmacSelect(nullptr), 0);
  ASSERT_TRUE(library.OpenPmacDevice(0));
  EXPECT_EQ(library.PmacGetResponseA(0, "TYPE", 256).substr(0, 6), "TURBO2");
  EXPECT_EQ(library.PmacGetResponseA(0, "I10", 256), "3713707\r\x06");
  // A single control character goes out as one: its report.
  EXPECT_EQ(library.PmacGetResponseA(0, "\x07", 256).back(), '\x06');
  // The reply is cut to the caller's room.
  EXPECT_EQ(library.PmacGetResponseA(0, "I10", 4), "371");
  EXPECT_DOUBLE_EQ(library.PmacGetVariableDouble(0, 'I', 10, -1), 3713707);
  EXPECT_FALSE(library.PmacInBootStrapMode(0));
  EXPECT_TRUE(library.ClosePmacDevice(0));
  EXPECT_EQ(library.PmacGetResponseA(0, "I10", 256), kLinkErrorReply);
}

TEST_F(BuiltinLibraryTest, UnusableDevicesRefuseToOpen) {
  BuiltinVendorLibrary library(devices);
  EXPECT_FALSE(library.OpenPmacDevice(1));
  EXPECT_EQ(library.LastError(), "This device is not configured.");
  EXPECT_FALSE(library.OpenPmacDevice(8));
  choice = 9;
  EXPECT_EQ(library.PmacSelect(nullptr), -1);
  devices.chooseDevice = nullptr;
  EXPECT_EQ(library.PmacSelect(nullptr), -1);
}

TEST_F(BuiltinLibraryTest, TheVirtualControllerOutlivesAConnection) {
  platform::FakeDesktop desktop;
  Terminal terminal;
  DefinitionTable definitions;
  PmacLink link(terminal, definitions, desktop, BuiltinLibraryLoader(devices));
  ASSERT_EQ(link.LinkConnect(), 0);
  double value = 12.5;
  ASSERT_EQ(link.PmacValue(ValueKind::P, 1, value, AccessMode::Write), 0);
  link.LinkDisconnect();
  ASSERT_EQ(link.LinkConnect(), 0);  // a new library, the same controller
  value = 0;
  ASSERT_EQ(link.PmacValue(ValueKind::P, 1, value, AccessMode::Read), 0);
  EXPECT_DOUBLE_EQ(value, 12.5);

  // Its servo clock follows the program's clock: 0.442 ms a cycle on a Turbo.
  const std::uint32_t before = devices.VirtualController(0)->ReadX(0);
  clock.Advance(std::chrono::milliseconds(100));
  EXPECT_EQ(devices.VirtualController(0)->ReadX(0) - before, 225u);

  // Changing the device's type makes a new controller of that type.
  DeviceTable table = devices.Table();
  table[0].virtualType = 2;
  std::string error;
  ASSERT_TRUE(devices.SetTable(table, error));
  EXPECT_EQ(devices.VirtualController(0)->TypeCode(), 2);
}

TEST_F(BuiltinLibraryTest, SelectDevicePresenterConfiguresDevices) {
  SelectDevicePresenter p(devices, 3);
  EXPECT_EQ(p.Selected(), 3);
  EXPECT_FALSE(p.CanChoose());
  EXPECT_EQ(p.Choose(), -1);
  EXPECT_EQ(p.Rows()[0], "Device 0:  Virtual controller (Turbo PMAC2)");

  DeviceConfig ethernet;
  ethernet.kind = DeviceConfig::Kind::Ethernet;
  EXPECT_EQ(p.Apply(3, ethernet), "Enter the controller's network address.");
  ethernet.host = "127.0.0.1";
  EXPECT_EQ(p.Apply(3, ethernet), "");
  EXPECT_EQ(p.Rows()[3], "Device 3:  Ethernet 127.0.0.1:1025");
  EXPECT_EQ(p.Choose(), 3);
  EXPECT_EQ(devices.Table()[3].host, "127.0.0.1");
  EXPECT_EQ(p.Apply(3, DeviceConfig{}), "");  // "Not used" needs nothing
  EXPECT_EQ(p.Choose(), -1);
}

}  // namespace
}  // namespace bl
