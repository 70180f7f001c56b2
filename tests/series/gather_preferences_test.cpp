#include "series/gather_preferences_presenter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bl::series {
namespace {

TEST(GatherPreferencesTest, FrequenciesFollowEachEditOfThePeriod) {
  GatherBuffer buffer;
  GatherPreferencesPresenter p(buffer, 0.000442, {});
  EXPECT_EQ(p.PeriodText(), "10");
  EXPECT_EQ(p.BufferSizeText(), "0");
  EXPECT_EQ(p.ServoFrequencyText(), "2262.44");
  EXPECT_EQ(p.GatherFrequencyText(), "226.24");

  p.EditPeriod("4");
  EXPECT_EQ(buffer.period, 4);
  EXPECT_EQ(p.GatherFrequencyText(), "565.61");
  // An emptied field, 0 and negative periods all gather every servo cycle.
  for (const char* text : {"", "0", "-3"}) {
    p.EditPeriod(text);
    EXPECT_EQ(buffer.period, 1) << text;
    EXPECT_EQ(p.GatherFrequencyText(), "2262.44");
  }
  p.EditPeriod("$10");
  EXPECT_EQ(buffer.period, 16);
  p.EditPeriod("99999999999999");
  EXPECT_EQ(buffer.period, 2147483647);

  // Offline there is no servo period: no rate, not a division by zero.
  GatherPreferencesPresenter offline(buffer, 0.0, {});
  EXPECT_EQ(offline.ServoFrequencyText(), "0.00");
  EXPECT_EQ(offline.GatherFrequencyText(), "0");
}

TEST(GatherPreferencesTest, BufferSizeIsTakenOnCloseOrDownloadWhenNotNegative) {
  GatherBuffer buffer;
  std::vector<std::string> calls;
  GatherPreferencesActions actions;
  actions.defineGather = [&] { calls.push_back("define " + std::to_string(buffer.bufferSize)); };
  actions.readGatherSettings = [&] {
    calls.push_back("read");
    buffer.period = 7;
    buffer.bufferSize = 3000;
  };
  GatherPreferencesPresenter p(buffer, 0.000442, actions);

  p.EditBufferSize("5000");
  EXPECT_EQ(buffer.bufferSize, 0);  // not before the dialog closes
  p.DownloadSettings();
  EXPECT_EQ(calls, std::vector<std::string>{"define 5000"});

  p.UploadSettings();
  EXPECT_EQ(p.PeriodText(), "7");
  EXPECT_EQ(p.BufferSizeText(), "3000");

  p.EditBufferSize("-1");
  p.Close();
  EXPECT_EQ(buffer.bufferSize, 3000);
  p.EditBufferSize("$100");
  p.Close();
  EXPECT_EQ(buffer.bufferSize, 256);
  EXPECT_EQ(buffer.period, 7);
}

}  // namespace
}  // namespace bl::series
