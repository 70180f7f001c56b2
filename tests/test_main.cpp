// The main of every test program: settings and data the code under test keeps between runs go
// to a folder of this process under the build tree's test-config folder, never into the user's
// own configuration. ctest runs test cases side by side, each in its own process, so a folder
// per process keeps one case from reading what another is writing; it is removed at the end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  const std::filesystem::path folder =
      std::filesystem::path(BL_TEST_CONFIG_DIR) / ("run-" + std::to_string(::getpid()));
  ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
  testing::InitGoogleMock(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return result;
}
