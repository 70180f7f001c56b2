#include "cli/cli.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "integration/sim_process.h"
#include "sim/controller.h"
#include "sim/ethernet_server.h"

namespace bl::cli {
namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

Result Cli(std::vector<std::string> args) {
  std::ostringstream out, err;
  Result r;
  r.status = RunCli(args, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("bl-cli-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string File(const std::string& name, const std::string& text) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }
  fs::path folder_;
};

TEST_F(CliTest, HelpAndUsageErrors) {
  const Result help = Cli({"--help"});
  EXPECT_EQ(help.status, kExitOk);
  EXPECT_NE(help.out.find("upload prog|plc N [--names FILE]"), std::string::npos);
  for (const auto& args :
       std::vector<std::vector<std::string>>{{},
                                             {"--virtual", "9", "command", "P1"},
                                             {"--host", "x:99999", "command", "P1"},
                                             {"--virtual", "5", "command"},
                                             {"--virtual", "5", "upload", "plc", "32"},
                                             {"--virtual", "5", "upload", "prog"},
                                             {"--virtual", "5", "frobnicate"},
                                             {"--device"}}) {
    const Result r = Cli(args);
    EXPECT_EQ(r.status, kExitUsage) << (args.empty() ? "" : args.back());
    EXPECT_NE(r.err.find("--help"), std::string::npos);
  }
}

TEST_F(CliTest, CommandsRunInOrderOnOneConnectionAndAnErrorEndsTheRun) {
  const Result r = Cli({"--virtual", "2", "command", "P1=5 P1 TYPE", "command", "#define speed P1",
                        "command", "speed", "command", "FOO", "command", "P1"});
  EXPECT_EQ(r.status, kExitFailed);
  EXPECT_EQ(r.out, "5\nPMAC2, X1\n5\n");
  EXPECT_NE(r.err.find("FOO: ERR003"), std::string::npos);
}

TEST_F(CliTest, NoControllerThereIsANoConnectionStatus) {
  // A port nobody listens on.
  const Result r = Cli({"--host", "127.0.0.1:1", "--timeout", "500", "command", "P1"});
  EXPECT_EQ(r.status, kExitNoConnection);
  EXPECT_NE(r.err.find("Error connecting to PMAC!"), std::string::npos);
}

TEST_F(CliTest, DownloadReportsEachErrorWithItsFileAndLine) {
  const std::string defs = File("defs.pmc", "#define count P7\r\n");
  const std::string main =
      File("main.pmc", "#include \"defs.pmc\"\r\ncount=3 ; comment\r\nFOO\r\nP8=count\r\n");
  Result r = Cli({"--virtual", "5", "download", main, "command", "P7 P8"});
  EXPECT_EQ(r.status, kExitFailed);
  EXPECT_NE(r.err.find("main.pmc line 3: ERR003"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("progress: 100%"), std::string::npos);
  EXPECT_EQ(r.out, "");

  const std::string good = File("good.pmc", "#include \"defs.pmc\"\ncount=3\nP8=6\n");
  r = Cli({"--virtual", "5", "download", good, "command", "P7 P8"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "3\n6\n");
  EXPECT_EQ(Cli({"--virtual", "5", "download", (folder_ / "missing.pmc").string()}).status,
            kExitFailed);
}

TEST_F(CliTest, BackupWritesTheChosenSectionsAndRestoreDownloadsThem) {
  const std::string file = (folder_ / "backup.pmc").string();
  Result r = Cli({"--virtual", "2", "command", "P1=7 OPEN PROG 4 CLEAR X10 CLOSE", "backup", file,
                  "--sections", "p,prog"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.err.find("backup: Backing up P-Variables\nbackup: Backing up Motion Programs\n"
                       "backup: Closing Backup File\n"),
            std::string::npos)
      << r.err;
  std::ifstream in(file, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(text.rfind("P0=0\r\nP1=7\r\n", 0), 0u);
  EXPECT_NE(text.find("OPEN PROG 4\r\nCLEAR\r\nX10\r\n"), std::string::npos);
  EXPECT_EQ(text.find("Q0="), std::string::npos);

  // Into a fresh controller of the same type.
  r = Cli({"--virtual", "2", "restore", file, "command", "P1 LIST PROG 4"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "7\nX10\nRETURN\n");

  // A file that cannot be written: the older one stays; a restore with errors fails.
  EXPECT_EQ(Cli({"--virtual", "2", "backup", (folder_ / "no" / "b.pmc").string()}).status,
            kExitFailed);
  EXPECT_EQ(Cli({"--virtual", "2", "restore", File("bad.pmc", "FOO\r\n")}).status, kExitFailed);
  EXPECT_EQ(Cli({"--virtual", "2", "backup", file, "--sections", "p,x"}).status, kExitUsage);
  EXPECT_EQ(Cli({"--virtual", "2", "backup"}).status, kExitUsage);
  EXPECT_EQ(Cli({"--virtual", "2", "restore"}).status, kExitUsage);
  r = Cli({"--host", "127.0.0.1:1", "--timeout", "500", "backup", file});
  EXPECT_EQ(r.status, kExitNoConnection);
  std::ifstream again(file, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), {}), text);
}

TEST_F(CliTest, DiffComparesBackupFilesAndTheControllerLineByLine) {
  const std::string file = (folder_ / "before.pmc").string();
  const std::string names = File("names.pmc", "#define Speed P1\r\n");
  Result r = Cli({"--virtual", "2", "command", "P1=7", "backup", file, "command", "P1=8 I130=3000",
                  "diff", file, "controller", "--names", names});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.out.rfind("P1: 7 -> 8 (Speed)\nI130: ", 0), 0u) << r.out;
  EXPECT_TRUE(r.out.ends_with(" -> 3000\n")) << r.out;
  EXPECT_NE(r.err.find("diff: reading the controller: Backing up P-Variables\n"),
            std::string::npos);
  EXPECT_NE(r.err.find("diff: 2 differences (2 changed, 0 only in A, 0 only in B)\n"),
            std::string::npos)
      << r.err;

  // Two files need no controller: none is there to answer.
  r = Cli({"--host", "127.0.0.1:1", "--timeout", "500", "diff", file, file});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "diff: no differences\n");

  const std::string damaged = File("damaged.pmc", "P1=1\r\nOPEN PROG 1\r\nX1\r\n");
  r = Cli({"diff", file, damaged});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(damaged + ":2: OPEN without a CLOSE after it"), std::string::npos) << r.err;
  EXPECT_EQ(Cli({"diff", file, (folder_ / "missing.pmc").string()}).status, 2);
  EXPECT_EQ(Cli({"diff", file}).status, kExitUsage);
}

TEST_F(CliTest, TalksToASimulatorOverEthernet) {
  sim::Controller controller(4);
  sim::EthernetServer server(controller);
  std::string error;
  ASSERT_TRUE(server.Start(0, error)) << error;
  const std::string host = "127.0.0.1:" + std::to_string(server.Port());
  const Result r = Cli({"--host", host, "command", "TYPE"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out.rfind("TURBO1", 0), 0u) << r.out;
}

// The CSV's columns as numbers; the header row apart.
struct Csv {
  std::string header;
  std::vector<std::vector<double>> rows;
};
Csv ReadCsv(const std::string& text) {
  Csv csv;
  std::istringstream in(text);
  std::getline(in, csv.header);
  for (std::string line; std::getline(in, line);) {
    std::vector<double> row;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, ',');) row.push_back(std::stod(cell));
    csv.rows.push_back(row);
  }
  return csv;
}

// A jog of motor 1 gathered, uploaded and written as CSV: the commanded position reaches the
// target in counts, the actual one follows behind it, the servo output drives it.
void ExpectJogGathered(const Result& r) {
  ASSERT_EQ(r.status, kExitOk) << r.err;
  const Csv csv = ReadCsv(r.out);
  EXPECT_EQ(csv.header, "Time (s),Commanded,Actual,motor1.output");
  ASSERT_GT(csv.rows.size(), 500u) << r.err;
  double lag = 0, push = 0;
  for (const auto& row : csv.rows) {
    ASSERT_EQ(row.size(), 4u);
    lag = std::max(lag, row[1] - row[2]);
    push = std::max(push, row[3]);
  }
  EXPECT_NEAR(csv.rows.back()[1], 1000.0, 1e-6);
  EXPECT_NEAR(csv.rows.back()[2], 1000.0, 5.0);
  EXPECT_GT(lag, 0.05);
  EXPECT_LT(lag, 20.0);
  EXPECT_GT(push, 0.0);
  EXPECT_NEAR(csv.rows[1][0], 0.000442708, 1e-8) << "one sample per servo cycle";
}

// Arguments given as one line, split at blanks.
std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  return {std::istream_iterator<std::string>(in), {}};
}

const std::vector<std::string> kJogGather =
    Words("command #1J/ gather --period 1 --buffer 12000 --source motor1.commanded=Commanded "
          "--source motor1.actual=Actual --source motor1.output --run #1J^1000 --time 0.8");

TEST_F(CliTest, GathersAJogAsCsvOnTheVirtualControllerAndOverEthernet) {
  std::vector<std::string> args = {"--virtual", "5"};
  args.insert(args.end(), kJogGather.begin(), kJogGather.end());
  ExpectJogGathered(Cli(args));

  SimProcess sim(0, 5);
  ASSERT_GT(sim.Port(), 0);
  args = {"--host", "127.0.0.1:" + std::to_string(sim.Port())};
  args.insert(args.end(), kJogGather.begin(), kJogGather.end());
  ExpectJogGathered(Cli(args));
}

TEST_F(CliTest, GatherRefusesWhatItCannotDo) {
  const Result bad = Cli({"--virtual", "2", "gather", "--source", "motor9.actual"});
  EXPECT_EQ(bad.status, kExitUsage);
  EXPECT_NE(bad.err.find("N from 1 to 8"), std::string::npos) << bad.err;
  EXPECT_EQ(Cli({"--virtual", "5", "gather", "--wrap", "--source", "P1"}).status, kExitUsage);
  // A gather already running refuses a new definition: the run stops with the error.
  const Result busy = Cli({"--virtual", "5", "command", "I5050=1", "command", "DEF GAT", "command",
                           "GAT", "gather", "--source", "P1", "--time", "0.1"});
  EXPECT_EQ(busy.status, kExitFailed);
  EXPECT_NE(busy.err.find("DEF GAT"), std::string::npos) << busy.err;
}

// A step of motor 1 through the controller program: the commanded position steps by the size in
// counts and comes back, the actual position follows, the servo output drives it.
TEST_F(CliTest, TuneRunsAStepMoveAndWritesItsThreeSeries) {
  const std::string csvFile = (folder_ / "step.csv").string();
  const Result r = Cli({"--virtual", "5", "command", "#1J/", "tune", "step", "--motor", "1",
                        "--download", "--size", "300", "--dwell", "200", "--output", csvFile});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.err.find("Download finished"), std::string::npos) << r.err;
  std::ifstream in(csvFile, std::ios::binary);
  const Csv csv = ReadCsv(std::string(std::istreambuf_iterator<char>(in), {}));
  EXPECT_EQ(csv.header,
            "Time (s),Motor #1 Commanded Position (cts*Ix08),Motor #1 Actual Position "
            "(cts*Ix08),Motor #1 DAC Output (Bits)");
  ASSERT_GT(csv.rows.size(), 50u);
  double commanded = -1e9, actual = -1e9, output = 0;
  for (const auto& row : csv.rows) {
    ASSERT_EQ(row.size(), 4u);
    commanded = std::max(commanded, row[1] - csv.rows[0][1]);
    actual = std::max(actual, row[2] - csv.rows[0][2]);
    output = std::max(output, std::abs(row[3]));
  }
  EXPECT_NEAR(commanded, 300.0, 1e-6);
  EXPECT_NEAR(actual, 300.0, 30.0);
  EXPECT_GT(output, 50.0);
}

TEST_F(CliTest, TuneRefusesBadParametersAndReportsAMoveThatDidNotStart) {
  const Result small = Cli({"--virtual", "5", "tune", "trapezoid", "--motor", "1", "--size", "99",
                            "--velocity", "10", "--acceleration", "1"});
  EXPECT_EQ(small.status, kExitUsage);
  EXPECT_NE(small.err.find("This move is too small to reach the desired velocity."),
            std::string::npos)
      << small.err;
  EXPECT_EQ(Cli({"--virtual", "5", "tune", "step"}).status, kExitUsage);
  EXPECT_EQ(Cli({"--virtual", "5", "tune", "step", "--motor", "1", "--velocity", "3"}).status,
            kExitUsage);
  EXPECT_EQ(Cli({"--virtual", "2", "tune", "step", "--motor", "9"}).status, kExitUsage);

  // Without the program nobody answers the handshake.
  const Result unanswered = Cli({"--virtual", "5", "tune", "sweep", "--motor", "2"});
  EXPECT_EQ(unanswered.status, kExitFailed);
  EXPECT_NE(unanswered.err.find("Tuning Error: Error Starting Test Move!"), std::string::npos)
      << unanswered.err;
  EXPECT_TRUE(unanswered.out.empty());
}

}  // namespace
}  // namespace bl::cli
