#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace bl::platform {

// The settings files kept between runs in ConfigFolder(): plain text, one "name=value" a line;
// blank lines and lines starting with '#' are comments. Readers keep what they understand and
// leave the rest at its default, so a damaged or hand-edited file never stops the program.

// One line that is not blank or a comment, with its number from 1. The line is trimmed of
// blanks, tabs and a CR at both ends; name is what precedes the first '=' and value what
// follows it, trimmed too.
struct SettingLine {
  int number = 0;
  std::string_view name;
  std::string_view value;
  bool hasValue = false;  // false: the line has no '='
};

// The setting lines within the first maxBytes of text.
std::vector<SettingLine> SettingLines(std::string_view text, std::size_t maxBytes);

// A whole decimal number within low..high; false leaves value alone.
bool ParseIntSetting(std::string_view text, int low, int high, int& value);

// A finite decimal number (as DoubleSettingText writes it); false leaves value alone.
bool ParseDoubleSetting(std::string_view text, double& value);
// The text of a double that reads back exactly.
std::string DoubleSettingText(double value);

// Reads at most maxBytes of the settings file; a file that does not exist reads as empty. False
// with a sentence in error when it exists but cannot be read (no rights, not a plain file).
bool ReadSettingsFile(const std::string& path, std::size_t maxBytes, std::string& text,
                      std::string& error);

// Writes the settings file atomically, creating its folder first.
bool WriteSettingsFile(const std::string& path, std::string_view text, std::string& error);

}  // namespace bl::platform
