// brightlantern-cli's list command on the virtual controller.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"

namespace bl::cli {
namespace {

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

Result Cli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  Result r;
  r.status = RunCli(args, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

TEST(ListCommandTest, PrintsTheReportsOfTheLoadedPrograms) {
  const Result r = Cli({"--virtual", "2", "command", "OPEN PROG 7 CLEAR X1000 CLOSE", "command",
                        "OPEN PLC 3 CLEAR P1=1 CLOSE", "list", "prog", "list", "plc"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out,
            "\nCurrent Motion Program Status\nNumber     Address  Length\n"
            "PROG    7   $01800       4\nFinished\n"
            "\nCurrent PLC Status\nNumber Address  Length Enabled\n"
            "PLC 3   $01804       4     Yes\nFinished\n");

  const Result axes =
      Cli({"--virtual", "5", "command", "&2 #3->1000X", "list", "axes", "--cs", "2"});
  ASSERT_EQ(axes.status, kExitOk) << axes.err;
  EXPECT_NE(axes.out.find("\nAxis Definitions for Coordinate System 2\n#1->0\n"),
            std::string::npos);
  EXPECT_NE(axes.out.find("\n#3->1000X\n"), std::string::npos);
  EXPECT_NE(axes.out.find("\n#16->0\nFinished\n"), std::string::npos);
  EXPECT_EQ(Cli({"--virtual", "4", "list", "plcc"}).status, kExitOk);
}

TEST(ListCommandTest, RefusesWhatItDoesNotKnowAndReportsNoController) {
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"--virtual", "2", "list"},
                                             {"--virtual", "2", "list", "motors"},
                                             {"--virtual", "2", "list", "axes", "--cs", "17"},
                                             {"--virtual", "2", "list", "axes", "--cs"},
                                             {"--virtual", "2", "list", "plc", "--cs", "1"}}) {
    const Result r = Cli(args);
    EXPECT_EQ(r.status, kExitUsage) << args.back();
    EXPECT_NE(r.err.find("--help"), std::string::npos);
  }
  EXPECT_NE(Cli({"--help"}).out.find("list plc|plcc|prog|axes [--cs N]"), std::string::npos);
  const Result absent = Cli({"--host", "127.0.0.1:1", "--timeout", "300", "list", "plc"});
  EXPECT_EQ(absent.status, kExitNoConnection);
  EXPECT_TRUE(absent.out.empty());
}

}  // namespace
}  // namespace bl::cli
