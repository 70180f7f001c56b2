#include "link/transports/virtual_transport.h"

#include <gtest/gtest.h>

namespace bl {
namespace {

TEST(VirtualTransport, AnswersOnlyWhileOpen) {
  VirtualTransport transport(2);
  EXPECT_FALSE(transport.IsOpen());
  EXPECT_EQ(transport.GetResponse("TYPE"), kLinkErrorReply);
  std::string error;
  ASSERT_TRUE(transport.Open(error));
  EXPECT_EQ(transport.GetResponse("I9=2 TYPE"), "PMAC2, X1\r\x06");
  EXPECT_EQ(transport.ControlResponse(16), "0 0 0 0 0 0 0 0\r\x06");
  EXPECT_EQ(transport.GetResponse("FOO"), "\aERR003\r");
  transport.Close();
  EXPECT_EQ(transport.ControlResponse(16), kLinkErrorReply);
}

TEST(VirtualTransport, SharesItsControllerSoTheProgramDrivesItsTime) {
  auto controller = std::make_shared<sim::Controller>(5);
  VirtualTransport transport(controller);
  std::string error;
  transport.Open(error);
  transport.GetResponse("I10=4194304");
  transport.controller().Advance(std::chrono::milliseconds(10));
  EXPECT_EQ(transport.GetResponse("RX:$0"), "20\r\x06");
  EXPECT_EQ(transport.sharedController(), controller);
  EXPECT_FALSE(transport.InBootstrap());
  controller->SetBootstrap(true);
  EXPECT_TRUE(transport.InBootstrap());
}

TEST(VirtualTransport, FaultsActLikeABadConnection) {
  VirtualTransport transport;
  std::string error;
  transport.Open(error);
  transport.faults().garbageReplies = true;
  std::string noise = transport.GetResponse("P1=5");
  EXPECT_EQ(noise.substr(noise.size() - 2), "\r\x06");
  EXPECT_EQ(noise.find('\a'), std::string::npos);
  transport.faults().garbageReplies = false;
  EXPECT_EQ(transport.GetResponse("P1"), "5\r\x06");  // the command itself ran
  transport.faults().dropConnection = true;
  EXPECT_EQ(transport.GetResponse("P1"), kLinkErrorReply);
  EXPECT_FALSE(transport.IsOpen());
  ASSERT_TRUE(transport.Open(error));
  EXPECT_EQ(transport.GetResponse("P1"), "5\r\x06");
}

}  // namespace
}  // namespace bl
