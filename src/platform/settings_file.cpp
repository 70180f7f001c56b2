#include "platform/settings_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "platform/files.h"
#include "platform/text_format.h"

namespace bl::platform {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

}  // namespace

std::vector<SettingLine> SettingLines(std::string_view text, std::size_t maxBytes) {
  std::vector<SettingLine> lines;
  text = text.substr(0, maxBytes);
  int number = 0;
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    const std::string_view line = Trim(text.substr(0, nl));
    text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
    ++number;
    if (line.empty() || line.front() == '#') continue;
    SettingLine setting;
    setting.number = number;
    const std::size_t eq = line.find('=');
    setting.hasValue = eq != std::string_view::npos;
    setting.name = Trim(line.substr(0, eq));
    if (setting.hasValue) setting.value = Trim(line.substr(eq + 1));
    lines.push_back(setting);
  }
  return lines;
}

bool ParseIntSetting(std::string_view text, int low, int high, int& value) {
  int parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  if (parsed < low || parsed > high) return false;
  value = parsed;
  return true;
}

bool ParseDoubleSetting(std::string_view text, double& value) {
  double parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(parsed))
    return false;
  value = parsed;
  return true;
}

std::string DoubleSettingText(double value) { return Format("%.17g", value); }

bool ReadSettingsFile(const std::string& path, std::size_t maxBytes, std::string& text,
                      std::string& error) {
  text.clear();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) return true;
  bool tooLong = false;
  return ReadFileBounded(path, maxBytes, text, tooLong, error);
}

bool WriteSettingsFile(const std::string& path, std::string_view text, std::string& error) {
  std::error_code ec;
  const std::filesystem::path target(path);
  if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), ec);
  return WriteFileAtomically(path, text, error);
}

}  // namespace bl::platform
