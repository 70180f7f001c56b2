#include "diagnostics/watch_settings.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <sstream>

#include "platform/files.h"
#include "platform/settings_file.h"

namespace bl::diagnostics {

namespace {

constexpr std::size_t kMaxSettingsBytes = 64 * 1024;
constexpr int kMaxVariableCount = 8192;

bool KnownDisplay(int kind) {
  return kind == static_cast<int>(WatchDisplay::Value) ||
         kind == static_cast<int>(WatchDisplay::Lamp) ||
         kind == static_cast<int>(WatchDisplay::Meter) ||
         kind == static_cast<int>(WatchDisplay::Graph);
}

// The blank-separated fields of a value, at most `count` of them; false for any other number.
template <std::size_t N>
bool SplitFields(std::string_view value, std::array<std::string_view, N>& fields) {
  std::size_t n = 0;
  std::size_t i = 0;
  while (i < value.size()) {
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
    if (i >= value.size()) break;
    const std::size_t start = i;
    while (i < value.size() && value[i] != ' ' && value[i] != '\t') ++i;
    if (n == N) return false;
    fields[n++] = value.substr(start, i - start);
  }
  return n == N;
}

// "P100 5 1 0 0 3": variable, display, scaling factor, maximum, minimum, precision.
bool ReadItem(std::string_view value, int variableCount, WatchItem& item) {
  std::array<std::string_view, 6> f;
  if (!SplitFields(value, f) || f[0].size() < 2) return false;
  const std::string_view letters = "PQMI";
  const std::size_t type = letters.find(f[0][0]);
  if (type == std::string_view::npos) return false;
  item = WatchItem{};
  item.variableType = static_cast<int>(type) + 1;
  if (!platform::ParseIntSetting(f[0].substr(1), 0, variableCount - 1, item.number)) return false;
  if (!platform::ParseIntSetting(f[1], 0, 10, item.kind) || !KnownDisplay(item.kind)) return false;
  return platform::ParseDoubleSetting(f[2], item.scale) &&
         platform::ParseDoubleSetting(f[3], item.maximum) &&
         platform::ParseDoubleSetting(f[4], item.minimum) &&
         platform::ParseIntSetting(f[5], -kWatchPrecisionLimit, kWatchPrecisionLimit,
                                   item.precision);
}

}  // namespace

std::string WatchSettingsPath(std::string_view controllerShortName) {
  const std::string name = "watch_" + std::string(controllerShortName) + ".conf";
  return (std::filesystem::path(platform::ConfigFolder()) / name).string();
}

std::string WatchSettingsText(const WatchTable::Items& items) {
  std::ostringstream out;
  out << "# Brightlantern watch window: variable, display, scale, maximum, minimum, precision\n";
  for (const WatchItem& item : items) {
    if (!item.Used()) continue;
    out << "item=" << WatchVariableName(item.variableType, item.number) << ' ' << item.kind << ' '
        << platform::DoubleSettingText(item.scale) << ' '
        << platform::DoubleSettingText(item.maximum) << ' '
        << platform::DoubleSettingText(item.minimum) << ' ' << item.precision << '\n';
  }
  return out.str();
}

WatchTable::Items ReadWatchSettings(std::string_view text, int variableCount) {
  variableCount = std::clamp(variableCount, 1, kMaxVariableCount);
  WatchTable::Items items{};
  int filled = 0;
  for (const platform::SettingLine& line : platform::SettingLines(text, kMaxSettingsBytes)) {
    if (filled >= kWatchFillable) break;
    if (!line.hasValue || line.name != "item") continue;
    WatchItem item;
    if (!ReadItem(line.value, variableCount, item)) continue;
    bool duplicate = false;
    for (int i = 0; i < filled; ++i)
      duplicate = duplicate || items[static_cast<std::size_t>(i)].SameVariable(item);
    if (!duplicate) items[static_cast<std::size_t>(filled++)] = item;
  }
  return items;
}

bool LoadWatchSettings(const std::string& path, int variableCount, WatchTable::Items& items,
                       std::string& error) {
  std::string text;
  if (!platform::ReadSettingsFile(path, kMaxSettingsBytes, text, error)) return false;
  items = ReadWatchSettings(text, variableCount);
  return true;
}

bool SaveWatchSettings(const std::string& path, const WatchTable::Items& items,
                       std::string& error) {
  return platform::WriteSettingsFile(path, WatchSettingsText(items), error);
}

}  // namespace bl::diagnostics
