#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/fake_vendor_library.h"
#include "link/progress_meter.h"
#include "platform/color_palette.h"
#include "platform/fake/immediate_ui_thread.h"
#include "platform/fake/recording_canvas.h"

namespace bl::test {
namespace {

using ::testing::ElementsAre;
using Line = std::pair<std::string, int>;

class ProgressMeterTest : public ::testing::Test, public LinkFixture {
 protected:
  void SetUp() override {
    Connect(4);
    meter.caption = "Downloading Program(s) to PMAC...";
    meter.fileName = "/tmp/EditorDownload.pmc";
  }
  platform::ImmediateUiThread ui;
  ProgressMeter meter{link, terminal, desktop, ui};
};

TEST_F(ProgressMeterTest, DownloadRunsAfterTheStartDelayAndClosesOk) {
  state->downloadMessages = {"first", std::string(100, 'L'), std::string(99, 'S')};
  std::vector<int> repaintPercents;
  meter.view.repaintBar = [&] { repaintPercents.push_back(meter.progressPercent); };
  meter.progressPercent = 55;

  meter.Open();
  EXPECT_EQ(meter.progressPercent, 0);
  EXPECT_EQ(meter.PendingTimer(), 2000);
  EXPECT_TRUE(state->downloadedPath.empty());

  meter.TimerFired();
  EXPECT_FALSE(meter.IsOpen());
  EXPECT_EQ(meter.Result(), ProgressResult::Ok);
  EXPECT_EQ(state->downloadedPath, "/tmp/EditorDownload.pmc");
  EXPECT_THAT(state->downloadFlags, ElementsAre(1, 1, 1, 1));
  EXPECT_THAT(repaintPercents, ElementsAre(25, 50, 75, 100));
  // The 100-character message is dropped, the 99-character one shown.
  EXPECT_THAT(Last(2), ElementsAre(Line{"first", 0}, Line{std::string(99, 'S'), 0}));
  EXPECT_EQ(state->aborts, 0);
}

TEST_F(ProgressMeterTest, EscapeAbortsTheDownloadFromTheProgressCallback) {
  desktop.SetKeys({.escape = true});
  EXPECT_EQ(meter.Run(), ProgressResult::Ok);
  EXPECT_EQ(state->aborts, 1);
  EXPECT_EQ(state->progressCalls, 1);
  EXPECT_EQ(meter.progressPercent, 25);
}

TEST_F(ProgressMeterTest, DataJobStepsTickByTickThenFinishes) {
  int steps = 0;
  int finished = 0;
  int repaints = 0;
  meter.progressTask = ProgressTask::DataJob;
  meter.step = [&] {
    meter.progressPercent = ++steps * 33;
    return steps == 3;
  };
  meter.finish = [&] { ++finished; };
  meter.view.repaintBar = [&] { ++repaints; };

  meter.Open();
  for (int tick = 1; tick <= 3; ++tick) {
    meter.TimerFired();
    EXPECT_EQ(steps, tick);
    EXPECT_EQ(meter.PendingTimer(), 0) << "the next step follows at once";
  }
  EXPECT_EQ(finished, 0);
  meter.TimerFired();
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(steps, 3);
  EXPECT_EQ(repaints, 4);
  EXPECT_EQ(meter.Result(), ProgressResult::Ok);
}

TEST_F(ProgressMeterTest, EscapeBetweenStepsCancelsTheDataJob) {
  int steps = 0;
  bool finished = false;
  meter.progressTask = ProgressTask::DataJob;
  meter.step = [&] {
    if (++steps == 2) desktop.SetKeys({.escape = true});
    return false;
  };
  meter.finish = [&] { finished = true; };
  EXPECT_EQ(meter.Run(), ProgressResult::Cancel);
  EXPECT_EQ(steps, 2);
  EXPECT_FALSE(finished);
}

TEST(ProgressBarPaint, SplitsTheBarAtTheTruncatedPercentage) {
  const platform::Rect bar{10, 5, 113, 25};
  const auto rects = [&](int percent) {
    platform::RecordingCanvas canvas({200, 40});
    PaintProgressBar(canvas, bar, percent);
    std::vector<std::pair<platform::Rect, platform::Rgb>> out;
    for (const auto& op : canvas.Ops()) {
      EXPECT_EQ(op.pen, platform::kBlack);
      out.emplace_back(op.rect, *op.brush);
    }
    return out;
  };
  // 103 × 0.37 = 38.11: 38 pixels black.
  EXPECT_THAT(rects(37), ElementsAre(std::pair{platform::Rect{10, 5, 48, 25}, platform::kBlack},
                                     std::pair{platform::Rect{48, 5, 113, 25}, platform::kWhite}));
  EXPECT_THAT(rects(0), ElementsAre(std::pair{bar, platform::kWhite}));
  EXPECT_THAT(rects(100), ElementsAre(std::pair{bar, platform::kBlack}));
  EXPECT_THAT(rects(250), ElementsAre(std::pair{bar, platform::kBlack}));
}

}  // namespace
}  // namespace bl::test
