#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "link/builtin_download.h"
#include "link/transports/virtual_transport.h"
#include "sim/controller.h"

namespace bl {
namespace {

class BuiltinDownloadTest : public ::testing::Test {
 protected:
  BuiltinDownloadTest() {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "lib");
    std::string error;
    transport.Open(error);
  }
  ~BuiltinDownloadTest() override { std::filesystem::remove_all(folder); }

  void Write(const std::string& name, const std::string& text) {
    std::ofstream(folder / name, std::ios::binary) << text;
  }
  DownloadOutcome Download(const std::string& name) {
    return DownloadProgram(
        transport, (folder / name).string(),
        [this](std::string_view m) { messages.emplace_back(m); },
        [this](int p) { progress.push_back(p); }, abort);
  }
  double P(int n) {
    const std::string reply = transport.GetResponse("P" + std::to_string(n));
    return std::stod(reply);
  }

  std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                 ("bl_download_test." + std::to_string(::getpid()));
  VirtualTransport transport{5};
  std::vector<std::string> messages;
  std::vector<int> progress;
  std::atomic<bool> abort{false};
};

TEST_F(BuiltinDownloadTest, PreparesDefinitionsIncludesAndComments) {
  Write("lib/names.pmc", "#define Gain P11\r\n#define Other P12 ; comment\r\n");
  Write("main.pmc",
        "; a program\r\n"
        "#include \"lib\\names.pmc\"\r\n"
        "#define Speed P10\r\n"
        "Speed=25 /* the speed */ Gain=3\r\n"
        "/* a block\r\n"
        "   comment */ Other=7\r\n"
        "CMD\"Speed\"\r\n");
  const PreparedDownload prepared = PrepareDownload((folder / "main.pmc").string());
  ASSERT_TRUE(prepared.opened);
  ASSERT_EQ(prepared.lines.size(), 3u);
  EXPECT_EQ(prepared.lines[0].text, "P10=25 P11=3");
  EXPECT_EQ(prepared.lines[0].lineNumber, 4);
  EXPECT_EQ(prepared.lines[1].text, "P12=7");
  EXPECT_EQ(prepared.lines[2].text, "CMD\"Speed\"");
  EXPECT_TRUE(prepared.problems.empty());
}

TEST_F(BuiltinDownloadTest, SendsLinesReportsErrorsAndProgress) {
  Write("main.pmc", "P1=1\nP2=2\nNONSENSE\nP3=3\n");
  const DownloadOutcome outcome = Download("main.pmc");
  EXPECT_EQ(outcome.linesSent, 4);
  EXPECT_EQ(outcome.errors, 1);
  EXPECT_DOUBLE_EQ(P(1), 1);
  EXPECT_DOUBLE_EQ(P(3), 3);
  EXPECT_EQ(progress, (std::vector<int>{0, 25, 50, 75, 100}));
  ASSERT_GE(messages.size(), 3u);
  EXPECT_EQ(messages[0], "Downloading main.pmc");
  EXPECT_EQ(messages[1], "main.pmc line 3: ERR003");
  EXPECT_EQ(messages.back(), "Download finished: 4 lines, 1 errors.");
  for (const std::string& m : messages) EXPECT_LT(m.size(), 100u);
}

TEST_F(BuiltinDownloadTest, MissingFilesLoopsAndAbort) {
  Write("loop.pmc", "#include \"loop.pmc\"\nP5=5\n#include missing.pmc\n");
  const PreparedDownload prepared = PrepareDownload((folder / "loop.pmc").string());
  EXPECT_EQ(prepared.lines.size(), 1u);
  EXPECT_EQ(prepared.problems, (std::vector<std::string>{"#include loop at loop.pmc: skipped.",
                                                         "Cannot open file missing.pmc."}));
  EXPECT_FALSE(PrepareDownload((folder / "none.pmc").string()).opened);

  Write("long.pmc", "P1=1\nP2=2\nP3=3\n");
  abort = true;
  const DownloadOutcome outcome = Download("long.pmc");
  EXPECT_TRUE(outcome.aborted);
  EXPECT_EQ(outcome.linesSent, 0);
  EXPECT_EQ(messages.back(), "Download aborted.");
}

}  // namespace
}  // namespace bl
