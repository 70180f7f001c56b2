#include "link/device_table.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/files.h"
#include "platform/settings_file.h"
#include "platform/text_format.h"
#include "protocol/controller_types.h"

namespace bl {

namespace {

constexpr std::size_t kMaxSettingsBytes = 64 * 1024;
constexpr std::size_t kMaxTextSetting = 255;

const char* KindName(DeviceConfig::Kind kind) {
  switch (kind) {
    case DeviceConfig::Kind::Virtual:
      return "virtual";
    case DeviceConfig::Kind::Ethernet:
      return "ethernet";
    case DeviceConfig::Kind::Serial:
      return "serial";
    case DeviceConfig::Kind::None:
      break;
  }
  return "none";
}

using platform::ParseIntSetting;

// Text settings keep printable characters only, so a file cannot smuggle control characters
// into a host or port name.
bool CleanText(std::string_view text, std::string& out) {
  if (text.size() > kMaxTextSetting) return false;
  for (char c : text)
    if (static_cast<unsigned char>(c) < 32 || c == 127) return false;
  out.assign(text);
  return true;
}

}  // namespace

DeviceTable DefaultDeviceTable() {
  DeviceTable table{};
  table[0].kind = DeviceConfig::Kind::Virtual;
  table[0].virtualType = 5;
  return table;
}

const std::vector<int>& SerialBaudRates() {
  static const std::vector<int> kRates = {9600, 19200, 38400, 57600, 115200};
  return kRates;
}

std::string DescribeDevice(const DeviceConfig& d) {
  switch (d.kind) {
    case DeviceConfig::Kind::Virtual:
      return platform::Format(
          "Virtual controller (%s)",
          std::string(protocol::ControllerTypeName(d.virtualType)).c_str());
    case DeviceConfig::Kind::Ethernet:
      return platform::Format("Ethernet %s:%d", d.host.c_str(), d.port);
    case DeviceConfig::Kind::Serial:
      return platform::Format("Serial %s at %d baud", d.serialPort.c_str(), d.baud);
    case DeviceConfig::Kind::None:
      break;
  }
  return "Not used";
}

std::string CheckDevice(const DeviceConfig& d) {
  switch (d.kind) {
    case DeviceConfig::Kind::None:
      return "This device is not configured.";
    case DeviceConfig::Kind::Virtual:
      return d.virtualType >= 1 && d.virtualType <= 6 ? "" : "Choose a controller type.";
    case DeviceConfig::Kind::Ethernet:
      if (d.host.empty()) return "Enter the controller's network address.";
      if (d.port < 1 || d.port > 65535) return "The port must lie between 1 and 65535.";
      if (d.timeoutMs < 100 || d.timeoutMs > 60000)
        return "The time-out must lie between 100 and 60000 ms.";
      return "";
    case DeviceConfig::Kind::Serial: {
      if (d.serialPort.empty()) return "Enter the serial port, for example /dev/ttyUSB0.";
      const auto& rates = SerialBaudRates();
      if (std::find(rates.begin(), rates.end(), d.baud) == rates.end())
        return "Choose one of the offered baud rates.";
      return "";
    }
  }
  return "";
}

std::string FormatDeviceTable(const DeviceTable& table) {
  std::ostringstream out;
  out << "# Brightlantern devices: device.N.key=value, N from 0 to 7\n";
  for (int i = 0; i < kDeviceCount; ++i) {
    const DeviceConfig& d = table[static_cast<std::size_t>(i)];
    out << "device." << i << ".kind=" << KindName(d.kind) << "\n";
    switch (d.kind) {
      case DeviceConfig::Kind::Virtual:
        out << "device." << i << ".type=" << d.virtualType << "\n";
        break;
      case DeviceConfig::Kind::Ethernet:
        out << "device." << i << ".host=" << d.host << "\n";
        out << "device." << i << ".port=" << d.port << "\n";
        out << "device." << i << ".timeout=" << d.timeoutMs << "\n";
        break;
      case DeviceConfig::Kind::Serial:
        out << "device." << i << ".serial=" << d.serialPort << "\n";
        out << "device." << i << ".baud=" << d.baud << "\n";
        break;
      case DeviceConfig::Kind::None:
        break;
    }
  }
  return out.str();
}

DeviceTable ParseDeviceTable(std::string_view text, std::vector<std::string>* warnings) {
  DeviceTable table = DefaultDeviceTable();
  const auto warn = [&](int line, const char* what) {
    if (warnings && warnings->size() < 50)
      warnings->push_back(platform::Format("devices line %d: %s", line, what));
  };
  for (const platform::SettingLine& setting : platform::SettingLines(text, kMaxSettingsBytes)) {
    const int lineNumber = setting.number;
    if (setting.name.substr(0, 7) != "device." || !setting.hasValue) {
      warn(lineNumber, "not a device setting");
      continue;
    }
    const std::string_view key = setting.name.substr(7);
    const std::string_view value = setting.value;
    const std::size_t dot = key.find('.');
    int index = 0;
    if (dot == std::string_view::npos ||
        !ParseIntSetting(key.substr(0, dot), 0, kDeviceCount - 1, index)) {
      warn(lineNumber, "device number out of range");
      continue;
    }
    DeviceConfig& d = table[static_cast<std::size_t>(index)];
    const std::string_view name = key.substr(dot + 1);
    bool ok = true;
    if (name == "kind") {
      if (value == "virtual")
        d.kind = DeviceConfig::Kind::Virtual;
      else if (value == "ethernet")
        d.kind = DeviceConfig::Kind::Ethernet;
      else if (value == "serial")
        d.kind = DeviceConfig::Kind::Serial;
      else if (value == "none")
        d.kind = DeviceConfig::Kind::None;
      else
        ok = false;
    } else if (name == "type") {
      ok = ParseIntSetting(value, 1, 6, d.virtualType);
    } else if (name == "host") {
      ok = CleanText(value, d.host);
    } else if (name == "port") {
      ok = ParseIntSetting(value, 1, 65535, d.port);
    } else if (name == "timeout") {
      ok = ParseIntSetting(value, 100, 60000, d.timeoutMs);
    } else if (name == "serial") {
      ok = CleanText(value, d.serialPort);
    } else if (name == "baud") {
      ok = ParseIntSetting(value, 1, 4000000, d.baud);
    } else {
      warn(lineNumber, "unknown setting");
      continue;
    }
    if (!ok) warn(lineNumber, "bad value");
  }
  return table;
}

std::string DefaultDeviceSettingsPath() {
  return (std::filesystem::path(platform::ConfigFolder()) / "devices.conf").string();
}

bool LoadDeviceTable(const std::string& path, DeviceTable& table, std::string& error) {
  std::string text;
  if (!platform::ReadSettingsFile(path, kMaxSettingsBytes, text, error)) return false;
  table = ParseDeviceTable(text);
  return true;
}

bool SaveDeviceTable(const std::string& path, const DeviceTable& table, std::string& error) {
  return platform::WriteSettingsFile(path, FormatDeviceTable(table), error);
}

}  // namespace bl
