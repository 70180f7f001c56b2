#include "tuning/tuning_history.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "definitions/definition_table.h"
#include "graph/graph_input.h"
#include "link/fake_vendor_library.h"
#include "platform/fake/fake_desktop.h"
#include "series/series_table.h"
#include "terminal_lines/terminal_lines.h"
#include "tuning/tuning_compare.h"
#include "tuning/tuning_history_presenter.h"

namespace bl::tuning {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// 2026-12-07 05:02:38.123 UTC.
constexpr std::int64_t kTime = 1796619758123;

TuningRun SampleRun(std::int64_t timeMs, double ix30) {
  TuningRun run;
  run.timeMs = timeMs;
  run.typeCode = 5;
  run.typeName = "Turbo PMAC2";
  run.device = "device 0";
  run.motor = 3;
  run.kind = TestMoveKind::kTrapezoid;
  run.parameters.trapezoidSize = 4000;
  run.parameters.velocity = 12.5f;
  run.parameters.acceleration = 0.1f;
  run.variables[8] = 96;
  run.variables[30] = ix30;
  run.variables[31] = 1280;
  run.variables[36] = -0.123456789012345678;
  series::StepMetrics metrics;
  metrics.stepSize = 4000;
  metrics.overshoot = 3.25;
  metrics.peakFollowingError = 12.5;
  run.metrics = metrics;
  run.series = {{"Commanded", 0.000884, {0, 0, 1, 2.5, 4000}},
                {"Actual", 0.000884, {0, 0, 0.1, 1.0 / 3, 1e-300}},
                {"DAC Output", 0.000884, {-32768, 0, 32767, 1, 0}}};
  return run;
}

class TuningHistoryTest : public ::testing::Test {
 protected:
  TuningHistoryTest()
      : folder_(fs::temp_directory_path() / ("bl-history-" + std::to_string(::getpid()))) {
    fs::remove_all(folder_);
  }
  ~TuningHistoryTest() override { fs::remove_all(folder_); }

  static void Write(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }

  fs::path folder_;
  TuningHistory history{folder_.string()};
};

TEST_F(TuningHistoryTest, ASavedRunIsListedNewestFirstAndLoadsBackExactly) {
  TuningRun older = SampleRun(kTime, 2000);
  older.gatherPeriod = 1;
  TuningRun newer = SampleRun(kTime + 60000, 1000);
  std::string error;
  ASSERT_TRUE(history.Save(older, error)) << error;
  ASSERT_TRUE(history.Save(newer, error)) << error;
  EXPECT_EQ(older.id, "20261207-050238-123");
  EXPECT_TRUE(fs::exists(folder_ / "TURBO2" / "motor3" / "20261207-050238-123.blrun"));
  EXPECT_EQ(RunReference(older), "TURBO2/motor3/20261207-050238-123");

  const TuningHistory::Listing listing = history.List(5, 3);
  EXPECT_TRUE(listing.problems.empty());
  ASSERT_EQ(listing.runs.size(), 2u);
  EXPECT_EQ(listing.runs[0].id, newer.id);
  EXPECT_EQ(listing.runs[1].id, older.id);

  TuningRun back;
  ASSERT_TRUE(history.Load(5, 3, older.id, back, error)) << error;
  EXPECT_EQ(back.timeMs, older.timeMs);
  EXPECT_EQ(back.typeName, "Turbo PMAC2");
  EXPECT_EQ(back.device, "device 0");
  EXPECT_EQ(back.motor, 3);
  EXPECT_EQ(back.kind, TestMoveKind::kTrapezoid);
  EXPECT_EQ(back.parameters.trapezoidSize, 4000);
  EXPECT_EQ(back.parameters.velocity, 12.5f);
  EXPECT_EQ(back.parameters.acceleration, 0.1f);
  EXPECT_EQ(back.gatherPeriod, 1);
  EXPECT_EQ(back.variables, older.variables);  // unknown ones stay unknown
  ASSERT_TRUE(back.metrics);
  EXPECT_EQ(back.metrics->overshoot, 3.25);
  EXPECT_EQ(back.metrics->settlingTime, std::nullopt);
  EXPECT_EQ(back.metrics->peakFollowingError, 12.5);
  ASSERT_EQ(back.series.size(), 3u);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(back.series[k].title, older.series[k].title);
    EXPECT_EQ(back.series[k].period, older.series[k].period);
    EXPECT_EQ(back.series[k].values, older.series[k].values);
  }
  // Text written with CR LF, as the program's text files are.
  EXPECT_THAT(RunFileText(older), HasSubstr("Brightlantern Tuning Run\r\nversion=1\r\n"));
}

TEST_F(TuningHistoryTest, RunsOfOneMillisecondKeepAFileEachAndOnlyTheNewestAreKept) {
  TuningHistory small(folder_.string(), 3);
  std::string error;
  for (int k = 0; k < 5; ++k) {
    TuningRun run = SampleRun(kTime + k * 1000, 100 + k);
    ASSERT_TRUE(small.Save(run, error)) << error;
  }
  TuningRun twin = SampleRun(kTime + 4000, 200);
  ASSERT_TRUE(small.Save(twin, error));
  EXPECT_EQ(twin.id, "20261207-050242-123-2");

  const auto runs = small.List(5, 3).runs;
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].variables[30], 200.0);
  EXPECT_EQ(runs[1].variables[30], 104.0);
  EXPECT_EQ(runs[2].variables[30], 103.0);
}

TEST_F(TuningHistoryTest, DamagedOrForeignFilesAreRefusedWithTheReasonAndTheRestStillListed) {
  TuningRun good = SampleRun(kTime, 2000);
  std::string error;
  ASSERT_TRUE(history.Save(good, error));
  const std::string text = RunFileText(good);
  const std::string motorFolder = history.MotorFolder(5, 3);
  Write(motorFolder + "/20200101-000000-001.blrun", text.substr(0, text.size() - 20));
  Write(motorFolder + "/20200101-000000-002.blrun", "a shopping list\r\n");
  std::string newer = text;
  newer.replace(newer.find("version=1"), 9, "version=7");
  Write(motorFolder + "/20200101-000000-003.blrun", newer);
  // A run of another controller type in this controller's folder.
  std::string pmac1 = text;
  pmac1.replace(pmac1.find("type=5\r\ntype.name=Turbo PMAC2"), 29, "type=1\r\ntype.name=PMAC1");
  Write(motorFolder + "/20200101-000000-004.blrun", pmac1);

  const TuningHistory::Listing listing = history.List(5, 3);
  ASSERT_EQ(listing.runs.size(), 1u);
  EXPECT_EQ(listing.runs[0].id, good.id);
  EXPECT_THAT(listing.problems,
              ::testing::ElementsAre(
                  "20200101-000000-004.blrun: the run was made on a PMAC1, not on a Turbo PMAC2",
                  "20200101-000000-003.blrun: the run was written in a newer layout (7) than this "
                  "program reads",
                  "20200101-000000-002.blrun: this is not a tuning run file",
                  "20200101-000000-001.blrun: the file is damaged (line 42: the file ends within "
                  "a series)"));

  TuningRun run;
  EXPECT_FALSE(history.Load(5, 3, "20200101-000000-001", run, error));
  EXPECT_FALSE(history.Load(5, 3, "../../../etc/passwd", run, error));
  EXPECT_THAT(error, HasSubstr("There is no tuning run"));
}

TEST(TuningRunFile, HostileCountsAndValuesAreRefusedWithoutBeingBelieved) {
  const std::string head =
      "Brightlantern Tuning Run\nversion=1\ntime=2026-12-07T05:02:38.123Z\ntype=5\nmotor=1\n"
      "move=step\n";
  TuningRun run;
  std::string error;
  // A length far beyond what the text holds is not reserved.
  EXPECT_FALSE(
      ParseRunFile(head + "series=a\nseries.period=1\nseries.samples=16000000\n1\n", run, error));
  EXPECT_THAT(error, HasSubstr("a series length the file does not hold"));
  EXPECT_FALSE(ParseRunFile(head + "I230=5\nend=0\n", run, error));
  EXPECT_THAT(error, HasSubstr("another motor"));
  EXPECT_FALSE(ParseRunFile(head + "motor=33\nend=0\n", run, error));
  EXPECT_FALSE(
      ParseRunFile(head + "series=a\nseries.period=1\nseries.samples=1\nx\nend=1\n", run, error));
  EXPECT_FALSE(ParseRunFile(head + "end=2\n", run, error));
  EXPECT_FALSE(ParseRunFile(head + "gather.period=0\nend=0\n", run, error));
  EXPECT_THAT(error, HasSubstr("gather period"));
  // LF line ends, unknown settings of the same layout, and NaN samples read.
  ASSERT_TRUE(ParseRunFile(head + "later.setting=1\nI100=1\nseries=a\nseries.period=0.5\n"
                                  "series.samples=2\nnan\n-inf\nend=1\n",
                           run, error))
      << error;
  EXPECT_TRUE(std::isnan(run.series[0].values[0]));
  EXPECT_EQ(run.series[0].values[1], -std::numeric_limits<double>::infinity());
  EXPECT_EQ(run.typeName, "Turbo PMAC2");
}

TEST(ReadMotorVariables, TakesTheHundredInOneExchangeAndFallsBackToOneByOne) {
  test::LinkFixture f;
  f.Connect();
  std::string range;
  for (int k = 0; k < 100; ++k) range += (k == 30 ? std::string("$7D0") : std::to_string(k)) + "\r";
  f.state->replies = {range + "\x06"};
  auto values = ReadMotorVariables(f.link, 2);
  EXPECT_EQ(f.state->Commands(), std::vector<std::string>{"I200..299"});
  EXPECT_EQ(values[30], 2000.0);
  EXPECT_EQ(values[99], 99.0);

  // A controller that refuses the range is asked variable by variable; what it does not answer
  // stays unknown.
  f.state->commands.clear();
  f.state->responder = [](const std::string& command) -> std::string {
    if (command == "I230") return "1500\r\x06";
    return "\x07ERR003\r";
  };
  values = ReadMotorVariables(f.link, 2);
  EXPECT_EQ(f.state->Commands().size(), 101u);
  EXPECT_EQ(values[30], 1500.0);
  EXPECT_EQ(values[31], std::nullopt);
}

TEST(CompareRuns, NamesEachDifferingVariableAndTheMoveChanges) {
  TuningRun a = SampleRun(kTime, 2000);
  TuningRun b = SampleRun(kTime + 1000, 1000);
  b.parameters.velocity = 20;
  b.variables[31].reset();
  b.variables[64] = 5;
  a.variables[64] = 5;
  Terminal terminal;
  DefinitionTable names;
  names.DefineLine("#define Stiffness3 I330", 0, terminal);

  const auto diff = CompareRuns(a, b, &names);
  ASSERT_EQ(diff.size(), 3u);
  EXPECT_EQ(diff[0].parameter, "Move velocity");
  EXPECT_EQ(diff[0].first, "12.5");
  EXPECT_EQ(diff[0].second, "20");
  EXPECT_EQ(diff[1].parameter, "Ix30");
  EXPECT_EQ(diff[1].description, "Stiffness3");  // the user's name before the page's label
  EXPECT_EQ(diff[1].first, "2000");
  EXPECT_EQ(diff[1].second, "1000");
  EXPECT_EQ(diff[2].parameter, "Ix31");
  EXPECT_EQ(diff[2].description, "Derivative Gain");
  EXPECT_EQ(diff[2].second, "---");

  b.kind = TestMoveKind::kStep;
  const auto moves = CompareRuns(a, b);
  EXPECT_EQ(moves[0].parameter, "Move");
  EXPECT_EQ(moves[0].second, "step");
}

TEST(OverlayRuns, ActualPositionsAreAlignedAtTheMoveStartFromTheirStartingPlace) {
  TuningRun early = SampleRun(kTime, 2000);
  early.series[0].values = {10, 20, 20, 20};  // moves at sample 1
  early.series[1].values = {10, 11, 15, 19};
  TuningRun late = SampleRun(kTime + 1000, 1000);
  late.series[0].values = {-5, -5, -5, 5, 5};  // moves at sample 3
  late.series[1].values = {-5, -5, -5, -4, 3};
  series::SeriesTable table;
  graph::GraphView view;
  view.metricsCommanded = 1;
  view.metricsActual = 2;
  view.settings.slots[2] = {.series = 3, .axis = 1, .color = 7};

  const std::vector<TuningRun> runs = {early, late};
  ASSERT_EQ(OverlayRuns(runs, table, view), 2);
  EXPECT_EQ(table[1].values, (std::vector<double>{0, 1, 5, 9}));
  EXPECT_EQ(table[2].values, (std::vector<double>{0, 1, 8}));
  EXPECT_THAT(table[1].title, HasSubstr("Ix30=2000"));
  table.ProcessAll();  // the values survive being rebuilt from their words
  EXPECT_THAT(table[2].values, ::testing::Pointwise(::testing::DoubleNear(1e-9), {0.0, 1.0, 8.0}));
  EXPECT_EQ(view.settings.slots[0].series, 1);
  EXPECT_EQ(view.settings.slots[1].series, 2);
  EXPECT_EQ(view.settings.slots[2].series, 0);
  EXPECT_EQ(view.settings.slots[2].axis, 0);
  EXPECT_EQ(view.settings.slots[2].color, 7);  // the user's look stays
  EXPECT_EQ(view.metricsCommanded, 0);
}

TEST_F(TuningHistoryTest, TheDialogComparesTwoRunsOverlaysChosenOnesAndDeletesAfterAsking) {
  std::string error;
  for (int k = 0; k < 5; ++k) {
    TuningRun run = SampleRun(kTime + k * 1000, 1000 + k);
    ASSERT_TRUE(history.Save(run, error));
  }
  platform::FakeDesktop desktop;
  std::vector<double> overlaid;
  TuningHistoryPresenter presenter(history, 5, 3, desktop, nullptr,
                                   [&overlaid](std::span<const TuningRun> runs) {
                                     for (const TuningRun& r : runs)
                                       overlaid.push_back(*r.variables[30]);
                                   });
  ASSERT_EQ(presenter.Rows().size(), 5u);
  EXPECT_EQ(presenter.Rows()[0],
            (std::vector<std::string>{"2026-12-07 05:02:42",
                                      "trapezoid 4000 cts at 12.50 cts/ms, 0.10 cts/ms^2, dwell "
                                      "1000 ms",
                                      "1004", "1280", "---", "---", "3.2 %", "---"}));

  presenter.Compare({0});
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "Select two runs to compare.");
  presenter.Compare({0, 4});
  ASSERT_EQ(presenter.Differences().size(), 1u);
  EXPECT_EQ(presenter.Differences()[0].first, "1000");  // the older run first
  EXPECT_EQ(presenter.ComparedRuns(), "2026-12-07 05:02:38 against 2026-12-07 05:02:42");

  presenter.Overlay({0, 1, 2, 3, 4});
  EXPECT_EQ(desktop.messages.back().text, "The graph overlays at most 4 runs at once.");
  presenter.Overlay({1, 3});
  EXPECT_EQ(overlaid, (std::vector<double>{1003, 1001}));

  desktop.messageAnswers = {platform::MessageAnswer::No};
  presenter.Delete({0, 1});
  EXPECT_EQ(presenter.Rows().size(), 5u);
  desktop.messageAnswers = {platform::MessageAnswer::Yes};
  presenter.Delete({0, 1});
  EXPECT_EQ(desktop.messages.back().text, "Delete the 2 selected runs?");
  ASSERT_EQ(presenter.Rows().size(), 3u);
  EXPECT_EQ(presenter.Rows()[0][2], "1002");
  EXPECT_TRUE(presenter.Differences().empty());
}

}  // namespace
}  // namespace bl::tuning
