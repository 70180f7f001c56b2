#include "editor/editor_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/files_test_support.h"

namespace bl::editor {
namespace {

namespace fs = std::filesystem;

EditorPreferences Changed() {
  EditorPreferences p;
  for (int i = 0; i < kEditorColorCount; ++i)
    p.colors[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i),
                                             static_cast<std::uint8_t>(255 - i), 7};
  p.switches.keywords = false;
  p.switches.iDefinitions = false;
  p.options.openClearsDefinitions = true;
  p.options.openUpdatesDefinitions = false;
  p.options.openUpdatesFileList = true;
  p.options.projectClearsFileList = false;
  return p;
}

TEST(EditorSettingsTest, WhatIsWrittenReadsBackTheSameWithoutWarnings) {
  const EditorPreferences p = Changed();
  const std::string text = FormatEditorSettings(p);
  std::vector<std::string> warnings;
  EXPECT_EQ(ParseEditorSettings(text, &warnings), p);
  EXPECT_TRUE(warnings.empty());
  EXPECT_NE(text.find("color.comments=2,253,7\n"), std::string::npos);
  EXPECT_NE(text.find("open.clears_definitions=1\n"), std::string::npos);
  EXPECT_EQ(ParseEditorSettings(FormatEditorSettings(EditorPreferences{})), EditorPreferences{});
}

TEST(EditorSettingsTest, DamagedLinesKeepTheirDefaultsAndTheRestIsTaken) {
  const std::string text =
      "# by hand\r\n"
      "  color.background = 1,2,3 \r\n"
      "color.comments=256,0,0\n"
      "color.quotations=1,2\n"
      "color.keywords=1,2,3,4\n"
      "color.nonsense=1,2,3\n"
      "colouring.keywords=yes\n"
      "colouring.user_definitions=0\n"
      "open.clears_file_list=1\x01\n"
      "project.clears_definitions\n"
      "\x7f\xff=\x01\n"
      "open.updates_file_list=1";  // the last line without its end
  std::vector<std::string> warnings;
  EditorPreferences want;
  want.colors[kColorBackground] = {1, 2, 3};
  want.switches.userDefinitions = false;
  want.options.openUpdatesFileList = true;
  EXPECT_EQ(ParseEditorSettings(text, &warnings), want);
  ASSERT_EQ(warnings.size(), 8u);
  EXPECT_EQ(warnings[0], "editor settings line 3: bad value");
  EXPECT_EQ(warnings[3], "editor settings line 6: unknown setting");

  // Only the first 16 KiB count, and the warnings stay few.
  EXPECT_TRUE(
      ParseEditorSettings(std::string(100000, '\n') + "colouring.keywords=0\n").switches.keywords);
  std::string junk;
  for (int i = 0; i < 1000; ++i) junk += "x\n";
  warnings.clear();
  ParseEditorSettings(junk, &warnings);
  EXPECT_EQ(warnings.size(), 50u);
}

class EditorSettingsFileTest : public test::FilesTest {};

TEST_F(EditorSettingsFileTest, LoadSaveAndOnlyChangedPreferencesAreKept) {
  const std::string path = Path("config/brightlantern/editor.conf");
  EditorPreferences p = Changed();
  std::string error;
  ASSERT_TRUE(LoadEditorSettings(path, p, error));  // no file yet: the defaults
  EXPECT_EQ(p, EditorPreferences{});

  // Nothing is written while nothing changed, nor without a path.
  KeepChangedPreferences(ctx, state.preferences);
  state.preferences = Changed();
  KeepChangedPreferences(ctx, EditorPreferences{});
  EXPECT_FALSE(fs::exists(path));
  state.preferencesFile = path;
  KeepChangedPreferences(ctx, state.preferences);
  EXPECT_FALSE(fs::exists(path));

  KeepChangedPreferences(ctx, EditorPreferences{});
  ASSERT_TRUE(LoadEditorSettings(path, p, error)) << error;
  EXPECT_EQ(p, Changed());

  // A file that cannot be read gives the defaults and says why; a failed save keeps the old
  // file and says so in the terminal.
  EXPECT_FALSE(LoadEditorSettings(folder.string(), p, error));
  EXPECT_EQ(p, EditorPreferences{});
  state.preferences.switches.keywords = true;
  {
    test::FileSizeLimit disk(16);
    KeepChangedPreferences(ctx, Changed());
  }
  EXPECT_EQ(terminal.Line(0).color, 5);
  EXPECT_NE(terminal.Line(0).text.find("editor.conf"), std::string::npos);
  ASSERT_TRUE(LoadEditorSettings(path, p, error));
  EXPECT_EQ(p, Changed());
}

}  // namespace
}  // namespace bl::editor
