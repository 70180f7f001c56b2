#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "editor/preferences_presenter.h"

class QCheckBox;
class QPushButton;

namespace bl::editor {

// "Program Editor Preferences": colour buttons, colouring switches and the file options.
class PreferencesDialog : public QDialog {
 public:
  PreferencesDialog(EditorPreferences& preferences, platform::Desktop& desktop,
                    std::function<void()> repaint, QWidget* parent = nullptr);

  QCheckBox& Check(PreferenceCheck check) { return *checks_[static_cast<std::size_t>(check)]; }
  // The "Change Color" button of a colour (EditorColors index).
  QPushButton& ColorButton(int colorIndex) {
    return *colorButtons_[static_cast<std::size_t>(colorIndex)];
  }

  // OK and Escape both keep what the check boxes show.
  void accept() override;
  void reject() override;

 private:
  QPushButton* MakeColorButton(int colorIndex);
  void Store();

  PreferencesPresenter presenter_;
  std::array<QCheckBox*, kPreferenceCheckCount> checks_{};
  std::array<QPushButton*, kEditorColorCount> colorButtons_{};
};

// Opens the dialog modally.
void RunPreferencesDialog(QWidget* parent, EditorPreferences& preferences,
                          platform::Desktop& desktop, std::function<void()> repaint);

}  // namespace bl::editor
