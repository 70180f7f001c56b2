#include "editor/qt/preferences_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"

namespace bl::editor {

namespace {

QGroupBox* FileOptionGroup(const char* title, PreferenceCheck first,
                           std::array<QCheckBox*, kPreferenceCheckCount>& checks,
                           PreferencesPresenter& presenter, QWidget* parent) {
  auto* group = new QGroupBox(QString::fromLatin1(title), parent);
  auto* layout = new QVBoxLayout(group);
  for (int i = 0; i < 4; ++i) {
    const auto check = static_cast<PreferenceCheck>(static_cast<int>(first) + i);
    auto* box = new QCheckBox(platform::ToQt(PreferencesPresenter::Label(check)), group);
    box->setChecked(presenter.Checked(check));
    checks[static_cast<std::size_t>(check)] = box;
    layout->addWidget(box);
    if (i == 0) {
      auto* note = new QLabel(platform::ToQt(kClearDefinitionsNote), group);
      note->setContentsMargins(20, 0, 0, 0);
      layout->addWidget(note);
    }
  }
  return group;
}

}  // namespace

PreferencesDialog::PreferencesDialog(EditorPreferences& preferences, platform::Desktop& desktop,
                                     std::function<void()> repaint, QWidget* parent)
    : QDialog(parent), presenter_(preferences, desktop, std::move(repaint)) {
  setWindowTitle("Program Editor Preferences");

  auto* colors = new QGroupBox("Colors and Highlighting", this);
  auto* grid = new QGridLayout(colors);
  int row = 0;
  for (int index : kLabelledColors) {
    grid->addWidget(
        new QLabel(platform::ToQt(kEditorColorLabels[static_cast<std::size_t>(index)]), colors),
        row, 0);
    grid->addWidget(MakeColorButton(index), row++, 1);
  }
  for (std::size_t i = 0; i < kSwitchColors.size(); ++i) {
    const auto check = static_cast<PreferenceCheck>(i);
    auto* box = new QCheckBox(platform::ToQt(PreferencesPresenter::Label(check)), colors);
    box->setChecked(presenter_.Checked(check));
    checks_[i] = box;
    grid->addWidget(box, row, 0);
    grid->addWidget(MakeColorButton(kSwitchColors[i]), row++, 1);
  }

  auto* files = new QVBoxLayout;
  files->addWidget(FileOptionGroup("Opening Files", PreferenceCheck::OpenClearsDefinitions, checks_,
                                   presenter_, this));
  files->addWidget(FileOptionGroup("Opening Files as Projects",
                                   PreferenceCheck::ProjectClearsDefinitions, checks_, presenter_,
                                   this));
  files->addStretch();

  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* columns = new QHBoxLayout;
  columns->addWidget(colors);
  columns->addLayout(files);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  auto* top = new QVBoxLayout(this);
  top->addLayout(columns);
  top->addLayout(buttons);
}

QPushButton* PreferencesDialog::MakeColorButton(int colorIndex) {
  auto* button = new QPushButton("Change Color", this);
  colorButtons_[static_cast<std::size_t>(colorIndex)] = button;
  connect(button, &QPushButton::clicked, this,
          [this, colorIndex] { presenter_.ChangeColor(colorIndex); });
  return button;
}

void PreferencesDialog::Store() {
  for (int i = 0; i < kPreferenceCheckCount; ++i) {
    const auto check = static_cast<PreferenceCheck>(i);
    presenter_.SetChecked(check, checks_[static_cast<std::size_t>(i)]->isChecked());
  }
  presenter_.Close();
}

void PreferencesDialog::accept() {
  Store();
  QDialog::accept();
}

void PreferencesDialog::reject() {
  Store();
  QDialog::reject();
}

void RunPreferencesDialog(QWidget* parent, EditorPreferences& preferences,
                          platform::Desktop& desktop, std::function<void()> repaint) {
  PreferencesDialog dialog(preferences, desktop, std::move(repaint), parent);
  dialog.exec();
}

}  // namespace bl::editor
