#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "link/transports/serial_transport.h"
#include "sim/controller.h"
#include "sim/serial_server.h"

namespace bl {
namespace {

class SerialTransportTest : public ::testing::Test {
 protected:
  SerialTransportTest() {
    std::string error;
    EXPECT_TRUE(server.Start(error)) << error;
  }

  std::unique_ptr<SerialTransport> Connect(
      std::chrono::milliseconds timeout = std::chrono::seconds(2)) {
    auto transport = std::make_unique<SerialTransport>(server.Path(), 38400, timeout);
    std::string error;
    EXPECT_TRUE(transport->Open(error)) << error;
    return transport;
  }

  sim::Controller controller{5};
  sim::SerialServer server{controller};
};

TEST_F(SerialTransportTest, AnswersTheIdentificationCommands) {
  auto t = Connect();
  EXPECT_EQ(t->GetResponse("I9=2 TYPE").substr(0, 6), "TURBO2");
  EXPECT_EQ(t->GetResponse("I10"), "3713707\r\x06");
  EXPECT_EQ(t->GetResponse("RY:62"), "67584\r\x06");
  EXPECT_EQ(t->GetResponse("NONSENSE"), "\aERR003\r");
  EXPECT_EQ(t->GetResponse("P1=5 P1"), "5\r\x06");  // the line after an error is in step
}

TEST_F(SerialTransportTest, LongRepliesAndControlCharacters) {
  auto t = Connect();
  const std::string reply = t->GetResponse("P0..1023");
  EXPECT_EQ(std::count(reply.begin(), reply.end(), '\r'), 1024);
  EXPECT_EQ(reply.back(), '\x06');
  const std::string positions = t->ControlResponse(16);  // Ctrl-P
  EXPECT_EQ(positions.back(), '\x06');
  EXPECT_EQ(std::count(positions.begin(), positions.end(), ' '), 7);
}

TEST_F(SerialTransportTest, ClientsComeAndGoAndASilentLineTimesOut) {
  Connect()->Close();
  auto again = Connect();
  EXPECT_EQ(again->GetResponse("I6"), "1\r\x06");
  again.reset();

  auto t = Connect(std::chrono::milliseconds(300));
  server.Stop();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(t->GetResponse("I10"), kLinkErrorReply);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  // The far end is gone: the port is closed, to be opened again by its owner, and says why.
  EXPECT_FALSE(t->IsOpen());
  EXPECT_EQ(t->LastError(), "the line was closed at the other end");
  std::string reopenError;
  EXPECT_FALSE(t->Open(reopenError));
  EXPECT_NE(reopenError.find("cannot open /dev/"), std::string::npos) << reopenError;

  SerialTransport missing("/dev/no-such-port", 9600);
  std::string error;
  EXPECT_FALSE(missing.Open(error));
  EXPECT_EQ(error, "cannot open /dev/no-such-port: No such file or directory");
  EXPECT_EQ(missing.GetResponse("I10"), kLinkErrorReply);
}

}  // namespace
}  // namespace bl
