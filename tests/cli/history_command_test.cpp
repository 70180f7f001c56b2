#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
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
using ::testing::StartsWith;

// The tuning history of these tests is a folder of their own: XDG_DATA_HOME points there while
// each runs.
class HistoryCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("bl-history-cli-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    if (const char* old = std::getenv("XDG_DATA_HOME")) saved_ = old;
    ::setenv("XDG_DATA_HOME", folder_.c_str(), 1);
  }
  void TearDown() override {
    ::setenv("XDG_DATA_HOME", saved_.c_str(), 1);
    fs::remove_all(folder_);
  }
  int Run(std::vector<std::string> args) {
    std::ostringstream outStream, errStream;
    const int status = RunCli(args, outStream, errStream);
    out = outStream.str();
    err = errStream.str();
    return status;
  }
  // The run names history list prints, newest first.
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    std::istringstream lines(out);
    std::string line;
    std::getline(lines, line);  // the header
    while (std::getline(lines, line)) names.push_back(line.substr(0, line.find(',')));
    return names;
  }

  fs::path folder_;
  std::string saved_;
  std::string out, err;
};

TEST_F(HistoryCommand, TwoTunedStepsAreListedComparedShownAndExported) {
  ASSERT_EQ(Run({"--virtual", "5", "command", "#1J/", "tune", "step", "--motor", "1", "--download",
                 "--size", "300", "--dwell", "200", "--output", (folder_ / "a.csv").string()}),
            kExitOk)
      << err;
  EXPECT_THAT(err, HasSubstr("kept in the tuning history as TURBO2/motor1/"));
  ASSERT_EQ(Run({"--virtual", "5", "command", "#1J/", "command", "I130=1000", "tune", "step",
                 "--motor", "1", "--download", "--size", "300", "--dwell", "200", "--output",
                 (folder_ / "b.csv").string()}),
            kExitOk)
      << err;

  ASSERT_EQ(Run({"history", "list", "--motor", "1"}), kExitOk) << err;
  EXPECT_THAT(out, StartsWith("run,time,controller,motor,move,Ix30,Ix31,Ix32,Ix33,"));
  const std::vector<std::string> names = Names();
  ASSERT_EQ(names.size(), 2u) << out;
  EXPECT_THAT(out, HasSubstr(",Turbo PMAC2,1,\"step 300 cts, dwell 200 ms\",1000,"));
  ASSERT_EQ(Run({"history", "list", "--motor", "2"}), kExitOk);
  EXPECT_TRUE(Names().empty());

  ASSERT_EQ(Run({"history", "diff", names[1], names[0]}), kExitOk) << err;
  EXPECT_THAT(out, HasSubstr("\nIx30,Proportional Gain,2000,1000\n"));

  ASSERT_EQ(Run({"history", "show", names[0]}), kExitOk) << err;
  EXPECT_THAT(out, HasSubstr("move: step 300 cts, dwell 200 ms\n"));
  EXPECT_THAT(out, HasSubstr("  I130 = 1000\n"));
  EXPECT_THAT(out, HasSubstr("  Overshoot: "));

  const std::string csv = (folder_ / "run.csv").string();
  ASSERT_EQ(Run({"history", "export", names[0], csv}), kExitOk) << err;
  std::ifstream in(csv);
  std::string header;
  std::getline(in, header);
  EXPECT_EQ(header,
            "Time (s),Motor #1 Commanded Position (cts*Ix08),Motor #1 Actual Position "
            "(cts*Ix08),Motor #1 DAC Output (Bits)");
}

TEST_F(HistoryCommand, DamagedRunsAreNamedAndMissingOnesFail) {
  tuning::TuningHistory history(tuning::DefaultHistoryFolder());
  tuning::TuningRun run;
  run.timeMs = 1796619758123;
  run.typeCode = 2;
  run.typeName = "PMAC2";
  run.series = {{"Commanded", 0.001, {0, 1}}, {"Actual", 0.001, {0, 0.5}}};
  std::string error;
  ASSERT_TRUE(history.Save(run, error)) << error;
  std::ofstream(history.MotorFolder(2, 1) + "/20200101-000000-000.blrun") << "garbage";

  ASSERT_EQ(Run({"history", "list"}), kExitOk);
  EXPECT_EQ(Names(), std::vector<std::string>{"PMAC2/motor1/20261207-050238-123"});
  EXPECT_THAT(err, HasSubstr("20200101-000000-000.blrun: this is not a tuning run file"));

  EXPECT_EQ(Run({"history", "show", "PMAC2/motor1/20200101-000000-000"}), kExitFailed);
  EXPECT_THAT(err, HasSubstr("this is not a tuning run file"));
  EXPECT_EQ(Run({"history", "show", "PMAC2/motor1/../../x"}), kExitFailed);
  EXPECT_EQ(Run({"history", "diff", "PMAC2/motor1/20261207-050238-123"}), kExitUsage);
  EXPECT_EQ(Run({"history", "frobnicate"}), kExitUsage);
  EXPECT_EQ(Run({"history", "list", "--motor", "33"}), kExitUsage);
  // A run file named by its path is read too.
  EXPECT_EQ(Run({"history", "show", history.RunPath(2, 1, "20261207-050238-123")}), kExitOk);
  EXPECT_THAT(out, HasSubstr("controller: PMAC2\n"));

  ASSERT_EQ(Run({"history", "--help"}), kExitOk);
  EXPECT_THAT(out, HasSubstr("history export RUN OUT.csv"));
  ASSERT_EQ(Run({"--help"}), kExitOk);
  EXPECT_THAT(out, HasSubstr("history diff RUN1 RUN2"));
}

}  // namespace
}  // namespace bl::cli
