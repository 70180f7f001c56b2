#include "series/gather.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "controller/controller_type.h"
#include "link/fake_vendor_library.h"
#include "series/series_table.h"

namespace bl::series {
namespace {

using ::testing::Contains;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::Not;

class GatherTest : public ::testing::Test, public test::LinkFixture {
 protected:
  void SetUp() override {
    Connect();
    type.typeCode = 5;
    for (int k = 1; k <= kMaxSeriesCount; ++k) {
      table[k].active = false;
      table[k].sourceType = SourceType::kY;
      table[k].address = 0;
    }
  }
  // The controller answers each query from the map, anything else with an error.
  void Answer(std::map<std::string, std::string> replies) {
    state->responder = [replies](const std::string& command) {
      const auto found = replies.find(command);
      return found == replies.end() ? std::string("\aERR003\r") : found->second + "\r\x06";
    };
  }

  ControllerType type;
  GatherBuffer buffer;
  SeriesTable table;
};

TEST_F(GatherTest, TurboDefinitionSendsEverySourceThenPeriodMasksAndBuffer) {
  table[3] = DataSeries{};
  table[3].active = true;
  table[3].sourceType = SourceType::kX;
  table[3].address = 0x85;
  table[30].active = true;
  table[30].sourceType = SourceType::kD;
  table[30].address = 0x100;
  table[12].sourceType = SourceType::kNone;  // no memory code: nothing is sent for it

  DefineGather(link, type, buffer, table);
  const std::vector<std::string> sent = state->Commands();
  ASSERT_EQ(sent.size(), 1u + 47 + 4);
  EXPECT_EQ(sent.front(), "I5000=0");
  EXPECT_EQ(sent[1], "I5001=0");
  EXPECT_EQ(sent[3], "I5003=4194437");
  EXPECT_THAT(sent, Contains("I5030=8388864"));
  EXPECT_THAT(sent, Not(Contains(::testing::StartsWith("I5012="))));
  EXPECT_THAT(std::vector<std::string>(sent.end() - 4, sent.end()),
              ElementsAre("I5049=10", "I5050=4", "I5051=32", "DEF GAT"));
  EXPECT_THAT(state->replySizes, Each(99u));
  EXPECT_EQ(terminal.Line(0).text, "");  // nothing echoed

  buffer.bufferSize = 5000;
  buffer.mode = 1;
  buffer.period = 3;
  EXPECT_EQ(DefineGatherCommands(5, buffer, table).back(), "DEF GAT 5000");
  EXPECT_EQ(DefineGatherCommands(5, buffer, table).front(), "I5000=1");
}

// A non-Turbo controller has source variables I21..I44 only: with the table still counting 48
// series (no type identified yet) the definition must not reach I45 (the gather mode) and on.
TEST_F(GatherTest, NonTurboDefinitionStopsAtItsTwentyFourSources) {
  table[24].active = true;
  table[24].sourceType = SourceType::kL;
  table[24].address = 0x7FFFF;
  table[30].active = true;
  const std::vector<std::string> sent = DefineGatherCommands(0, buffer, table);
  ASSERT_EQ(sent.size(), 1u + 24 + 3);
  EXPECT_EQ(sent.front(), "I45=0");
  EXPECT_EQ(sent[24], "I44=13107199");  // $C00000 + $7FFFF
  EXPECT_THAT(std::vector<std::string>(sent.end() - 3, sent.end()),
              ElementsAre("I19=10", "I20=8388608", "DEF GAT"));
}

TEST_F(GatherTest, ReadingBackTakesHexOrDecimalAndKeepsWhatDoesNotParse) {
  table[8].active = true;
  table[8].sourceType = SourceType::kX;
  table[8].address = 0x1234;
  table[40].active = true;
  Answer({{"I5000", "1"},
          {"I5050", "$40"},  // series 7 only
          {"I5007", "$C00100"},
          {"I5009", "$800085"},
          {"I5010", "4194437"},
          {"I5011", "$A00010"},  // no memory code: the type stays
          {"I5008", "12Z"}});
  buffer.period = 7;
  table[11].sourceType = SourceType::kD;
  ReadGatherSettings(link, type, buffer, table);

  EXPECT_EQ(buffer.mode, 1);
  EXPECT_EQ(buffer.period, 7);  // the error reply keeps it
  EXPECT_TRUE(table[7].active);
  EXPECT_EQ(table[7].sourceType, SourceType::kL);
  EXPECT_EQ(table[7].address, 0x100u);
  EXPECT_FALSE(table[8].active);
  EXPECT_EQ(table[8].address, 12u);  // "%d" reads the digits before the garbage
  EXPECT_EQ(table[8].sourceType, SourceType::kY);
  EXPECT_EQ(table[9].sourceType, SourceType::kD);
  EXPECT_EQ(table[9].address, 0x85u);
  EXPECT_EQ(table[10].sourceType, SourceType::kX);
  EXPECT_EQ(table[11].sourceType, SourceType::kD);
  EXPECT_EQ(table[11].address, 0x10u);
  EXPECT_EQ(table[12].address, 0u);
  // I5051 did not answer: series 40 keeps its flag.
  EXPECT_TRUE(table[40].active);
  EXPECT_THAT(state->replySizes, Each(99u));
}

TEST_F(GatherTest, BeginAndEndAreEchoed) {
  BeginGather(link);
  EndGather(link);
  EXPECT_THAT(state->Commands(), ElementsAre("GAT", "END GAT"));
  EXPECT_EQ(terminal.Line(1).text, "Command:  END GAT");
}

TEST(GatherSettings, RoundTripAndHostileTextKeepsDefaults) {
  SeriesTable saved;
  GatherBuffer buffer{4, 2000, 1};
  DataSeries& s = saved[17];
  s.active = true;
  s.address = 0x7FFFF;
  s.sourceType = SourceType::kX;
  s.startingBit = 8;
  s.wordLength = 16;
  s.signedData = false;
  s.SetTitle("Servo = out #1");
  s.scaleFactor = 1.0 / 3072;
  s.offset = -2.5e-7;
  s.integrationMode = IntegrationMode::kDifferentiateTwice;
  s.N1 = 0.1;
  s.N2 = -0.2;
  s.D1 = 1e-300;
  s.D2 = 3;
  s.normalizeFilterGain = true;
  const std::string text = GatherSettingsText(buffer, saved);

  SeriesTable loaded;
  GatherBuffer read;
  ApplyGatherSettings(text, read, loaded);
  EXPECT_EQ(read.period, 4);
  EXPECT_EQ(read.bufferSize, 2000);
  EXPECT_EQ(read.mode, 1);
  const DataSeries& l = loaded[17];
  EXPECT_TRUE(l.active);
  EXPECT_EQ(l.address, 0x7FFFFu);
  EXPECT_EQ(l.sourceType, SourceType::kX);
  EXPECT_EQ(l.startingBit, 8);
  EXPECT_EQ(l.wordLength, 16);
  EXPECT_FALSE(l.signedData);
  EXPECT_EQ(l.title, "Servo = out #1");
  EXPECT_EQ(l.scaleFactor, 1.0 / 3072);
  EXPECT_EQ(l.offset, -2.5e-7);
  EXPECT_EQ(l.integrationMode, IntegrationMode::kDifferentiateTwice);
  EXPECT_EQ(l.N1, 0.1);
  EXPECT_EQ(l.N2, -0.2);
  EXPECT_EQ(l.D1, 1e-300);
  EXPECT_EQ(l.D2, 3);
  EXPECT_TRUE(l.normalizeFilterGain);
  EXPECT_EQ(GatherSettingsText(read, loaded), text);

  SeriesTable hostile;
  GatherBuffer kept;
  ApplyGatherSettings(
      "gather.period=0\ngather.size=-1\ngather.mode=4\n"
      "series.0.active=1\nseries.49.active=1\nseries.2.address=524288\n"
      "series.2.source=7\nseries.2.bit=24\nseries.2.length=30\nseries.2.scale=nan\n"
      "series.2.offset=1e999\nseries.2.integration=5\nseries.2.n1=0x10\n"
      "series.2.title=bad\x1b[2J\nseries.2.active=yes\nseries.2\n=\nseries..x=1\n" +
          std::string(200000, 'x'),
      kept, hostile);
  EXPECT_EQ(kept.period, 10);
  EXPECT_EQ(kept.bufferSize, 0);
  EXPECT_EQ(kept.mode, 0);
  EXPECT_EQ(GatherSettingsText(kept, hostile), GatherSettingsText(GatherBuffer{}, SeriesTable{}));
}

TEST(GatherSettings, SavedFileIsReadAtTheNextStart) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("bl_gather_conf_" + std::to_string(::getpid()));
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string previous = old ? old : "";
  ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);

  SeriesTable table;
  table[5].active = true;
  table[5].address = 0x88;
  GatherBuffer buffer{2, 0, 1};
  std::string error;
  ASSERT_TRUE(SaveGatherSettings(buffer, table, error)) << error;
  EXPECT_TRUE(GatherSettingsPath().starts_with(folder.string()));

  SeriesTable loaded;
  GatherBuffer read;
  ASSERT_TRUE(LoadGatherSettings(read, loaded, error)) << error;
  EXPECT_TRUE(loaded[5].active);
  EXPECT_EQ(loaded[5].address, 0x88u);
  EXPECT_EQ(read.period, 2);
  EXPECT_EQ(read.mode, 1);

  std::filesystem::remove_all(folder);
  // No file: nothing changes and nothing fails.
  GatherBuffer untouched;
  EXPECT_TRUE(LoadGatherSettings(untouched, loaded, error));
  EXPECT_EQ(untouched.period, 10);
  if (old) {
    ::setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace
}  // namespace bl::series
