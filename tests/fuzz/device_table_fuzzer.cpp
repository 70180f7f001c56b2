// The device settings file: any text parses into a table whose every value lies in its range,
// and what FormatDeviceTable writes of that table parses back to the same devices, silently.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "link/device_table.h"

namespace {

using bl::DeviceConfig;

bool Printable(const std::string& text) {
  if (text.size() > 255) return false;
  for (char c : text)
    if (static_cast<unsigned char>(c) < 32 || c == 127) return false;
  return true;
}

void CheckRanges(const DeviceConfig& d) {
  BL_FUZZ_CHECK(d.virtualType >= 1 && d.virtualType <= 6);
  BL_FUZZ_CHECK(d.port >= 1 && d.port <= 65535);
  BL_FUZZ_CHECK(d.timeoutMs >= 100 && d.timeoutMs <= 60000);
  BL_FUZZ_CHECK(d.baud >= 1 && d.baud <= 4000000);
  BL_FUZZ_CHECK(Printable(d.host) && Printable(d.serialPort));
}

// The file keeps the settings of each device's own kind only.
void CheckSameDevice(const DeviceConfig& a, const DeviceConfig& b) {
  BL_FUZZ_CHECK(a.kind == b.kind);
  switch (a.kind) {
    case DeviceConfig::Kind::Virtual:
      BL_FUZZ_CHECK(a.virtualType == b.virtualType);
      break;
    case DeviceConfig::Kind::Ethernet:
      BL_FUZZ_CHECK(a.host == b.host && a.port == b.port && a.timeoutMs == b.timeoutMs);
      break;
    case DeviceConfig::Kind::Serial:
      BL_FUZZ_CHECK(a.serialPort == b.serialPort && a.baud == b.baud);
      break;
    case DeviceConfig::Kind::None:
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  std::vector<std::string> warnings;
  const bl::DeviceTable table = bl::ParseDeviceTable(text, &warnings);
  BL_FUZZ_CHECK(warnings.size() <= 50);
  for (const DeviceConfig& d : table) {
    CheckRanges(d);
    // Both are shown in the device choice; neither may fail on what a file holds.
    (void)bl::DescribeDevice(d);
    (void)bl::CheckDevice(d);
  }

  const std::string written = bl::FormatDeviceTable(table);
  std::vector<std::string> again;
  const bl::DeviceTable reread = bl::ParseDeviceTable(written, &again);
  BL_FUZZ_CHECK(again.empty());
  for (std::size_t i = 0; i < table.size(); ++i) CheckSameDevice(table[i], reread[i]);
  // Writing is stable: the second file is the first.
  BL_FUZZ_CHECK(bl::FormatDeviceTable(reread) == written);
  return 0;
}
