#include "cli/cli.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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
  for (const auto& args : std::vector<std::vector<std::string>>{
           {},
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
  const std::string main = File("main.pmc",
                                "#include \"defs.pmc\"\r\ncount=3 ; comment\r\nFOO\r\nP8=count\r\n");
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

}  // namespace
}  // namespace bl::cli
