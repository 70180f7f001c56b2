// A controller read into memory with the backup's own sections, compared with itself after a
// change and with the backup file it writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/backup.h"
#include "tools/backup_fixture.h"
#include "tools/compare_config_presenter.h"
#include "tools/config_diff.h"

namespace bl::tools {
namespace {

class ConfigDiffControllerTest : public ::testing::TestWithParam<int> {
 protected:
  ConfigModel Read() {
    std::string text;
    std::string error;
    EXPECT_TRUE(BackupToText(c.workbench.link, c.Target(), {}, nullptr, text, error)) << error;
    const ControllerTypeInfo& info = ControllerTypeInfoFor(c.type);
    ConfigModel model = ControllerConfig(text, c.type, info.displayName, info.variableCount);
    EXPECT_TRUE(model.problems.empty()) << model.problems.front();
    return model;
  }

  VirtualBench c{GetParam()};
};

TEST_P(ConfigDiffControllerTest, TwoVariablesChangedAreExactlyTheTwoDifferences) {
  for (const char* line : {"OPEN PROG 3 CLEAR", "X1000 DWELL 10", "CLOSE", "OPEN PLC 2 CLEAR",
                           "P3=P3+1", "CLOSE", "M1->X:$C000,0,24,S", "&1 #1->1000X"})
    ASSERT_EQ(c.Command(line), "\x06") << line;
  const ConfigModel before = Read();
  EXPECT_EQ(before.programs.at(3).lines, (std::vector<std::string>{"X1000", "DWELL10", "RETURN"}));
  EXPECT_EQ(before.axes.at({1, 1}), "1000X");
  ASSERT_EQ(c.Command("I130=3000 P100=42.5"), "\x06");
  const ConfigDiff diff = CompareConfigs(before, Read(), nullptr, false);
  std::vector<std::string> lines;
  for (const DiffEntry& e : diff.entries) lines.push_back(DiffLine(e));
  ASSERT_EQ(lines.size(), 2u) << testing::PrintToString(lines);
  EXPECT_EQ(lines[0], "P100: 0 -> 42.5");
  EXPECT_TRUE(lines[1].starts_with("I130: ")) << lines[1];
  EXPECT_TRUE(lines[1].ends_with(" -> 3000")) << lines[1];
  EXPECT_EQ(diff.changed, 2u);
}

TEST_P(ConfigDiffControllerTest, TheBackupFileReadsBackAsTheControllerItCameFrom) {
  ASSERT_EQ(c.Command("P1=12.5 Q5=7 OPEN PROG 9 CLEAR X5 CLOSE &2 #4->2000X"), "\x06");
  ScratchFolder folder;
  const std::string path = folder.File("cell.pmc");
  std::string error;
  ASSERT_TRUE(RunBackup(c.workbench.link, c.Target(), {}, path, nullptr, error)) << error;
  const ConfigModel file = ReadConfigFile(path);
  ASSERT_TRUE(file.problems.empty()) << file.problems.front();
  EXPECT_EQ(file.variableCount, c.Target().variableCount);
  const ConfigDiff diff = CompareConfigs(file, Read(), nullptr, true);
  EXPECT_EQ(diff.Differences(), 0u);
  // Every variable of all four kinds, and the M-variable values, were compared.
  EXPECT_GT(diff.entries.size(), 5u * static_cast<std::size_t>(c.Target().variableCount));

  EXPECT_EQ(ReadConfigFile(folder.File("missing.pmc")).problems.at(0).rfind("cannot open ", 0), 0u);
}

TEST_P(ConfigDiffControllerTest, AControllerGoneIsNoConfiguration) {
  c.workbench.link.LinkDisconnect();
  std::string text;
  std::string error;
  EXPECT_FALSE(BackupToText(c.workbench.link, c.Target(), {}, nullptr, text, error));
  EXPECT_EQ(error, "the controller is not connected");
}

TEST_P(ConfigDiffControllerTest, TheDialogReadsTheControllerTickByTickAndFiltersItsRows) {
  ScratchFolder folder;
  const std::string path = folder.File("before.pmc");
  std::string error;
  ASSERT_TRUE(RunBackup(c.workbench.link, c.Target(), {}, path, nullptr, error)) << error;
  ASSERT_EQ(c.Command("Q7=1"), "\x06");
  CompareConfigPresenter p(c.workbench.link, c.desktop, c.workbench.controllerType,
                           c.workbench.definitions);

  // B is a file, and none is chosen yet.
  p.Compare();
  ASSERT_EQ(c.desktop.messages.size(), 1u);
  EXPECT_EQ(c.desktop.messages[0].text, "Choose a backup file for B.");
  EXPECT_FALSE(p.Reading());

  c.desktop.openFileAnswers.push_back(path);
  p.Browse(p.b);
  EXPECT_EQ(p.b.path, path);
  p.Compare();
  int ticks = 0;
  std::vector<std::string> statuses;
  while (p.Reading() && ticks < 20) {
    statuses.push_back(p.StatusText());
    p.Tick();
    ++ticks;
  }
  EXPECT_FALSE(p.Reading());
  EXPECT_EQ(statuses.front(), "Backing up P-Variables");
  EXPECT_EQ(p.StatusText(), "1 difference (1 changed, 0 only in A, 0 only in B)");
  ASSERT_EQ(p.RowCount(), 1u);
  EXPECT_EQ(DiffLine(p.Row(0)), "Q7: 1 -> 0");
  p.SetDifferencesOnly(false);
  EXPECT_GT(p.RowCount(), 4u * static_cast<std::size_t>(c.Target().variableCount));

  // A damaged file is refused with its line; a controller gone, with the backup's message.
  { std::ofstream(path, std::ios::binary) << "P1=1\r\nI5=\r\n"; }
  p.Compare();
  ASSERT_EQ(c.desktop.messages.size(), 2u);
  EXPECT_EQ(c.desktop.messages[1].text,
            "The file cannot be compared:\n" + path + ":2: I5 has no value");
  c.workbench.link.LinkDisconnect();
  p.b.controller = true;
  p.Compare();
  ASSERT_EQ(c.desktop.messages.size(), 3u);
  EXPECT_EQ(c.desktop.messages[2].text, "Not Connected to a PMAC Device.");
}

INSTANTIATE_TEST_SUITE_P(Types, ConfigDiffControllerTest, testing::Values(2, 5));

}  // namespace
}  // namespace bl::tools
