// The main of every test program: settings and data the code under test keeps between runs go
// to the build tree's test-config folder, never into the user's own configuration.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  ::setenv("XDG_CONFIG_HOME", BL_TEST_CONFIG_DIR, 1);
  ::setenv("XDG_DATA_HOME", BL_TEST_CONFIG_DIR "/data", 1);
  testing::InitGoogleMock(&argc, argv);
  return RUN_ALL_TESTS();
}
