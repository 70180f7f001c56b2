#include "series/gather.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "controller/controller_type.h"
#include "link/fake_vendor_library.h"
#include "series/series_table.h"

namespace bl::series {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;

class GatherTest : public ::testing::Test, public test::LinkFixture {
 protected:
  void SetUp() override {
    Connect();
    type.typeCode = 5;
    for (int k = 1; k <= kMaxSeriesCount; ++k) {
      table[k] = DataSeries{};
      table[k].sourceType = SourceType::kY;
    }
  }
  void Source(int k, SourceType source, std::uint32_t address) {
    table[k].active = true;
    table[k].sourceType = source;
    table[k].address = address;
  }
  std::vector<std::string> Last(std::vector<std::string> sent, std::size_t n) {
    return {sent.end() - static_cast<std::ptrdiff_t>(n), sent.end()};
  }

  ControllerType type;
  GatherBuffer buffer;
  SeriesTable table;
};

TEST_F(GatherTest, TurboDefinitionSendsEverySourceThenPeriodMasksAndBuffer) {
  Source(3, SourceType::kX, 0x85);
  Source(30, SourceType::kD, 0x100);
  table[12].sourceType = SourceType::kNone;  // no memory code: nothing is sent for it
  DefineGather(link, type, buffer, table);
  const std::vector<std::string> sent = state->Commands();
  ASSERT_EQ(sent.size(), 1u + 47 + 4);
  EXPECT_THAT(std::vector<std::string>(sent.begin(), sent.begin() + 4),
              ElementsAre("I5000=0", "I5001=0", "I5002=0", "I5003=4194437"));
  EXPECT_EQ(sent[12], "I5013=0");  // I5012 left out
  EXPECT_EQ(sent[29], "I5030=8388864");
  EXPECT_THAT(Last(sent, 4), ElementsAre("I5049=10", "I5050=4", "I5051=32", "DEF GAT"));
  EXPECT_THAT(state->replySizes, Each(99u));
  EXPECT_EQ(terminal.Line(0).text, "");  // nothing echoed

  buffer = {3, 5000, 1};
  const std::vector<std::string> sized = DefineGatherCommands(5, buffer, table);
  EXPECT_EQ(sized.front(), "I5000=1");
  EXPECT_EQ(sized.back(), "DEF GAT 5000");
}

// A non-Turbo controller has source variables I21..I44 only: with the table still counting 48
// series (no type identified yet) the definition must not reach I45 (the gather mode) and on.
TEST_F(GatherTest, NonTurboDefinitionStopsAtItsTwentyFourSources) {
  Source(24, SourceType::kL, 0x7FFFF);
  Source(30, SourceType::kX, 1);
  const std::vector<std::string> sent = DefineGatherCommands(0, buffer, table);
  ASSERT_EQ(sent.size(), 1u + 24 + 3);
  EXPECT_EQ(sent[24], "I44=13107199");  // $C00000 + $7FFFF
  EXPECT_THAT(Last(sent, 3), ElementsAre("I19=10", "I20=8388608", "DEF GAT"));
}

TEST_F(GatherTest, ReadingBackTakesHexOrDecimalAndKeepsWhatDoesNotParse) {
  Source(8, SourceType::kX, 0x1234);
  Source(40, SourceType::kY, 0);
  table[11].sourceType = SourceType::kD;
  const std::map<std::string, std::string> replies = {
      {"I5000", "1"},       {"I5050", "$40"},  // series 7 only
      {"I5007", "$C00100"}, {"I5009", "4194437"},
      {"I5011", "$A00010"},  // no memory code: the type stays
  };
  state->responder = [replies](const std::string& command) {
    const auto found = replies.find(command);
    return found == replies.end() ? std::string("\aERR003\r") : found->second + "\r\x06";
  };
  buffer.period = 7;
  ReadGatherSettings(link, type, buffer, table);
  EXPECT_EQ(buffer.mode, 1);
  EXPECT_EQ(buffer.period, 7);  // the error reply keeps it
  EXPECT_TRUE(table[7].active);
  EXPECT_EQ(table[7].sourceType, SourceType::kL);
  EXPECT_EQ(table[7].address, 0x100u);
  EXPECT_FALSE(table[8].active);
  EXPECT_EQ(table[8].address, 0x1234u);
  EXPECT_EQ(table[8].sourceType, SourceType::kX);
  EXPECT_EQ(table[9].sourceType, SourceType::kX);
  EXPECT_EQ(table[9].address, 0x85u);
  EXPECT_EQ(table[11].sourceType, SourceType::kD);
  EXPECT_EQ(table[11].address, 0x10u);
  EXPECT_TRUE(table[40].active);  // I5051 did not answer: the flag stays
}

TEST(GatherSettings, WhatIsSavedIsReadAtTheNextStart) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("bl_gather_conf_" + std::to_string(::getpid()));
  const std::string testConfig =
      std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
  ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  SeriesTable saved;
  DataSeries& s = saved[17];
  s.SetTitle("Servo = out #1");
  s.sourceType = SourceType::kX;
  s.active = true;
  s.wordLength = 16;
  s.integrationMode = IntegrationMode::kDifferentiateTwice;
  s.scaleFactor = 1.0 / 3072;
  s.D1 = 1e-300;
  std::string error;
  ASSERT_TRUE(SaveGatherSettings({4, 2000, 1}, saved, error)) << error;

  SeriesTable loaded;
  GatherBuffer read;
  ASSERT_TRUE(LoadGatherSettings(read, loaded, error)) << error;
  std::filesystem::remove_all(folder);
  ::setenv("XDG_CONFIG_HOME", testConfig.c_str(), 1);
  EXPECT_EQ(GatherSettingsText(read, loaded), GatherSettingsText({4, 2000, 1}, saved));
  // Exactly: the text keeps every bit.
  EXPECT_EQ(loaded[17].scaleFactor, s.scaleFactor);
  EXPECT_EQ(loaded[17].D1, s.D1);
}

}  // namespace
}  // namespace bl::series
