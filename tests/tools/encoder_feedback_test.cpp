// An entry of the encoder conversion table, edited in the editor and written back, changes what
// a motor's position reads: the virtual controller's servo takes its feedback from the table.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "integration/fake_clock_program.h"
#include "platform/text_format.h"
#include "tools/encoder_table_presenter.h"

namespace bl::tools {
namespace {

using namespace std::chrono_literals;

class EncoderFeedbackTest : public ::testing::TestWithParam<int>, protected test::FakeClockProgram {
 protected:
  void SetUp() override {
    DeviceConfig config;
    config.kind = DeviceConfig::Kind::Virtual;
    config.virtualType = GetParam();
    UseDevice(1, config);
    ASSERT_EQ(workbench.link.LinkConnect(), 0);
  }
  double Position(int motor) {
    double counts = 0;
    std::sscanf(Ask(platform::Format("#%dP", motor)).c_str(), "%lf", &counts);
    return counts;
  }
  // Motor 2 jogs 1000 counts further.
  void JogMotor2() {
    Ask("#2J^1000");
    clock.Advance(1500ms);
  }
};

TEST_P(EncoderFeedbackTest, PointingMotor1sEntryAtMotor2sEncoderMakesItReadMotor2sMoves) {
  const bool turbo = GetParam() >= 4;
  // Motor 1 open loop, so that its position is only what its feedback reads.
  Ask("#1K #2J/");
  clock.Advance(100ms);
  const double start = Position(1);
  JogMotor2();
  EXPECT_NEAR(Position(1), start, 1.0) << "its own encoder does not move";

  EncoderTablePresenter editor(workbench.link, desktop, GetParam());
  editor.Open();
  ASSERT_TRUE(editor.Writable());
  editor.SelectLine(0);  // motor 1's entry
  const char* motor2Encoder = turbo ? "$078008" : "$C008";
  editor.EditField(kEctFirstField, motor2Encoder);
  ASSERT_EQ(editor.Accept(), 0);
  clock.Advance(100ms);
  const double switched = Position(1);
  const double motor2 = Position(2);
  JogMotor2();
  EXPECT_NEAR(Position(2) - motor2, 1000.0, 2.0);
  EXPECT_NEAR(Position(1) - switched, 1000.0, 2.0) << "motor 1 now reads motor 2's encoder";
}

INSTANTIATE_TEST_SUITE_P(Types, EncoderFeedbackTest, testing::Values(2, 5));

}  // namespace
}  // namespace bl::tools
