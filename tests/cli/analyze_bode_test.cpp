#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "cli/cli.h"
#include "platform/text_format.h"

namespace bl::cli {
namespace {

namespace fs = std::filesystem;

class AnalyzeBode : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("bl-bode-cli-" + std::to_string(::getpid()));
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
  // A run as "tune" writes it: the loop of a unit-feedback proportional law with gain k on an
  // integrating plant behind one cycle, y[n] = y[n-1] + k (r[n-1] - y[n-1]), every 1 ms.
  void WriteRun(const std::string& name, double k) {
    std::mt19937 random(8);
    std::normal_distribution<double> command(0.0, 100.0);
    std::string csv = "Time (s),Motor #3 Commanded Position (cts*Ix08),Motor #3 Actual\n";
    double r = 0, y = 0;
    for (int n = 0; n < 8192; ++n) {
      y += k * (r - y);
      r = command(random);
      csv += platform::Format("%.3f,%.17g,%.17g\n", n * 0.001, r, y);
    }
    std::ofstream(Path(name)) << csv;
  }
  fs::path folder_;
  std::string out, err;
};

TEST_F(AnalyzeBode, WritesTheResponseAndTheMarginsOfTheMotorInTheTitle) {
  WriteRun("run.csv", 0.2);
  // Ix30 gives kp = 0.2 with Ix08 = 96; the feedback and reference paths are both kp.
  const double ix30 = 0.2 * 524288 / (96 * 32);
  std::ofstream(Path("motor3.pmc"))
      << "I10=8388608\r\nI308=96\r\nI309=96\r\nI330=" + platform::Format("%.17g", ix30) + "\r\n";
  ASSERT_EQ(
      Run({"analyze", "bode", Path("run.csv"), "--ivars", Path("motor3.pmc"), "--segments", "4"}),
      kExitOk)
      << err;
  EXPECT_TRUE(out.starts_with("frequency,magnitude_db,phase_deg,coherence\n"));
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1 + 1024);  // segments of 2048
  // L = 0.2 z⁻¹/(1 − z⁻¹): phase margin 90° − ωc/2 with ωc = 2 asin(0.1).
  const double pm = 90 - std::asin(0.1) * 180 / std::acos(-1.0);
  const std::size_t at = err.find("Phase margin: ");
  ASSERT_NE(at, std::string::npos) << err;
  EXPECT_NEAR(std::stod(err.substr(at + 14)), pm, 0.5) << err;
  // The phase reaches -180° at the Nyquist frequency, where |L| = 0.2 / 2: a gain margin of 20 dB.
  EXPECT_NE(err.find("Phase crossover frequency: 500 Hz\nGain margin: 20.0 dB"), std::string::npos)
      << err;

  ASSERT_EQ(Run({"analyze", "bode", Path("run.csv"), "--ivars", Path("motor3.pmc"), "--open-loop"}),
            kExitOk);
  // The open loop at the lowest bin is large, near -90°.
  std::istringstream rows(out);
  std::string header, first;
  std::getline(rows, header);
  std::getline(rows, first);
  double f = 0, db = 0, phase = 0;
  ASSERT_EQ(std::sscanf(first.c_str(), "%lf,%lf,%lf", &f, &db, &phase), 3);
  EXPECT_GT(db, 20);
  EXPECT_NEAR(phase, -90, 3);

  // Without the I-variables only the closed loop's bandwidth.
  ASSERT_EQ(Run({"analyze", "bode", Path("run.csv")}), kExitOk);
  EXPECT_NE(err.find("Closed-loop bandwidth (-3 dB): "), std::string::npos);
  EXPECT_EQ(err.find("Phase margin"), std::string::npos);
}

TEST_F(AnalyzeBode, FailsWithAReason) {
  WriteRun("run.csv", 0.2);
  std::ofstream(Path("empty.pmc")) << "; nothing\n";
  EXPECT_EQ(Run({"analyze", "bode", Path("run.csv"), "--segments", "1"}), kExitUsage);
  EXPECT_EQ(Run({"analyze", "bode", Path("run.csv"), "--whatever"}), kExitUsage);
  EXPECT_EQ(Run({"analyze", "bode"}), kExitUsage);
  EXPECT_EQ(Run({"analyze", "bode", Path("missing.csv")}), kExitFailed);
  EXPECT_EQ(Run({"analyze", "bode", Path("run.csv"), "--open-loop"}), kExitFailed);
  EXPECT_EQ(Run({"analyze", "bode", Path("run.csv"), "--ivars", Path("empty.pmc")}), kExitFailed);
  EXPECT_NE(err.find("I308 is missing."), std::string::npos) << err;
  EXPECT_TRUE(out.empty());
  // Series 3 is empty: nothing to estimate.
  EXPECT_EQ(Run({"analyze", "bode", Path("run.csv"), "--actual", "3"}), kExitFailed);
  EXPECT_EQ(Run({"analyze", "bode", Path("run.csv"), "--help"}), kExitOk);
  EXPECT_NE(out.find("analyze bode RUN"), std::string::npos);
}

TEST_F(AnalyzeBode, ChirpWritesAProgramToDownload) {
  ASSERT_EQ(
      Run({"analyze", "chirp", "--amplitude", "50", "--low", "2", "--program", "997", "--gather"}),
      kExitOk)
      << err;
  EXPECT_TRUE(out.starts_with("OPEN PROG 997 CLEAR\r\n")) << out;
  EXPECT_TRUE(out.ends_with("CLOSE\r\n"));
  EXPECT_NE(out.find("CMD\"GAT\"\r\n"), std::string::npos);
  EXPECT_NE(out.find("P979=50*SIN(P978*P975)"), std::string::npos);
  EXPECT_EQ(Run({"analyze", "chirp", "--high", "500"}), kExitUsage);
  EXPECT_NE(err.find("at most 100 Hz"), std::string::npos);
  EXPECT_EQ(Run({"analyze", "chirp", "--low", "x"}), kExitUsage);
  EXPECT_EQ(Run({"analyze", "chirp", "--speed", "3"}), kExitUsage);
}

}  // namespace
}  // namespace bl::cli
