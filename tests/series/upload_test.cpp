#include "series/upload.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "controller/controller_type.h"
#include "link/fake_vendor_library.h"
#include "platform/fake/immediate_ui_thread.h"
#include "platform/text_format.h"
#include "series/gather.h"
#include "series/series_table.h"

namespace bl::series {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

// Memory words of the scripted controller: distinct for every address and both halves.
std::uint32_t YAt(int a) { return static_cast<std::uint32_t>(a) * 2; }
std::uint32_t XAt(int a) { return static_cast<std::uint32_t>(a) * 2 + 1; }

std::string Words(int first, int count, std::uint32_t (*word)(int)) {
  std::string reply;
  for (int j = 0; j < count; ++j) {
    if (j > 0) reply += ' ';
    reply += platform::Format("%06X", word(first + j));
  }
  return reply + "\r\x06";
}

class UploadTest : public ::testing::Test, public test::LinkFixture {
 protected:
  void SetUp() override {
    Connect();
    type.typeCode = 5;
    type.servoPeriod = 0.000442;
    for (int k = 1; k <= kMaxSeriesCount; ++k) table[k].active = false;
    // A Turbo controller that gathered series 1 (Y) and 2 (X) from $4000 up to $4064.
    state->responder = [this](const std::string& command) -> std::string {
      int address = 0, count = 0;
      if (command == "RHX:$3120") return platform::Format("%06X\r\x06", startWord);
      if (command == "RHY:$3120") return platform::Format("%06X\r\x06", pointerWord);
      if (command == "I5049") return "5\r\x06";
      if (command == "I5050") return "3\r\x06";
      if (command == "I5001") return "$000100\r\x06";
      if (command == "I5002") return "$400200\r\x06";
      if (command.starts_with("I")) return "0\r\x06";
      if (platform::Scan(command, 99, "RHX:%d,%d", &address, &count) == 2)
        return address >= failFrom ? "\aERR255\r" : Words(address, count, XAt);
      if (platform::Scan(command, 99, "RHY:%d,%d", &address, &count) == 2)
        return address >= failFrom ? "\aERR255\r" : Words(address, count, YAt);
      return "\aERR003\r";
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
  std::uint32_t pointerWord = 0x4064;
  int failFrom = 1 << 30;
};

// X then L: W = 3 becomes 4 and a sample spans two addresses. Slot 0 (the first address's Y word)
// is series 1's X word, slot 1 series 2's low word, slot 2 its high word, slot 3 the filler.
TEST_F(UploadTest, SlotsGoToTheSeriesInOrderAndTheFillerIsDropped) {
  table[1].active = true;
  table[1].sourceType = SourceType::kX;
  table[2].active = true;
  table[2].sourceType = SourceType::kL;
  table[3].sourceType = SourceType::kD;  // inactive: no slot
  ASSERT_EQ(WordsPerSample(table), 4);
  const auto sampleSlots = UploadSlots(table, 4);
  ASSERT_EQ(sampleSlots.size(), 4u);
  EXPECT_EQ(sampleSlots[0].series, 1);
  EXPECT_TRUE(sampleSlots[0].xWords);
  EXPECT_EQ(sampleSlots[1].series, 2);
  EXPECT_FALSE(sampleSlots[1].xWords);
  EXPECT_EQ(sampleSlots[2].series, 2);
  EXPECT_TRUE(sampleSlots[2].xWords);
  EXPECT_EQ(sampleSlots[3].series, 0);

  const UploadPlan plan = PlanUpload(5, 0x9FFF, 4, 0x100, 0x104);
  ASSERT_EQ(plan.sampleCount, 2);
  table[1].Resize(2);
  table[2].Resize(2);
  EXPECT_EQ(PlaceUploadBlock(table, plan, sampleSlots, 0x100, 4, Words(0x100, 5, XAt),
                             Words(0x100, 5, YAt)),
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

TEST(UploadPlan, EndAddressWithAndWithoutWrap) {
  UploadPlan plan = PlanUpload(5, 0x9FFF, 2, 0x4000, 0x4064);
  EXPECT_FALSE(plan.wrap);
  EXPECT_EQ(plan.end, 0x4064);
  EXPECT_EQ(plan.sampleCount, 100);

  plan = PlanUpload(5, 0x9FFF, 4, 0x404000, 0x5000);
  EXPECT_TRUE(plan.wrap);
  EXPECT_EQ(plan.start, 0x4000);
  EXPECT_EQ(plan.end, 40913);
  EXPECT_EQ(plan.sampleCount, (40913 - 0x4000) * 2 / 4);
  // The oldest data, at the pointer, comes first; the start follows the end of the buffer.
  EXPECT_EQ(UploadWordNumber(plan, 0x5000), 0);
  EXPECT_EQ(UploadWordNumber(plan, 40913), (40913 - 0x5000) * 2);
  EXPECT_EQ(UploadWordNumber(plan, 0x4000), (40913 - 0x5000) * 2 + 2);

  // Non-Turbo: 16-bit addresses and K = 23.
  plan = PlanUpload(2, 0x9FFF, 2, 0x7F1000, 0x12000);
  EXPECT_EQ(plan.start, 0x1000);
  EXPECT_EQ(plan.pointer, 0x2000);
  EXPECT_EQ(plan.end, 0x9FFF - 0x1000 - 23 + 1 + 0x1000 - 1);
  // Nothing gathered, or nothing to gather.
  EXPECT_EQ(PlanUpload(5, 0x9FFF, 2, 0x4000, 0x4000).sampleCount, 0);
  EXPECT_EQ(PlanUpload(5, 0x9FFF, 0, 0x404000, 0x4000).sampleCount, 0);
}

TEST(UploadReply, WordsStandAtSevenCharacterStepsAndHostileRepliesGiveNone) {
  EXPECT_EQ(BlockReplyWord("00ABCD 7fffff\r\x06", 0), 0xABCDu);
  EXPECT_EQ(BlockReplyWord("00ABCD 7fffff\r\x06", 1), 0x7FFFFFu);
  EXPECT_EQ(BlockReplyWord("00ABCD 7fffff\r\x06", 2), std::nullopt);
  EXPECT_EQ(BlockReplyWord("", 0), std::nullopt);
  EXPECT_EQ(BlockReplyWord("12AB", 0), std::nullopt);
  EXPECT_EQ(BlockReplyWord("\aERR003\r", 0), std::nullopt);
  EXPECT_EQ(BlockReplyWord("0000001 000002", 0), std::nullopt);  // seven digits
  EXPECT_EQ(BlockReplyWord(" 00001 000002", 0), std::nullopt);
  EXPECT_EQ(BlockReplyWord("000001 000002", -1), std::nullopt);
  // Beyond the reply buffer nothing is looked for.
  std::string longReply;
  for (int j = 0; j < 40; ++j) longReply += "000001 ";
  EXPECT_EQ(BlockReplyWord(longReply, 35), 1u);
  EXPECT_EQ(BlockReplyWord(longReply, 36), std::nullopt);
}

TEST_F(UploadTest, BlocksOfThirtyTwoFillTheActiveSeriesAndProcessThem) {
  std::vector<int> percents;
  int redraws = 0;
  const UploadReport report =
      Upload({nullptr, [&](int p) { percents.push_back(p); }, [&] { ++redraws; }});
  EXPECT_EQ(report.outcome, UploadOutcome::kDone);
  EXPECT_EQ(report.sampleCount, 100);
  EXPECT_THAT(BlockCommands(),
              ElementsAre("RHX:16384,33", "RHY:16384,33", "RHX:16416,33", "RHY:16416,33",
                          "RHX:16448,33", "RHY:16448,33", "RHX:16480,5", "RHY:16480,5"));
  EXPECT_THAT(percents, ElementsAre(32, 64, 96, 100));
  EXPECT_EQ(redraws, 1);
  EXPECT_EQ(buffer.period, 5);

  const DataSeries& y = table[1];
  const DataSeries& x = table[2];
  ASSERT_EQ(y.sampleCount, 100);
  ASSERT_EQ(x.sampleCount, 100);
  EXPECT_EQ(y.sourceType, SourceType::kY);
  EXPECT_EQ(x.sourceType, SourceType::kX);
  EXPECT_DOUBLE_EQ(y.rawDataPeriod, 5 * 0.000442);
  for (int s = 0; s < 100; ++s) {
    ASSERT_EQ(y.yWords[static_cast<std::size_t>(s)], YAt(0x4000 + s)) << s;
    ASSERT_EQ(x.xWords[static_cast<std::size_t>(s)], XAt(0x4000 + s)) << s;
  }
  EXPECT_NE(y.values[99], 0.0);         // processed
  EXPECT_EQ(table[3].sampleCount, 10);  // inactive: untouched
}

TEST_F(UploadTest, ALinkFaultStopsTheUploadKeepsTheWordsAndSaysHowFarItGot) {
  failFrom = 0x4040;
  const UploadReport report = Upload();
  EXPECT_EQ(report.outcome, UploadOutcome::kFailed);
  const std::string message =
      "Upload of gathered data stopped at $4040: the controller did not send the data (64 of "
      "100 addresses read).";
  EXPECT_EQ(report.message, message);
  EXPECT_EQ(terminal.Line(0).text, message);
  EXPECT_EQ(terminal.Line(0).color, 5);
  EXPECT_EQ(report.samplesRead, 64);
  // One failed block and no more.
  EXPECT_THAT(BlockCommands(), Not(Contains("RHX:16480,5")));
  EXPECT_EQ(table[1].yWords[63], YAt(0x4000 + 63));
  // Each block reads one address further, so $4040 came with the block before.
  EXPECT_EQ(table[1].yWords[64], YAt(0x4040));
  EXPECT_EQ(table[1].yWords[65], 0u);
  EXPECT_EQ(table[1].values[63], static_cast<double>(YAt(0x4000 + 63)));
}

TEST_F(UploadTest, RegistersThatCannotBeReadLeaveTheSeriesAlone) {
  table[1].active = true;  // the settings read back keep it active
  startWord = 0x1000000;   // seven digits: no word
  const std::vector<std::uint32_t> words = table[1].xWords;
  const UploadReport report = Upload();
  EXPECT_EQ(report.outcome, UploadOutcome::kRegistersFailed);
  EXPECT_EQ(table[1].xWords, words);
  EXPECT_EQ(terminal.Line(0).color, 5);
  EXPECT_TRUE(BlockCommands().empty());
}

TEST_F(UploadTest, EscapeKeepsTheWordsReadSoFarUnprocessed) {
  const UploadReport report = Upload({nullptr,
                                      [&](int percent) {
                                        if (percent >= 64) desktop.SetKeys({.escape = true});
                                      },
                                      nullptr});
  EXPECT_EQ(report.outcome, UploadOutcome::kAborted);
  EXPECT_EQ(table[1].yWords[63], YAt(0x4000 + 63));
  // Each block reads one address further, so $4040 came with the block before.
  EXPECT_EQ(table[1].yWords[64], YAt(0x4040));
  EXPECT_EQ(table[1].yWords[65], 0u);
  EXPECT_EQ(table[1].values[63], 0.0);
  EXPECT_THAT(BlockCommands(), Not(Contains("RHX:16480,5")));
}

TEST_F(UploadTest, NothingGatheredOrNotConnected) {
  pointerWord = startWord;
  EXPECT_EQ(Upload().outcome, UploadOutcome::kNothingToRead);
  EXPECT_EQ(table[1].sampleCount, 0);
  EXPECT_TRUE(BlockCommands().empty());

  link.LinkDisconnect();
  state->commands.clear();
  EXPECT_EQ(Upload().outcome, UploadOutcome::kNotConnected);
  EXPECT_TRUE(state->Commands().empty());
}

}  // namespace
}  // namespace bl::series
