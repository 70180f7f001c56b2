#pragma once

#include <array>
#include <string_view>

#include "platform/geometry.h"

namespace bl::editor {

// Indexes into EditorColors.
enum EditorColorIndex : int {
  kColorBackground = 0,
  kColorNormalText = 1,
  kColorComments = 2,
  kColorKeywords = 3,
  kColorPDefinitions = 4,
  kColorQDefinitions = 5,
  kColorMDefinitions = 6,
  kColorIDefinitions = 7,
  kColorUserDefinitions = 8,
  kColorQuotations = 9,
};
inline constexpr int kEditorColorCount = 10;

using EditorColors = std::array<platform::Rgb, kEditorColorCount>;

inline constexpr EditorColors kDefaultEditorColors = {{
    {255, 255, 255},
    {0, 0, 0},
    {0, 128, 0},
    {0, 0, 255},
    {128, 0, 160},
    {128, 0, 160},
    {128, 0, 160},
    {128, 0, 160},
    {128, 0, 160},
    {255, 0, 0},
}};

// The label of each colour in the preferences dialog, by index.
inline constexpr std::array<std::string_view, kEditorColorCount> kEditorColorLabels = {
    "Background",
    "Normal Text",
    "Comments",
    "PMAC Keywords",
    "P-Variables Definitions",
    "Q-Variable Definitions",
    "M-Variable Definitions",
    "I-Variable Definitions",
    "User Definitions",
    "Quotations",
};

// Which classes of word are coloured; a class switched off is drawn as normal text.
struct ColouringSwitches {
  bool keywords = true;
  bool userDefinitions = true;
  bool pDefinitions = true;
  bool qDefinitions = true;
  bool mDefinitions = true;
  bool iDefinitions = true;
  friend bool operator==(const ColouringSwitches&, const ColouringSwitches&) = default;
};

// What opening a program file does to the definitions and the file list; read by the files code.
struct FileOptions {
  bool openClearsDefinitions = false;
  bool openUpdatesDefinitions = true;
  bool openClearsFileList = false;
  bool openUpdatesFileList = false;
  bool projectClearsDefinitions = true;
  bool projectUpdatesDefinitions = true;
  bool projectClearsFileList = true;
  bool projectUpdatesFileList = true;
  friend bool operator==(const FileOptions&, const FileOptions&) = default;
};

// Everything the "Program Editor Preferences" dialog sets. Starts at the defaults; kept between
// runs in the user's settings file.
struct EditorPreferences {
  EditorColors colors = kDefaultEditorColors;
  ColouringSwitches switches;
  FileOptions options;
  friend bool operator==(const EditorPreferences&, const EditorPreferences&) = default;
};

}  // namespace bl::editor
