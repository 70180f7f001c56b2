#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace bl::platform {
namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("bl-files-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    fs::permissions(folder_, fs::perms::owner_all);
    fs::remove_all(folder_);
  }
  std::string Path(const char* name) const { return (folder_ / name).string(); }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path folder_;
};

TEST_F(FilesTest, AtomicWriteReplacesTheFileAndKeepsItsPermissions) {
  const std::string path = Path("a.pmc");
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(path, "old\r\n", error)) << error;
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(WriteFileAtomically(path, "new\r\n", error)) << error;
  EXPECT_EQ(Contents(path), "new\r\n");
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  // Nothing is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(FilesTest, WritersOfOneFileAtOnceEachWriteAWholeFile) {
  // Two copies of the program saving the same file: each save succeeds, and the file is always
  // one of them whole, never a mixture.
  const std::string path = Path("shared.pmc");
  const std::string texts[] = {std::string(200000, 'a'), std::string(150000, 'b')};
  std::atomic<int> failures{0};
  auto writer = [&](const std::string& text) {
    std::string error;
    for (int i = 0; i < 50; ++i)
      if (!WriteFileAtomically(path, text, error)) ++failures;
  };
  std::thread first(writer, texts[0]), second(writer, texts[1]);
  first.join();
  second.join();
  EXPECT_EQ(failures, 0);
  const std::string result = Contents(path);
  EXPECT_TRUE(result == texts[0] || result == texts[1]);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(FilesTest, AFailedWriteLeavesTheOldFileWhole) {
  const std::string path = Path("keep.pmc");
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(path, "precious", error));
  if (::geteuid() != 0) {
    // No room for the copy beside it: the old file stays.
    fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(WriteFileAtomically(path, "lost?", error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
    fs::permissions(folder_, fs::perms::owner_all);
    EXPECT_EQ(Contents(path), "precious");
  }
  {
    // The disk fills up halfway through the copy: the write fails, nothing replaces the old file.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool written = WriteFileAtomically(path, "longer than four bytes", error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(path + ".new"));
  }
  EXPECT_FALSE(WriteFileAtomically(Path("no-such-folder/x.pmc"), "x", error));
  // What is not a plain file is never replaced by one.
  const std::string pipe = Path("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_FALSE(WriteFileAtomically(pipe, "x", error));
  EXPECT_TRUE(fs::is_fifo(pipe));
  EXPECT_FALSE(WriteFileAtomically(folder_.string(), "x", error));
  EXPECT_TRUE(fs::is_directory(folder_));
  EXPECT_EQ(Contents(path), "precious");
}

TEST_F(FilesTest, BoundedReadSaysWhetherMoreFollowedAndRefusesWhatIsNoPlainFile) {
  const std::string path = Path("r.txt");
  std::string error, bytes;
  bool tooLong = true;
  ASSERT_TRUE(WriteFileAtomically(path, "0123456789", error));
  ASSERT_TRUE(ReadFileBounded(path, 10, bytes, tooLong, error));
  EXPECT_EQ(bytes, "0123456789");
  EXPECT_FALSE(tooLong);
  ASSERT_TRUE(ReadFileBounded(path, 4, bytes, tooLong, error));
  EXPECT_EQ(bytes, "0123");
  EXPECT_TRUE(tooLong);

  EXPECT_FALSE(ReadFileBounded(folder_.string(), 10, bytes, tooLong, error));
  EXPECT_NE(error.find("not a plain file"), std::string::npos);
  EXPECT_FALSE(ReadFileBounded("/dev/zero", 10, bytes, tooLong, error));
  EXPECT_FALSE(ReadFileBounded(Path("missing"), 10, bytes, tooLong, error));
  EXPECT_TRUE(bytes.empty());
}

TEST(ConfigFolder, FollowsXdgConfigHome) {
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  ::setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  EXPECT_EQ(ConfigFolder(), "/tmp/cfg/brightlantern");
  if (old)
    ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else
    ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace bl::platform
