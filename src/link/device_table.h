#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "link/vendor_library.h"

namespace bl {

// One of the eight devices the built-in library offers.
struct DeviceConfig {
  enum class Kind { None, Virtual, Ethernet, Serial };
  Kind kind = Kind::None;
  int virtualType = 5;  // 1..6, for a virtual controller
  std::string host;     // Ethernet: address or host name
  int port = 1025;
  int timeoutMs = 5000;
  std::string serialPort;  // Serial: /dev/ttyS0, /dev/ttyUSB0 ...
  int baud = 38400;

  friend bool operator==(const DeviceConfig&, const DeviceConfig&) = default;
};

using DeviceTable = std::array<DeviceConfig, kDeviceCount>;

// Device 0 is the virtual Turbo PMAC2; the others are unused.
DeviceTable DefaultDeviceTable();

// The baud rates a serial device may use.
const std::vector<int>& SerialBaudRates();

// A one-line description: "Virtual controller (Turbo PMAC2)", "Ethernet 10.0.0.5:1025",
// "Serial /dev/ttyUSB0 at 38400 baud", "Not used".
std::string DescribeDevice(const DeviceConfig& device);

// What is wrong with a device's settings, or empty when it can be used.
std::string CheckDevice(const DeviceConfig& device);

// The settings file: one "device.N.key=value" line per setting. Parsing is bounded and keeps
// whatever it can: an unknown key or a bad value leaves the default and adds a warning.
std::string FormatDeviceTable(const DeviceTable& table);
DeviceTable ParseDeviceTable(std::string_view text, std::vector<std::string>* warnings = nullptr);

// The settings file in the user's configuration folder ($XDG_CONFIG_HOME or ~/.config).
std::string DefaultDeviceSettingsPath();

// Reads the file (the default table when it does not exist); false with a reason when it exists
// but cannot be read.
bool LoadDeviceTable(const std::string& path, DeviceTable& table, std::string& error);
// Writes beside the file and renames, so a failed save leaves the old file whole.
bool SaveDeviceTable(const std::string& path, const DeviceTable& table, std::string& error);

}  // namespace bl
