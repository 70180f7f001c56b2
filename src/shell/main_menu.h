#pragma once

#include <string_view>
#include <vector>

namespace bl {

// One entry of a popup: a command and its text, or a separator (command 0).
struct MenuEntry {
  int command = 0;
  std::string_view text;
  bool IsSeparator() const { return command == 0; }
};

struct MenuPopup {
  std::string_view title;
  std::vector<MenuEntry> entries;
};

// The main menu, popup by popup, in order.
const std::vector<MenuPopup>& MainMenu();

// The menu text of a command, or empty.
std::string_view MenuText(int command);

inline constexpr std::string_view kMakerWebSite = "https://www.quilloncontrols.example/";

}  // namespace bl
