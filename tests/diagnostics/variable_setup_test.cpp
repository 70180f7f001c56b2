// "Set PMAC Variables" against the virtual controller: rows read one per tick, values written
// in decimal and hexadecimal, M-variable addresses, and typed text checked before it is sent.
#include <gtest/gtest.h>

#include "controller/identify_controller.h"
#include "diagnostics/variable_setup.h"
#include "integration/fake_clock_program.h"

namespace bl::diagnostics {
namespace {

class VariableSetupTest : public ::testing::Test, protected test::FakeClockProgram {
 protected:
  void Connect() {
    ASSERT_EQ(workbench.link.LinkConnect(), 0);
    IdentifyController(workbench.controllerType, workbench.link, workbench.definitions,
                       workbench.terminal, {});
    desktop.messages.clear();
  }
  std::string Ask(const std::string& command) {
    std::string reply;
    workbench.link.PmacCommand(reply, 255, command, false);
    return reply;
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) setup.Tick();
  }

  VariableSetupMemory memory;
  VariableSetupPresenter setup{memory, workbench.link, workbench.definitions,
                               workbench.controllerType, desktop};
};

TEST(SetupValues, DecimalAndHexadecimalTexts) {
  EXPECT_EQ(SetupValueText(255, true), "$0000FF");
  EXPECT_EQ(SetupValueText(-1, true), "$FFFFFF");
  EXPECT_EQ(SetupValueText(1.5, true), "1.500000");
  EXPECT_EQ(SetupValueText(255, false), "255.000000");
  EXPECT_EQ(ParseSetupValue("$10"), 16);
  EXPECT_EQ(ParseSetupValue(" -2.5e1 "), -25);
  EXPECT_EQ(ParseSetupValue("$ffffffff"), 4294967295.0);
  for (const char* bad :
       {"", "$", "$1FFFFFFFF", "$-1", "12abc", "abc", "nan", "inf", "0x10", "1 2", "P1=2"})
    EXPECT_FALSE(ParseSetupValue(bad)) << bad;
  EXPECT_TRUE(ValidAddressText("X:$0,24"));
  EXPECT_TRUE(ValidAddressText("X:$C000,8,16,S"));
  EXPECT_TRUE(ValidAddressText("*"));
  const std::string tooLong(50, 'X');
  for (const std::string& bad : {std::string(), std::string("X:$0 P1=5"),
                                 std::string("X:$0\rP1=5"), std::string("Y:$1;"), tooLong})
    EXPECT_FALSE(ValidAddressText(bad)) << bad;
}

TEST_F(VariableSetupTest, RowsAreReadOnePerTickAndWrittenAtOnce) {
  Connect();
  Ask("P100=12.5 P101=255");
  workbench.definitions.DefineLine("#define Speed P101", 0, workbench.terminal);
  memory.top = 100;
  setup.Open();
  EXPECT_EQ(setup.Rows()[1].label, "P101");
  EXPECT_EQ(setup.Rows()[1].name, "Speed");
  EXPECT_EQ(setup.Rows()[0].value, "");
  Ticks(1);
  EXPECT_EQ(setup.Rows()[0].value, "12.500000");
  EXPECT_EQ(setup.Rows()[1].value, "");
  Ticks(19);
  EXPECT_EQ(setup.Rows()[1].value, "255.000000");

  // Hexadecimal typed and sent in decimal; the row is read back on the next tick.
  setup.ValueEdited(0, "$10");
  EXPECT_EQ(Ask("P100"), "16\r\x06");
  EXPECT_EQ(setup.Rows()[0].value, "");
  setup.SetHexadecimal(true);
  Ticks(2);
  EXPECT_EQ(setup.Rows()[0].value, "$000010");
  EXPECT_EQ(setup.Rows()[1].value, "$0000FF");
  setup.ValueEdited(1, "-1");
  Ticks(20);
  EXPECT_EQ(setup.Rows()[1].value, "$FFFFFF");

  // Text that is no number is refused and nothing goes out.
  setup.ValueEdited(2, "5; P1=3");
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].title, "Set PMAC Variables");
  EXPECT_NE(desktop.messages[0].text.find("Nothing was sent"), std::string::npos);
  EXPECT_EQ(Ask("P1"), "0\r\x06");
  // An unchanged field sends nothing either.
  setup.ValueEdited(1, "$FFFFFF");
  EXPECT_EQ(desktop.messages.size(), 1u);
}

TEST_F(VariableSetupTest, MVariableAddressesAndKinds) {
  Connect();
  setup.SetKind(3);
  setup.ScrollTo(100);
  Ticks(2);
  EXPECT_TRUE(setup.AddressesEnabled());
  setup.AddressEdited(0, "X:$0,24");
  EXPECT_EQ(Ask("M100->"), "X:$0,0,24\r\x06");
  EXPECT_EQ(setup.Rows()[0].address, "");
  Ticks(1);
  EXPECT_EQ(setup.Rows()[0].address, "X:$0,0,24");
  setup.AddressEdited(0, "X:$0,24 P1=5");
  EXPECT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(Ask("P1"), "0\r\x06");

  setup.SetKind(4);
  EXPECT_FALSE(setup.AddressesEnabled());
  EXPECT_EQ(setup.Rows()[0].label, "I100");
  setup.AddressEdited(0, "X:$0,24");  // no addresses for I-variables
  EXPECT_EQ(Ask("M100->"), "X:$0,0,24\r\x06");
}

TEST_F(VariableSetupTest, ScrollingStaysWithinTheVariablesAndOfflineShowsNotConnected) {
  SetTypeFromTable(workbench.controllerType, 1);
  ASSERT_EQ(workbench.controllerType.variableCount, 1024);
  memory.top = 5000;  // left from a larger controller
  setup.Open();
  EXPECT_EQ(setup.Top(), 1004);
  EXPECT_EQ(setup.Rows()[19].label, "P1023");
  EXPECT_EQ(setup.ScrollMaximum(), 1053);
  setup.ScrollBy(-20);
  EXPECT_EQ(setup.Top(), 984);
  setup.ScrollTo(-3);
  EXPECT_EQ(setup.Top(), 0);
  setup.SetKind(3);
  Ticks(1);
  EXPECT_EQ(setup.Rows()[0].value, "Not Connected");
  EXPECT_EQ(setup.Rows()[19].address, "Not Connected");
  setup.ValueEdited(0, "5");  // not sent, no message
  EXPECT_TRUE(desktop.messages.empty());
}

}  // namespace
}  // namespace bl::diagnostics
