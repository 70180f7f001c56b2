#include "editor/preferences_presenter.h"

#include "platform/desktop.h"

namespace bl::editor {

PreferencesPresenter::PreferencesPresenter(EditorPreferences& preferences,
                                           platform::Desktop& desktop,
                                           std::function<void()> repaint)
    : preferences_(preferences), desktop_(desktop), repaint_(std::move(repaint)) {
  for (int i = 0; i < kPreferenceCheckCount; ++i)
    checks_[static_cast<std::size_t>(i)] = *Option(static_cast<PreferenceCheck>(i));
}

std::string_view PreferencesPresenter::Label(PreferenceCheck check) {
  switch (check) {
    case PreferenceCheck::Keywords:
      return kEditorColorLabels[kColorKeywords];
    case PreferenceCheck::UserDefinitions:
      return kEditorColorLabels[kColorUserDefinitions];
    case PreferenceCheck::PDefinitions:
      return kEditorColorLabels[kColorPDefinitions];
    case PreferenceCheck::QDefinitions:
      return kEditorColorLabels[kColorQDefinitions];
    case PreferenceCheck::MDefinitions:
      return kEditorColorLabels[kColorMDefinitions];
    case PreferenceCheck::IDefinitions:
      return kEditorColorLabels[kColorIDefinitions];
    default: {
      const int option =
          static_cast<int>(check) - static_cast<int>(PreferenceCheck::OpenClearsDefinitions);
      return kFileOptionLabels[static_cast<std::size_t>(option % 4)];
    }
  }
}

bool* PreferencesPresenter::Option(PreferenceCheck check) const {
  ColouringSwitches& sw = preferences_.switches;
  FileOptions& o = preferences_.options;
  switch (check) {
    case PreferenceCheck::Keywords:
      return &sw.keywords;
    case PreferenceCheck::UserDefinitions:
      return &sw.userDefinitions;
    case PreferenceCheck::PDefinitions:
      return &sw.pDefinitions;
    case PreferenceCheck::QDefinitions:
      return &sw.qDefinitions;
    case PreferenceCheck::MDefinitions:
      return &sw.mDefinitions;
    case PreferenceCheck::IDefinitions:
      return &sw.iDefinitions;
    case PreferenceCheck::OpenClearsDefinitions:
      return &o.openClearsDefinitions;
    case PreferenceCheck::OpenUpdatesDefinitions:
      return &o.openUpdatesDefinitions;
    case PreferenceCheck::OpenClearsFileList:
      return &o.openClearsFileList;
    case PreferenceCheck::OpenUpdatesFileList:
      return &o.openUpdatesFileList;
    case PreferenceCheck::ProjectClearsDefinitions:
      return &o.projectClearsDefinitions;
    case PreferenceCheck::ProjectUpdatesDefinitions:
      return &o.projectUpdatesDefinitions;
    case PreferenceCheck::ProjectClearsFileList:
      return &o.projectClearsFileList;
    case PreferenceCheck::ProjectUpdatesFileList:
      return &o.projectUpdatesFileList;
  }
  return &o.openUpdatesDefinitions;
}

platform::Rgb PreferencesPresenter::Color(int colorIndex) const {
  if (colorIndex < 0 || colorIndex >= kEditorColorCount) return {};
  return preferences_.colors[static_cast<std::size_t>(colorIndex)];
}

void PreferencesPresenter::ChangeColor(int colorIndex) {
  if (colorIndex < 0 || colorIndex >= kEditorColorCount) return;
  platform::Rgb& color = preferences_.colors[static_cast<std::size_t>(colorIndex)];
  if (const auto chosen = desktop_.ChooseColor(color)) {
    color = *chosen;
    if (repaint_) repaint_();
  }
}

void PreferencesPresenter::Close() {
  for (int i = 0; i < kPreferenceCheckCount; ++i)
    *Option(static_cast<PreferenceCheck>(i)) = checks_[static_cast<std::size_t>(i)];
}

}  // namespace bl::editor
