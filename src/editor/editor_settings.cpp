#include "editor/editor_settings.h"

#include <array>
#include <cstdint>
#include <filesystem>

#include "platform/files.h"
#include "platform/settings_file.h"
#include "platform/text_format.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::editor {

namespace {

constexpr std::size_t kMaxSettingsBytes = 16 * 1024;
constexpr std::size_t kMaxWarnings = 50;

// The names of the colours in the file, by EditorColors index.
constexpr std::array<std::string_view, kEditorColorCount> kColorNames = {
    "background",    "normal_text",   "comments",      "keywords",         "p_definitions",
    "q_definitions", "m_definitions", "i_definitions", "user_definitions", "quotations"};

// The switches and options by name, each a member of its group.
template <typename Group>
struct Flag {
  std::string_view name;
  bool Group::*member;
};

constexpr std::array<Flag<ColouringSwitches>, 6> kSwitches = {{
    {"colouring.keywords", &ColouringSwitches::keywords},
    {"colouring.user_definitions", &ColouringSwitches::userDefinitions},
    {"colouring.p_definitions", &ColouringSwitches::pDefinitions},
    {"colouring.q_definitions", &ColouringSwitches::qDefinitions},
    {"colouring.m_definitions", &ColouringSwitches::mDefinitions},
    {"colouring.i_definitions", &ColouringSwitches::iDefinitions},
}};

constexpr std::array<Flag<FileOptions>, 8> kOptions = {{
    {"open.clears_definitions", &FileOptions::openClearsDefinitions},
    {"open.updates_definitions", &FileOptions::openUpdatesDefinitions},
    {"open.clears_file_list", &FileOptions::openClearsFileList},
    {"open.updates_file_list", &FileOptions::openUpdatesFileList},
    {"project.clears_definitions", &FileOptions::projectClearsDefinitions},
    {"project.updates_definitions", &FileOptions::projectUpdatesDefinitions},
    {"project.clears_file_list", &FileOptions::projectClearsFileList},
    {"project.updates_file_list", &FileOptions::projectUpdatesFileList},
}};

bool ParseBool(std::string_view text, bool& value) {
  if (text != "0" && text != "1") return false;
  value = text == "1";
  return true;
}

// "R,G,B", each 0..255.
bool ParseColor(std::string_view text, platform::Rgb& color) {
  int parts[3] = {};
  for (int i = 0; i < 3; ++i) {
    const std::size_t comma = i < 2 ? text.find(',') : text.size();
    if (comma == std::string_view::npos) return false;
    if (!platform::ParseIntSetting(text.substr(0, comma), 0, 255, parts[i])) return false;
    text = comma < text.size() ? text.substr(comma + 1) : std::string_view{};
  }
  color = {static_cast<std::uint8_t>(parts[0]), static_cast<std::uint8_t>(parts[1]),
           static_cast<std::uint8_t>(parts[2])};
  return true;
}

template <typename Group, std::size_t N>
bool* FindFlag(const std::array<Flag<Group>, N>& flags, Group& group, std::string_view name) {
  for (const Flag<Group>& f : flags)
    if (f.name == name) return &(group.*(f.member));
  return nullptr;
}

}  // namespace

std::string FormatEditorSettings(const EditorPreferences& p) {
  std::string text = "# Brightlantern program editor preferences: name=value\n";
  for (std::size_t i = 0; i < kColorNames.size(); ++i) {
    const platform::Rgb& c = p.colors[i];
    text +=
        platform::Format("color.%s=%d,%d,%d\n", std::string(kColorNames[i]).c_str(), c.r, c.g, c.b);
  }
  for (const auto& f : kSwitches)
    text += std::string(f.name) + "=" + (p.switches.*(f.member) ? "1" : "0") + "\n";
  for (const auto& f : kOptions)
    text += std::string(f.name) + "=" + (p.options.*(f.member) ? "1" : "0") + "\n";
  return text;
}

EditorPreferences ParseEditorSettings(std::string_view text, std::vector<std::string>* warnings) {
  EditorPreferences p;
  const auto warn = [&](int line, const char* what) {
    if (warnings && warnings->size() < kMaxWarnings)
      warnings->push_back(platform::Format("editor settings line %d: %s", line, what));
  };
  for (const platform::SettingLine& setting : platform::SettingLines(text, kMaxSettingsBytes)) {
    if (!setting.hasValue) {
      warn(setting.number, "not a setting");
      continue;
    }
    const std::string_view name = setting.name;
    bool ok = false;
    bool known = true;
    if (name.substr(0, 6) == "color.") {
      known = false;
      for (std::size_t i = 0; i < kColorNames.size(); ++i) {
        if (name.substr(6) != kColorNames[i]) continue;
        known = true;
        ok = ParseColor(setting.value, p.colors[i]);
      }
    } else if (bool* flag = FindFlag(kSwitches, p.switches, name)) {
      ok = ParseBool(setting.value, *flag);
    } else if (bool* option = FindFlag(kOptions, p.options, name)) {
      ok = ParseBool(setting.value, *option);
    } else {
      known = false;
    }
    if (!known)
      warn(setting.number, "unknown setting");
    else if (!ok)
      warn(setting.number, "bad value");
  }
  return p;
}

std::string DefaultEditorSettingsPath() {
  return (std::filesystem::path(platform::ConfigFolder()) / "editor.conf").string();
}

bool LoadEditorSettings(const std::string& path, EditorPreferences& preferences,
                        std::string& error) {
  std::string text;
  const bool read = platform::ReadSettingsFile(path, kMaxSettingsBytes, text, error);
  preferences = ParseEditorSettings(read ? text : std::string_view{});
  return read;
}

bool SaveEditorSettings(const std::string& path, const EditorPreferences& preferences,
                        std::string& error) {
  return platform::WriteSettingsFile(path, FormatEditorSettings(preferences), error);
}

void KeepChangedPreferences(EditorContext& ctx, const EditorPreferences& before) {
  const EditorState& s = ctx.state;
  if (s.preferencesFile.empty() || s.preferences == before) return;
  std::string error;
  if (!SaveEditorSettings(s.preferencesFile, s.preferences, error))
    ctx.terminal.TerminalAddLine("  " + error, 5);
}

}  // namespace bl::editor
