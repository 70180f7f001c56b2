#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "link/builtin_download.h"
#include "link/transports/virtual_transport.h"
#include "sim/controller.h"

namespace bl {
namespace {

class BuiltinDownloadTest : public ::testing::Test {
 protected:
  BuiltinDownloadTest() {
    // A folder of each test's own: ctest runs the cases of this file side by side.
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = std::filesystem::temp_directory_path() /
             ("bl_download_" + std::string(test->name()) + "_" + std::to_string(::getpid()));
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
        [this](std::string_view line) { return transport.GetResponse(line); },
        (folder / name).string(),
        [this](std::string_view m) { messages.emplace_back(m); },
        [this](int p) { progress.push_back(p); }, abort);
  }
  double P(int n) {
    const std::string reply = transport.GetResponse("P" + std::to_string(n));
    return std::stod(reply);
  }

  std::filesystem::path folder;
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

TEST_F(BuiltinDownloadTest, OnlyPlainFilesAreRead) {
  // A folder used to read as an empty file; a device or a pipe may never end.
  Write("main.pmc", "#include \"lib\"\n#include \"/dev/null\"\nP1=1\n");
  const PreparedDownload prepared = PrepareDownload((folder / "main.pmc").string());
  ASSERT_EQ(prepared.lines.size(), 1u);
  EXPECT_EQ(prepared.lines[0].text, "P1=1");
  EXPECT_EQ(prepared.problems,
            (std::vector<std::string>{"Cannot open file lib.", "Cannot open file null."}));

  const DownloadOutcome outcome = Download("lib");
  EXPECT_FALSE(outcome.opened);
  EXPECT_EQ(outcome.linesSent, 0);
}

TEST_F(BuiltinDownloadTest, ALineEndsAtItsFirstNul) {
  Write("lib/names.pmc", "P2=2\n");
  // The NUL would cut the #include name in the OS: the file opened was not the one named.
  const char main[] = "P1=1\0junk\r\n#include \"lib/names.pmc\0/\"\r\n";
  Write("main.pmc", std::string(main, sizeof main - 1));
  const PreparedDownload prepared = PrepareDownload((folder / "main.pmc").string());
  EXPECT_TRUE(prepared.problems.empty());
  ASSERT_EQ(prepared.lines.size(), 2u);
  EXPECT_EQ(prepared.lines[0].text, "P1=1");
  EXPECT_EQ(prepared.lines[1].text, "P2=2");
  EXPECT_EQ(prepared.lines[1].file, "names.pmc");
}

TEST_F(BuiltinDownloadTest, StopsWhenTheConnectionFails) {
  Write("main.pmc", "P1=1\nP2=2\nP3=3\n");
  std::vector<std::string> sent;
  const DownloadOutcome outcome = DownloadProgram(
      [&](std::string_view line) {
        sent.emplace_back(line);
        return sent.size() == 2 ? std::string(kLinkErrorReply) : std::string("\x06");
      },
      (folder / "main.pmc").string(), [this](std::string_view m) { messages.emplace_back(m); },
      nullptr, abort);
  EXPECT_TRUE(outcome.aborted);
  EXPECT_EQ(sent.size(), 2u);
  EXPECT_EQ(outcome.linesSent, 1);
  EXPECT_EQ(messages.back(),
            "main.pmc line 2: the connection to the controller failed; download stopped.");
}

}  // namespace
}  // namespace bl
