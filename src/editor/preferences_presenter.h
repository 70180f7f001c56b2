#pragma once

#include <array>
#include <functional>
#include <string_view>

#include "editor/editor_preferences.h"

namespace bl::platform {
class Desktop;
}

namespace bl::editor {

// The check boxes of "Program Editor Preferences".
enum class PreferenceCheck {
  Keywords,
  UserDefinitions,
  PDefinitions,
  QDefinitions,
  MDefinitions,
  IDefinitions,
  OpenClearsDefinitions,
  OpenUpdatesDefinitions,
  OpenClearsFileList,
  OpenUpdatesFileList,
  ProjectClearsDefinitions,
  ProjectUpdatesDefinitions,
  ProjectClearsFileList,
  ProjectUpdatesFileList,
};
inline constexpr int kPreferenceCheckCount = 14;

// The colour a colour-switch check box stands beside, by switch (Keywords .. IDefinitions).
inline constexpr std::array<int, 6> kSwitchColors = {kColorKeywords,     kColorUserDefinitions,
                                                     kColorPDefinitions, kColorQDefinitions,
                                                     kColorMDefinitions, kColorIDefinitions};
// The colours that have a plain label and a "Change Color" button.
inline constexpr std::array<int, 4> kLabelledColors = {kColorBackground, kColorNormalText,
                                                       kColorComments, kColorQuotations};
// The labels of the four file options, the same in both groups.
inline constexpr std::array<std::string_view, 4> kFileOptionLabels = {
    "Clear existing variable definitions.", "Update variable definitions from #DEFINEs.",
    "Clear the program file list.", "Update the program file list from #INCLUDEs."};
inline constexpr std::string_view kClearDefinitionsNote =
    "(This will also re-load the default I-Variable definitions.)";

// "Program Editor Preferences" without its widgets. Colours change at once; the check boxes are
// stored when the dialog closes, by OK or by Escape alike.
class PreferencesPresenter {
 public:
  // repaint redraws the editor after a colour change; it may be empty.
  PreferencesPresenter(EditorPreferences& preferences, platform::Desktop& desktop,
                       std::function<void()> repaint);

  static std::string_view Label(PreferenceCheck check);

  bool Checked(PreferenceCheck check) const { return checks_[Index(check)]; }
  void SetChecked(PreferenceCheck check, bool on) { checks_[Index(check)] = on; }

  platform::Rgb Color(int colorIndex) const;
  // "Change Color": the chooser opens on the present colour; a cancelled chooser changes nothing.
  void ChangeColor(int colorIndex);

  // OK, or Escape: every check box goes into its option.
  void Close();

 private:
  static std::size_t Index(PreferenceCheck c) { return static_cast<std::size_t>(c); }
  bool* Option(PreferenceCheck check) const;

  EditorPreferences& preferences_;
  platform::Desktop& desktop_;
  std::function<void()> repaint_;
  std::array<bool, kPreferenceCheckCount> checks_{};
};

}  // namespace bl::editor
