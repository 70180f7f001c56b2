// EthernetTransport against the virtual controller's server on an ephemeral port.
#include "link/transports/ethernet_transport.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "sim/controller.h"
#include "sim/ethernet_server.h"

namespace bl {
namespace {

using namespace std::chrono_literals;

class EthernetTransportTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(server_.Start(0, error)) << error;
    transport_ = Connect(2s);
  }
  std::unique_ptr<EthernetTransport> Connect(std::chrono::milliseconds timeout) {
    auto transport = std::make_unique<EthernetTransport>("127.0.0.1", server_.Port(), timeout);
    std::string error;
    EXPECT_TRUE(transport->Open(error)) << error;
    return transport;
  }

  sim::Controller controller_{5};
  sim::EthernetServer server_{controller_};
  std::unique_ptr<EthernetTransport> transport_;
};

TEST_F(EthernetTransportTest, IdentifiesTheController) {
  EXPECT_EQ(transport_->GetResponse("I9=2 TYPE").rfind("TURBO2", 0), 0u);
  EXPECT_EQ(transport_->GetResponse("I10"), "3713707\r\x06");
  EXPECT_EQ(transport_->GetResponse("I46"), "0\r\x06");
  EXPECT_EQ(transport_->GetResponse("RY:62"), "67584\r\x06");
  EXPECT_EQ(transport_->GetResponse("RY:460801"), "8\r\x06");  // jumper bit set: off
  EXPECT_EQ(transport_->GetResponse("RHX:$3120 RHY:$3120"), "010800\r010800\r\x06");
  EXPECT_EQ(transport_->GetResponse("FOO P1"), "\aERR003\r");
  EXPECT_FALSE(transport_->InBootstrap());
  EXPECT_TRUE(transport_->IsOpen());
}

TEST_F(EthernetTransportTest, RepliesLongerThanOnePacketArriveWhole) {
  controller_.Respond("P0..8191=0.125 P17=-3 M0..8191->Y:$78805,20,1");
  for (const char* command : {"P0..1023", "P0..8191", "M0..8191->"}) {
    std::string reply = transport_->GetResponse(command);
    EXPECT_GT(reply.size(), 1400u);
    EXPECT_EQ(reply, controller_.Respond(command)) << command;
  }
  // Errors in the other forms I6 chooses end the reply as well.
  EXPECT_EQ(transport_->GetResponse("I6=3 FOO"), "\a\rERR003\r");
  EXPECT_EQ(transport_->GetResponse("I6=0 P1 FOO"), "0.125\r\a");
  EXPECT_EQ(transport_->GetResponse("I6=1 P17"), "-3\r\x06");
}

TEST_F(EthernetTransportTest, ControlCharactersAndTheirReports) {
  controller_.Respond("WY:$8B,3072");
  EXPECT_EQ(transport_->ControlResponse(16), "1 0 0 0 0 0 0 0\r\x06");
  EXPECT_EQ(transport_->GetResponse("##1 \x10"), "0 0 0 0 0 0 0 0\r\x06");
  EXPECT_EQ(transport_->ControlResponse(11), "\x06");
  EXPECT_EQ(transport_->ControlResponse(0), "\aERR003\r");
}

TEST_F(EthernetTransportTest, ServerStoppingMidExchangeGivesAnErrorReply) {
  server_.faults().replyDelayMs = 60000;
  std::thread stopper([this] {
    std::this_thread::sleep_for(100ms);
    server_.Stop();
  });
  EXPECT_EQ(transport_->GetResponse("TYPE"), kLinkErrorReply);
  stopper.join();
  EXPECT_FALSE(transport_->IsOpen());
  EXPECT_FALSE(transport_->LastError().empty());
  EXPECT_EQ(transport_->GetResponse("TYPE"), kLinkErrorReply);  // closed stays closed
}

TEST_F(EthernetTransportTest, SilentControllerGivesAnErrorReplyWithinTheTimeout) {
  transport_.reset();
  auto transport = Connect(200ms);
  server_.faults().replyDelayMs = 10000;
  EXPECT_EQ(transport->GetResponse("TYPE"), kLinkErrorReply);
  EXPECT_FALSE(transport->IsOpen());
  EXPECT_NE(transport->LastError().find("200 ms"), std::string::npos);
}

TEST_F(EthernetTransportTest, DroppedConnectionClosesAndCanBeOpenedAgain) {
  server_.faults().dropConnection = true;
  EXPECT_EQ(transport_->GetResponse("TYPE"), kLinkErrorReply);
  EXPECT_FALSE(transport_->IsOpen());
  std::string error;
  ASSERT_TRUE(transport_->Open(error)) << error;
  EXPECT_EQ(transport_->GetResponse("TYPE"), "TURBO2, X4\r\x06");
}

TEST_F(EthernetTransportTest, GarbageAndOverlongCommandsDoNotCloseTheLink) {
  server_.faults().garbageReplies = true;
  std::string noise = transport_->GetResponse("TYPE");
  EXPECT_NE(noise, "TURBO2, X4\r\x06");
  server_.faults().garbageReplies = false;
  EXPECT_EQ(transport_->GetResponse(std::string(1500, 'P')), kLinkErrorReply);
  EXPECT_TRUE(transport_->IsOpen());
  EXPECT_EQ(transport_->GetResponse("TYPE"), "TURBO2, X4\r\x06");
}

TEST_F(EthernetTransportTest, ExchangesFromTwoThreadsStayWhole) {
  auto worker = [this](int n) {
    std::string command =
        "P" + std::to_string(n) + "=" + std::to_string(n) + " P" + std::to_string(n);
    for (int i = 0; i < 200; ++i) {
      ASSERT_EQ(transport_->GetResponse(command), std::to_string(n) + "\r\x06");
    }
  };
  std::thread a(worker, 1), b(worker, 2);
  a.join();
  b.join();
}

TEST(EthernetTransportOpen, FailsWithAReasonWhenNothingListens) {
  // A port that was free a moment ago.
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof a;
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
  ::close(fd);
  EthernetTransport transport("127.0.0.1", ntohs(a.sin_port), 500ms);
  std::string error;
  EXPECT_FALSE(transport.Open(error));
  EXPECT_NE(error.find("cannot connect to 127.0.0.1"), std::string::npos) << error;
  EXPECT_EQ(transport.GetResponse("TYPE"), kLinkErrorReply);
  EthernetTransport unknown("", 1025, 500ms);
  EXPECT_FALSE(unknown.Open(error));
}

}  // namespace
}  // namespace bl
