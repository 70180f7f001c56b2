#include <gtest/gtest.h>

#include "editor/preferences_presenter.h"
#include "platform/fake/fake_desktop.h"

namespace bl::editor {
namespace {

TEST(PreferencesTest, ColoursChangeAtOnceAndACancelledChooserKeepsThem) {
  EditorPreferences prefs;
  platform::FakeDesktop desktop;
  int repaints = 0;
  PreferencesPresenter p(prefs, desktop, [&] { ++repaints; });
  desktop.colorAnswers = {platform::Rgb{1, 2, 3}, std::nullopt};
  p.ChangeColor(kColorQuotations);
  EXPECT_EQ(prefs.colors[kColorQuotations], (platform::Rgb{1, 2, 3}));
  EXPECT_EQ(repaints, 1);
  p.ChangeColor(kColorBackground);
  EXPECT_EQ(prefs.colors[kColorBackground], (platform::Rgb{255, 255, 255}));
  EXPECT_EQ(repaints, 1);
}

TEST(PreferencesTest, ChecksShowTheOptionsAndAreStoredOnClose) {
  EditorPreferences prefs;
  platform::FakeDesktop desktop;
  PreferencesPresenter p(prefs, desktop, nullptr);
  EXPECT_TRUE(p.Checked(PreferenceCheck::Keywords));
  EXPECT_FALSE(p.Checked(PreferenceCheck::OpenClearsDefinitions));
  EXPECT_TRUE(p.Checked(PreferenceCheck::OpenUpdatesDefinitions));
  EXPECT_FALSE(p.Checked(PreferenceCheck::OpenUpdatesFileList));
  EXPECT_TRUE(p.Checked(PreferenceCheck::ProjectClearsFileList));

  p.SetChecked(PreferenceCheck::MDefinitions, false);
  p.SetChecked(PreferenceCheck::OpenClearsFileList, true);
  p.SetChecked(PreferenceCheck::ProjectUpdatesDefinitions, false);
  EXPECT_TRUE(prefs.switches.mDefinitions);  // nothing stored before closing
  p.Close();
  EXPECT_FALSE(prefs.switches.mDefinitions);
  EXPECT_TRUE(prefs.options.openClearsFileList);
  EXPECT_FALSE(prefs.options.projectUpdatesDefinitions);
  EXPECT_TRUE(prefs.switches.iDefinitions);
}

}  // namespace
}  // namespace bl::editor
