#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/fake_vendor_library.h"

namespace bl::test {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;
using Line = std::pair<std::string, int>;

class PmacCommandTest : public ::testing::Test, public LinkFixture {
 protected:
  void SetUp() override { Connect(); }
  std::string Send(std::string_view command, bool echo = true, int size = 999) {
    std::string response = "stale";
    EXPECT_EQ(link.PmacCommand(response, size, command, echo), 0);
    return response;
  }
};

TEST_F(PmacCommandTest, ControlCharacterIsEchoedByItsNameAndSentAlone) {
  state->replies = {"\x06"};
  Send("\x03");
  EXPECT_THAT(state->Commands(), ElementsAre("\x03"));
  EXPECT_THAT(
      Last(2),
      ElementsAre(Line{"", 6},
                  Line{"Command:  Control-C (Report all coordinate system status words.)", 13}));
}

TEST_F(PmacCommandTest, DefineLineIsStoredNotSentAndLaterSubstituted) {
  int stored = 0;
  link.onDefinitionStored = [&] { ++stored; };
  EXPECT_EQ(Send("#DEFINE speed P10", false), "");
  EXPECT_TRUE(state->Commands().empty());
  EXPECT_EQ(stored, 1);

  state->replies = {"\x06"};
  Send("speed=100 ; set it");
  EXPECT_THAT(state->Commands(), ElementsAre("P10=100 "));
  // Typed, then cleaned and substituted; no reply line before the acknowledge.
  EXPECT_THAT(Last(3), ElementsAre(Line{"", 6}, Line{"Command:  speed=100 ; set it", 13},
                                   Line{"Command:  P10=100 ", 13}));

  // A refused definition does not count as stored.
  Send("#define 1", false);
  EXPECT_EQ(stored, 1);
}

TEST_F(PmacCommandTest, UnchangedCommandIsEchoedOnceAndQuotedNamesStay) {
  Send("#define speed P10", false);
  state->replies = {"\x06"};
  Send("CMD\"speed\"");
  EXPECT_THAT(state->Commands(), ElementsAre("CMD\"speed\""));
  EXPECT_THAT(Last(2), ElementsAre(Line{"", 6}, Line{"Command:  CMD\"speed\"", 13}));
}

TEST_F(PmacCommandTest, ReplyLinesAreEchoedUpToTheAcknowledge) {
  state->replies = {
      "1\r2\r\x06"
      "3\r"};
  EXPECT_EQ(Send("P1..2"),
            "1\r2\r\x06"
            "3\r");
  EXPECT_THAT(Last(2), ElementsAre(Line{"Line  1:  1", 0}, Line{"Line  2:  2", 0}));

  // Text after the last carriage return is not shown; a long line shows its first 240.
  state->replies = {std::string(300, 'x') + "\rtail"};
  Send("LIST");
  EXPECT_THAT(Last(2), ElementsAre(Line{"Command:  LIST", 13},
                                   Line{"Line  1:  " + std::string(240, 'x'), 0}));
}

TEST_F(PmacCommandTest, ReplyAndCommandStayWithinTheirLimits) {
  state->replies = {std::string(500, '7') + "\r"};
  EXPECT_EQ(Send("I10", false, 99), std::string(98, '7'));
  EXPECT_EQ(state->replySizes.back(), 99u);

  Send(std::string(400, 'A'), false);
  EXPECT_EQ(state->Commands().back().size(), 255u);
}

TEST_F(PmacCommandTest, NotConnectedRepliesWithoutCallingTheLibrary) {
  link.LinkDisconnect();
  EXPECT_EQ(Send("P1"), "Not Connected to a PMAC Device.\r");
  EXPECT_THAT(Last(1), ElementsAre(Line{"Line  1:  Not Connected to a PMAC Device.", 0}));
  EXPECT_EQ(Send("P1", false, 10), "Not Conne");
  EXPECT_TRUE(state->Commands().empty());
}

// Connection: every failure leaves the link unconnected, with the library unloaded.

TEST(LinkConnect, FailuresAreReportedOrSilentAndLeaveNoDevice) {
  const auto loadAs = [](LibraryLoad::Status status) {
    return [status] {
      LibraryLoad load;
      load.status = status;
      return load;
    };
  };
  const struct {
    VendorLibraryLoader loader;
    int selection;
    bool opens;
    const char* message;  // nothing for a cancelled device choice
  } cases[] = {
      {loadAs(LibraryLoad::Status::NotFound), 0, true,
       "Unable to locate either Pcomm32W or PComm32.DLL."},
      {loadAs(LibraryLoad::Status::MissingEntryPoint), 0, true,
       "Unable to locate required functions within PMAC.DLL."},
      {nullptr, -1, true, nullptr},
      {nullptr, 8, true, nullptr},
      {nullptr, 2, false, "Unable to connect to the specified device."},
  };
  for (const auto& c : cases) {
    LinkFixture f;
    f.state->selection = c.selection;
    f.state->opens = c.opens;
    PmacLink link(f.terminal, f.definitions, f.desktop, c.loader ? c.loader : FakeLoader(f.state));
    EXPECT_EQ(link.LinkConnect(), -1);
    EXPECT_EQ(link.PmacDevice(), -1);
    if (c.message == nullptr) {
      EXPECT_TRUE(f.desktop.messages.empty());
    } else {
      ASSERT_EQ(f.desktop.messages.size(), 1u);
      EXPECT_EQ(f.desktop.messages[0].text, c.message);
      EXPECT_EQ(f.desktop.messages[0].title, "Error connecting to PMAC!");
    }
    EXPECT_EQ(f.state->unloaded, c.loader ? 0 : 1) << c.selection;
  }
}

TEST(LinkConnect, SuccessKeepsTheDeviceUntilDisconnect) {
  LinkFixture f;
  f.state->selection = 7;
  EXPECT_EQ(f.link.LinkConnect(), 0);
  EXPECT_EQ(f.link.PmacDevice(), 7);
  ASSERT_EQ(f.desktop.messages.size(), 1u);
  EXPECT_EQ(f.desktop.messages[0].text, "The PMAC device was loaded successfully.");
  EXPECT_EQ(f.desktop.messages[0].title, "Connected to PMAC!");

  EXPECT_EQ(f.link.LinkDisconnect(), 0);
  EXPECT_EQ(f.link.PmacDevice(), -1);
  EXPECT_EQ(f.link.LinkDisconnect(), -1);
  EXPECT_THAT(f.state->closed, ElementsAre(7));
  EXPECT_EQ(f.state->unloaded, 0);
}

}  // namespace
}  // namespace bl::test
