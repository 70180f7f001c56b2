#include "tuning/motor_selection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/fake_vendor_library.h"

namespace bl::tuning {
namespace {

using ::testing::ElementsAre;

class MotorSelectionTest : public ::testing::Test, public test::LinkFixture {
 protected:
  void SetUp() override { Connect(); }
  int motorCount = 8;
  MotorSelection selection{link, terminal.addressedMotor, motorCount};
};

TEST_F(MotorSelectionTest, TheControllersAnswerDecidesTheMotorWithinTheClamp) {
  state->replies = {"3\r\x06"};
  EXPECT_EQ(selection.Refresh(8), 3);
  EXPECT_EQ(selection.SelectedIndex(), 2);
  // No number: the previous motor stays.
  state->replies = {"ERR003\r"};
  EXPECT_EQ(selection.Refresh(8), 3);
  // Motor 0 becomes 1.
  state->replies = {"0\r\x06"};
  EXPECT_EQ(selection.Refresh(8), 1);
  // Beyond the motor count: the last motor on the gain pages, kept (up to 32) on the others,
  // where the list then shows no selection.
  state->replies = {"12\r\x06", "12\r\x06", "40\r\x06"};
  EXPECT_EQ(selection.Refresh(motorCount), 8);
  EXPECT_EQ(selection.Refresh(32), 12);
  EXPECT_EQ(selection.SelectedIndex(), -1);
  EXPECT_EQ(selection.Refresh(32), 32);
  EXPECT_EQ(state->Commands(), std::vector<std::string>(6, "#"));
  EXPECT_EQ(selection.Entries().size(), 8u);
  EXPECT_EQ(selection.Entries().back(), "Motor 8");
}

TEST_F(MotorSelectionTest, ButtonsAndChoicesSendTheirCommandsWithEcho) {
  state->replies = {"2\r\x06"};
  selection.Refresh(8);
  selection.Select(4);
  selection.Enable();
  selection.Kill();
  selection.KillAll();
  selection.Select(99);  // clamped to the last motor
  EXPECT_THAT(state->Commands(), ElementsAre("#", "#5", "#2 J/", "#2 K", "\x0b", "#8"));
  EXPECT_EQ(Last(2)[0].first, "Command:  #8");
}

}  // namespace
}  // namespace bl::tuning
