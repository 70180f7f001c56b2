#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "file_size_limit.h"
#include "link/device_table.h"

namespace bl {
namespace {

TEST(DeviceTableTest, SettingsRoundTrip) {
  DeviceTable table = DefaultDeviceTable();
  table[0].virtualType = 2;
  table[3].kind = DeviceConfig::Kind::Ethernet;
  table[3].host = "192.168.0.200";
  table[3].port = 1025;
  table[3].timeoutMs = 2500;
  table[7].kind = DeviceConfig::Kind::Serial;
  table[7].serialPort = "/dev/ttyUSB0";
  table[7].baud = 115200;
  std::vector<std::string> warnings;
  EXPECT_EQ(ParseDeviceTable(FormatDeviceTable(table), &warnings), table);
  EXPECT_TRUE(warnings.empty());

  EXPECT_EQ(DescribeDevice(table[0]), "Virtual controller (PMAC2)");
  EXPECT_EQ(DescribeDevice(table[3]), "Ethernet 192.168.0.200:1025");
  EXPECT_EQ(DescribeDevice(table[7]), "Serial /dev/ttyUSB0 at 115200 baud");
  EXPECT_EQ(DescribeDevice(table[1]), "Not used");
}

TEST(DeviceTableTest, BadSettingsKeepTheDefaultsAndSayWhy) {
  std::vector<std::string> warnings;
  const DeviceTable t = ParseDeviceTable(
      "device.0.type=9\n"
      "device.8.kind=virtual\n"
      "device.2.kind=ethernet\r\n"
      "device.2.port=70000\n"
      "device.2.host=bad\x01host\n"
      "device.-1.kind=serial\n"
      "device.2.colour=blue\n"
      "garbage without equals\n"
      "# a comment\n",
      &warnings);
  EXPECT_EQ(t[0].virtualType, 5);
  EXPECT_EQ(t[2].kind, DeviceConfig::Kind::Ethernet);
  EXPECT_EQ(t[2].port, 1025);
  EXPECT_TRUE(t[2].host.empty());
  EXPECT_EQ(warnings.size(), 7u);
  EXPECT_NE(CheckDevice(t[2]), "");  // no host: not usable
}

TEST(DeviceTableTest, SavingNeverLosesTheOldFile) {
  const auto folder = std::filesystem::temp_directory_path() /
                      ("bl_device_table_test." + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  const std::string path = (folder / "sub" / "devices.conf").string();
  DeviceTable table = DefaultDeviceTable();
  std::string error;
  DeviceTable loaded;
  ASSERT_TRUE(LoadDeviceTable(path, loaded, error));  // no file yet: the defaults
  EXPECT_EQ(loaded, DefaultDeviceTable());
  table[1].kind = DeviceConfig::Kind::Virtual;
  ASSERT_TRUE(SaveDeviceTable(path, table, error)) << error;
  ASSERT_TRUE(LoadDeviceTable(path, loaded, error));
  EXPECT_EQ(loaded, table);

  // A save that cannot write (a full disk) leaves the earlier file as it was.
  table[1].kind = DeviceConfig::Kind::None;
  {
    test::FileSizeLimit disk(16);
    EXPECT_FALSE(SaveDeviceTable(path, table, error));
  }
  EXPECT_FALSE(error.empty());
  ASSERT_TRUE(LoadDeviceTable(path, loaded, error));
  EXPECT_EQ(loaded[1].kind, DeviceConfig::Kind::Virtual);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace bl
