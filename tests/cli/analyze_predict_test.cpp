// "analyze predict" as a script uses it: a step tuned on the virtual controller, every servo
// cycle, then other gains predicted from its run file; unstable gains and runs that cannot
// identify a plant are refused with the reason.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "tuning/tuning_history.h"

namespace bl::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class AnalyzePredict : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("bl-predict-cli-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  int Run(std::vector<std::string> args) {
    std::ostringstream outStream, errStream;
    const int status = RunCli(args, outStream, errStream);
    out = outStream.str();
    err = errStream.str();
    return status;
  }
  // The run file of the newest run in the history.
  std::string NewestRun() {
    const tuning::TuningHistory history(tuning::DefaultHistoryFolder());
    const auto listing = history.ListAll();
    if (listing.runs.empty()) return {};
    const tuning::TuningRun& run = listing.runs.front();
    return history.RunPath(run.typeCode, run.motor, run.id);
  }
  std::size_t Lines() const { return static_cast<std::size_t>(std::count(out.begin(), out.end(), '\n')); }

  fs::path folder_;
  std::string out, err;
};

TEST_F(AnalyzePredict, PredictsOtherGainsFromATunedRunAndRefusesWhatItCannot) {
  ASSERT_EQ(Run({"--virtual", "5", "command", "#1J/", "tune", "step", "--motor", "1", "--download",
                 "--size", "400", "--dwell", "200", "--period", "1", "--output", Path("run.csv")}),
            kExitOk)
      << err;
  const std::string run = NewestRun();
  ASSERT_FALSE(run.empty());

  ASSERT_EQ(Run({"analyze", "predict", "--from", run, "--set", "I130=1000,I131=1500", "--move",
                 "step:400,200"}),
            kExitOk)
      << err;
  EXPECT_THAT(err, HasSubstr("Model: rigid load"));
  EXPECT_THAT(err, HasSubstr("Inertia: 666."));
  EXPECT_THAT(err, HasSubstr("Phase margin: "));
  EXPECT_THAT(err, HasSubstr("overshoot: "));
  EXPECT_EQ(out.substr(0, out.find('\n')), "time_s,commanded,actual,output");
  // 50 ms at rest and 2 x 200 ms at the virtual controller's 2.26 kHz servo rate.
  EXPECT_NEAR(static_cast<double>(Lines() - 1), 0.450 * 2259.0, 2.0);

  // Without --move, the run's own move; with --suggest, settings for the margins.
  ASSERT_EQ(Run({"analyze", "predict", "--from", run, "--suggest"}), kExitOk) << err;
  EXPECT_THAT(err, HasSubstr("suggested: I130="));

  // A derivative gain twenty times too high makes no CSV.
  EXPECT_EQ(Run({"analyze", "predict", "--from", run, "--set", "I131=25600"}), kExitFailed);
  EXPECT_THAT(err, HasSubstr("Unstable"));
  EXPECT_TRUE(out.empty());

  // The CSV alone holds no gains.
  EXPECT_EQ(Run({"analyze", "predict", "--from", Path("run.csv")}), kExitFailed);
  EXPECT_THAT(err, HasSubstr("give them with --ivars"));
  std::ofstream(Path("ivars.pmc")) << "I108=96 I109=96\r\nI130=2000 I131=1280 I132=1280\r\n";
  EXPECT_EQ(Run({"analyze", "predict", "--from", Path("run.csv"), "--ivars", Path("ivars.pmc")}),
            kExitOk)
      << err;

  // A run gathered every tenth cycle.
  ASSERT_EQ(Run({"--virtual", "5", "command", "#1J/", "tune", "step", "--motor", "1", "--download",
                 "--period", "10", "--output", Path("slow.csv")}),
            kExitOk)
      << err;
  EXPECT_EQ(Run({"analyze", "predict", "--from", NewestRun()}), kExitFailed);
  EXPECT_THAT(err, HasSubstr("gathered every 10 servo cycles"));

  EXPECT_EQ(Run({"analyze", "predict", "--from", Path("run.csv"), "--output", "4"}), kExitFailed);
  EXPECT_THAT(err, HasSubstr("no servo output in series 4"));
  EXPECT_EQ(Run({"analyze", "predict", "--from", run, "--move", "ramp:1,2"}), kExitFailed);
  EXPECT_THAT(err, HasSubstr("a move is step:SIZE,DWELL"));
  EXPECT_EQ(Run({"analyze", "predict", "--set", "I130=1"}), kExitUsage);
  EXPECT_EQ(Run({"analyze", "predict", "--from", run, "--phase-margin", "120"}), kExitUsage);
}

}  // namespace
}  // namespace bl::cli
