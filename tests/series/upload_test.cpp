#include "series/upload.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "controller/controller_type.h"
#include "link/fake_vendor_library.h"
#include "platform/fake/immediate_ui_thread.h"
#include "platform/text_format.h"
#include "series/gather.h"
#include "series/series_table.h"

namespace bl::series {
namespace {

using ::testing::ElementsAre;

// Memory words of the scripted controller: distinct for every address and both halves.
std::uint32_t YAt(int a) { return static_cast<std::uint32_t>(a) * 2; }
std::uint32_t XAt(int a) { return static_cast<std::uint32_t>(a) * 2 + 1; }

std::string Words(int first, int count, std::uint32_t (*word)(int)) {
  std::string reply;
  for (int j = 0; j < count; ++j) reply += platform::Format(j ? " %06X" : "%06X", word(first + j));
  return reply + "\r\x06";
}

// A Turbo controller that gathered series 1 (Y) and 2 (X) from $4000 up to $4064.
class UploadTest : public ::testing::Test, public test::LinkFixture {
 protected:
  void SetUp() override {
    Connect();
    type.typeCode = 5;
    type.servoPeriod = 0.000442;
    state->responder = [this](const std::string& command) -> std::string {
      const std::map<std::string, std::string> fixed = {
          {"RHX:$3120", platform::Format("%06X", startWord)},
          {"RHY:$3120", "004064"},
          {"I5049", "5"},
          {"I5050", "3"},
          {"I5001", "$000100"},
          {"I5002", "$400200"}};
      if (const auto found = fixed.find(command); found != fixed.end())
        return found->second + "\r\x06";
      int address = 0, count = 0;
      if (platform::Scan(command, 99, "RHX:%d,%d", &address, &count) == 2)
        return Words(address, count, XAt);
      if (platform::Scan(command, 99, "RHY:%d,%d", &address, &count) == 2)
        return Words(address, count, YAt);
      return "0\r\x06";
    };
  }
  UploadReport Upload(UploadView view = {}) {
    return UploadGatheredData({link, terminal, desktop, ui, type, buffer, table}, view);
  }
  std::vector<std::string> BlockCommands() {
    std::vector<std::string> blocks;
    for (const std::string& c : state->Commands())
      if (c.find(',') != std::string::npos) blocks.push_back(c);
    return blocks;
  }

  platform::ImmediateUiThread ui;
  ControllerType type;
  GatherBuffer buffer;
  SeriesTable table;
  std::uint32_t startWord = 0x4000;
};

// X then L: W = 3 becomes 4 and a sample spans two addresses. Slot 0 (the first address's Y word)
// is series 1's X word, slot 1 series 2's low word, slot 2 its high word, slot 3 the filler.
TEST_F(UploadTest, SlotsGoToTheSeriesInOrderAndTheFillerIsDropped) {
  for (int k = 1; k <= kMaxSeriesCount; ++k) table[k].active = k <= 2;
  table[1].sourceType = SourceType::kX;
  table[2].sourceType = SourceType::kL;
  ASSERT_EQ(WordsPerSample(table), 4);
  const auto slots = UploadSlots(table, 4);
  const UploadPlan plan = PlanUpload(5, 0x9FFF, 4, 0x100, 0x104);
  ASSERT_EQ(plan.sampleCount, 2);
  table[1].Resize(2);
  table[2].Resize(2);
  EXPECT_EQ(
      PlaceUploadBlock(table, plan, slots, 0x100, 4, Words(0x100, 5, XAt), Words(0x100, 5, YAt)),
      0);
  EXPECT_THAT(table[1].xWords, ElementsAre(YAt(0x100), YAt(0x102)));
  EXPECT_THAT(table[1].yWords, ElementsAre(0u, 0u));
  EXPECT_THAT(table[2].yWords, ElementsAre(XAt(0x100), XAt(0x102)));
  EXPECT_THAT(table[2].xWords, ElementsAre(YAt(0x101), YAt(0x103)));

  // A series without decoding counts no words and takes no slot, so later series keep theirs.
  table[1].sourceType = SourceType::kNone;
  EXPECT_EQ(WordsPerSample(table), 2);
  EXPECT_EQ(UploadSlots(table, 2)[0].series, 2);
}

TEST(UploadPlan, WrappedEndAndTheOrderOfItsWords) {
  const UploadPlan plan = PlanUpload(5, 0x9FFF, 4, 0x404000, 0x5000);
  EXPECT_TRUE(plan.wrap);
  EXPECT_EQ(plan.end, 40913);
  EXPECT_EQ(plan.sampleCount, (40913 - 0x4000) * 2 / 4);
  // The oldest data, at the pointer, comes first; the start follows the end of the buffer.
  EXPECT_EQ(UploadWordNumber(plan, 0x5000), 0);
  EXPECT_EQ(UploadWordNumber(plan, 0x4000), (40913 - 0x5000) * 2 + 2);
  // Non-Turbo: 16-bit addresses and K = 23.
  EXPECT_EQ(PlanUpload(2, 0x9FFF, 2, 0x7F1000, 0x12000).end, 0x9FFF - 23);
}

TEST(UploadReply, WordsStandAtSevenCharacterStepsWithinTheReplyBuffer) {
  EXPECT_EQ(BlockReplyWord("00ABCD 7fffff\r\x06", 1), 0x7FFFFFu);
  for (const char* bad : {"", "12AB", "\aERR003\r", "0000001 000002", " 00001 000002"})
    EXPECT_EQ(BlockReplyWord(bad, 0), std::nullopt) << bad;
  std::string longReply;
  for (int j = 0; j < 40; ++j) longReply += "000001 ";
  EXPECT_EQ(BlockReplyWord(longReply, 35), 1u);
  EXPECT_EQ(BlockReplyWord(longReply, 36), std::nullopt);  // character 252
}

TEST_F(UploadTest, BlocksOfThirtyTwoFillTheActiveSeriesAndProcessThem) {
  std::vector<int> percents;
  int redraws = 0;
  const UploadReport report =
      Upload({nullptr, [&](int p) { percents.push_back(p); }, [&] { ++redraws; }});
  EXPECT_EQ(report.outcome, UploadOutcome::kDone);
  EXPECT_THAT(BlockCommands(),
              ElementsAre("RHX:16384,33", "RHY:16384,33", "RHX:16416,33", "RHY:16416,33",
                          "RHX:16448,33", "RHY:16448,33", "RHX:16480,5", "RHY:16480,5"));
  EXPECT_THAT(percents, ElementsAre(32, 64, 96, 100));
  EXPECT_EQ(redraws, 1);
  ASSERT_EQ(table[1].sampleCount, 100);
  EXPECT_EQ(table[2].sourceType, SourceType::kX);
  EXPECT_DOUBLE_EQ(table[1].rawDataPeriod, 5 * 0.000442);
  for (int s = 0; s < 100; ++s) {
    ASSERT_EQ(table[1].yWords[static_cast<std::size_t>(s)], YAt(0x4000 + s)) << s;
    ASSERT_EQ(table[2].xWords[static_cast<std::size_t>(s)], XAt(0x4000 + s)) << s;
  }
  EXPECT_EQ(table[1].values[99], YAt(0x4000 + 99));  // processed
  EXPECT_EQ(table[3].sampleCount, 10);               // inactive: untouched
}

TEST_F(UploadTest, EscapeKeepsTheWordsReadSoFarUnprocessed) {
  const UploadReport report = Upload({nullptr,
                                      [&](int percent) {
                                        if (percent >= 64) desktop.SetKeys({.escape = true});
                                      },
                                      nullptr});
  EXPECT_EQ(report.outcome, UploadOutcome::kAborted);
  // Each block reads one address further, so $4040 came with the second block.
  EXPECT_EQ(table[1].yWords[64], YAt(0x4040));
  EXPECT_EQ(table[1].yWords[65], 0u);
  EXPECT_EQ(table[1].values[63], 0.0);
}

TEST_F(UploadTest, RegistersThatCannotBeReadLeaveTheSeriesAlone) {
  startWord = 0x1000000;  // seven digits: no word
  const std::vector<std::uint32_t> words = table[1].xWords;
  EXPECT_EQ(Upload().outcome, UploadOutcome::kRegistersFailed);
  EXPECT_EQ(table[1].xWords, words);
  EXPECT_EQ(terminal.Line(0).text,
            "Upload of gathered data failed: the gather registers could not be read.");
  EXPECT_TRUE(BlockCommands().empty());
}

}  // namespace
}  // namespace bl::series
