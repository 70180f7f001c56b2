// The Ethernet server against raw sockets: the requests a client uses, and hostile bytes.
#include "sim/ethernet_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "protocol/ethernet_protocol.h"
#include "protocol/socket_io.h"
#include "protocol/wire.h"
#include "sim/controller.h"

namespace sim {
namespace {

using namespace std::chrono_literals;
namespace eth = protocol::eth;

class RawClient {
 public:
  explicit RawClient(std::uint16_t port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  }
  bool connected() const { return connected_; }

  void Send(std::string_view bytes) { net::WriteAll(fd_.Get(), bytes, net::DeadlineAfter(2s)); }
  void Request(std::uint8_t type, std::uint8_t request, std::string_view data = {},
               std::uint16_t value = 0) {
    if (type == eth::kDownload) {
      Send(eth::Packet({type, request, value, 0, 0}, data));
    } else {
      auto h = eth::EncodeHeader({type, request, value, 0, eth::kMaxAnswer});
      Send(std::string(h.begin(), h.end()));
    }
  }
  std::string Read(std::size_t n) {
    std::string bytes(n, '\0');
    if (net::ReadExact(fd_.Get(), bytes.data(), n, net::DeadlineAfter(2s)) != net::Io::kOk) {
      return "<no answer>";
    }
    return bytes;
  }
  // Reads until the answer's end (ACK or error) or `max` bytes.
  std::string ReadAnswer(std::size_t max = eth::kMaxAnswer) {
    std::string text;
    while (text.size() < max &&
           protocol::FindReplyEnd(text).kind != protocol::ReplyEnd::Kind::kComplete) {
      if (net::ReadSome(fd_.Get(), text, max - text.size(), net::DeadlineAfter(2s)) !=
          net::Io::kOk) {
        break;
      }
    }
    return text;
  }
  // Ends the sending side and waits until the server has finished with the connection.
  void Finish() {
    ::shutdown(fd_.Get(), SHUT_WR);
    std::string answers;
    while (net::ReadSome(fd_.Get(), answers, 4096, net::DeadlineAfter(2s)) == net::Io::kOk) {
      answers.clear();
    }
  }
  bool ClosedByPeer() {
    std::string rest;
    return net::ReadSome(fd_.Get(), rest, 1, net::DeadlineAfter(2s)) == net::Io::kClosed;
  }

 private:
  net::UniqueFd fd_;
  bool connected_ = false;
};

class ServerTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(server_.Start(0, error)) << error;
    ASSERT_NE(server_.Port(), 0);
  }
  std::string Response(RawClient& client, std::string_view line) {
    client.Request(eth::kDownload, eth::kGetResponse, line);
    return client.ReadAnswer();
  }
  // The first part, then READREADY / GETBUFFER until nothing more waits.
  std::string WholeResponse(RawClient& client, std::string_view line) {
    std::string reply = Response(client, line);
    for (;;) {
      client.Request(eth::kUpload, eth::kReadReady);
      if (client.Read(2)[0] == 0) return reply;
      client.Request(eth::kUpload, eth::kGetBuffer);
      reply += client.ReadAnswer();
    }
  }

  Controller controller_;
  EthernetServer server_{controller_};
};

TEST_F(ServerTest, LongRepliesComeInPartsUntilTheEnd) {
  RawClient client(server_.Port());
  EXPECT_EQ(Response(client, "P0..1023").size(), eth::kMaxAnswer);  // a full part, no end yet
  EXPECT_EQ(WholeResponse(client, "P0..1023"), controller_.Respond("P0..1023"));
  EXPECT_EQ(Response(client, "TYPE"), "TURBO2, X4\r\x06");
}

TEST_F(ServerTest, AProgramListingLongerThanOnePartArrivesWhole) {
  RawClient client(server_.Port());
  ASSERT_EQ(Response(client, "OPEN PLC 4 CLEAR"), "\x06");
  for (int i = 0; i < 120; ++i) {
    const std::string n = std::to_string(i);
    ASSERT_EQ(Response(client, "IF (P" + n + " > 0) Q" + n + " = SIN(P" + n + ") * 2 ENDIF"),
              "\x06");
  }
  ASSERT_EQ(Response(client, "CLOSE"), "\x06");
  const std::string listing = WholeResponse(client, "LIST PLC 4");
  EXPECT_GT(listing.size(), 2 * eth::kMaxAnswer);
  EXPECT_EQ(listing, controller_.Respond("LIST PLC 4"));
  EXPECT_EQ(listing.substr(0, 30), "IF(P0>0)\rQ0=SIN(P0)*2\rENDIF\rIF");
  EXPECT_EQ(listing.back(), '\x06');
}

TEST_F(ServerTest, ControlCharactersFlushAndLineAtATime) {
  RawClient client(server_.Port());
  const std::string positions = "0 0 0 0 0 0 0 0\r\x06";
  client.Request(eth::kUpload, eth::kCtrlResponse, {}, 0x0010);
  EXPECT_EQ(client.ReadAnswer(), positions);
  client.Request(eth::kUpload, eth::kCtrlResponse, {}, 0x1000);
  EXPECT_EQ(client.ReadAnswer(), positions);

  client.Request(eth::kDownload, eth::kSendLine, "P1=5 P1 P2");
  EXPECT_EQ(client.Read(1).size(), 1u);
  for (std::string line : {"5\r", "0\r", "\x06", "\x06"}) {
    client.Request(eth::kUpload, eth::kGetLine);
    EXPECT_EQ(client.ReadAnswer(line.size()), line);
  }
  client.Request(eth::kDownload, eth::kSendCtrlChar, {}, 16);
  EXPECT_EQ(client.Read(1).size(), 1u);
  client.Request(eth::kUpload, eth::kGetLine);
  EXPECT_EQ(client.ReadAnswer(16), "0 0 0 0 0 0 0 0\r");

  // FLUSH drops the rest of a long reply.
  client.Request(eth::kDownload, eth::kGetResponse, "P0..1023");
  EXPECT_EQ(client.ReadAnswer().size(), eth::kMaxAnswer);
  client.Request(eth::kDownload, eth::kFlush);
  EXPECT_EQ(client.Read(1).size(), 1u);
  client.Request(eth::kUpload, eth::kReadReady);
  EXPECT_EQ(client.Read(2), std::string("\0\0", 2));
}

TEST_F(ServerTest, WriteBufferRunsLinesUntilTheFirstError) {
  RawClient client(server_.Port());
  client.Request(eth::kDownload, eth::kWriteBuffer, std::string("P1=1\0P2=2\0FOO\0P3=3", 19));
  EXPECT_EQ(client.Read(4), std::string("\x02\x00\x03\x80", 4));
  EXPECT_EQ(controller_.Respond("P1 P2 P3"), "1\r2\r0\r\x06");
  client.Request(eth::kDownload, eth::kWriteBuffer, std::string("P3=3\0\0", 6));
  EXPECT_EQ(client.Read(4), std::string(4, '\0'));
  client.Request(eth::kDownload, eth::kWriteBuffer, std::string(1025, 'P'));
  EXPECT_EQ(client.Read(4)[3], '\x80');
}

TEST_F(ServerTest, MalformedPacketsCloseOrGetAnErrorReply) {
  {
    RawClient client(server_.Port());
    client.Request(eth::kDownload, 0x99, "abc");
    EXPECT_EQ(client.ReadAnswer(), "\aERR003\r");
    EXPECT_EQ(Response(client, "TYPE"), "TURBO2, X4\r\x06");  // still in step
  }
  {
    RawClient client(server_.Port());
    auto h = eth::EncodeHeader({eth::kDownload, eth::kGetResponse, 0, 0, 1493});
    client.Send(std::string(h.begin(), h.end()));
    EXPECT_TRUE(client.ClosedByPeer());
  }
  {
    RawClient client(server_.Port());
    client.Send(std::string("\x12\xBF\0\0\0\0\0\0", 8));
    EXPECT_TRUE(client.ClosedByPeer());
  }
  RawClient client(server_.Port());
  EXPECT_EQ(Response(client, "I10"), "3713707\r\x06");
}

TEST_F(ServerTest, RandomBytesNeverBreakTheServer) {
  std::mt19937 random(7);
  for (int i = 0; i < 150; ++i) {
    RawClient client(server_.Port());
    ASSERT_TRUE(client.connected());
    std::string bytes(random() % 3000, '\0');
    for (char& b : bytes) b = static_cast<char>(random());
    if (i % 2 == 0 && bytes.size() >= 8) {
      // Plausible headers: a real direction and request, random lengths and data.
      bytes[0] = static_cast<char>(random() % 2 ? eth::kDownload : eth::kUpload);
      bytes[1] = static_cast<char>(0xB0 + random() % 0x18);
    }
    client.Send(bytes);
    client.Finish();
  }
  RawClient client(server_.Port());
  EXPECT_EQ(Response(client, "I9=2 TYPE"), "TURBO2, X4\r\x06");
}

TEST_F(ServerTest, FaultsDropSlowAndGarble) {
  {
    RawClient client(server_.Port());
    server_.faults().dropConnection = true;
    client.Request(eth::kDownload, eth::kGetResponse, "TYPE");
    EXPECT_TRUE(client.ClosedByPeer());
  }
  RawClient client(server_.Port());
  EXPECT_EQ(Response(client, "TYPE"), "TURBO2, X4\r\x06");  // the drop was one shot
  server_.faults().garbageReplies = true;
  std::string noise = Response(client, "TYPE");
  EXPECT_NE(noise, "TURBO2, X4\r\x06");
  EXPECT_EQ(noise.substr(noise.size() - 2), "\r\x06");
  server_.faults().garbageReplies = false;
  server_.faults().replyDelayMs = 100;
  auto start = net::Clock::now();
  EXPECT_EQ(Response(client, "TYPE"), "TURBO2, X4\r\x06");
  EXPECT_GE(net::Clock::now() - start, 100ms);
}

TEST_F(ServerTest, StopsWhileAClientIsConnectedOrWaitsForAnAnswer) {
  RawClient idle(server_.Port());
  EXPECT_EQ(Response(idle, "TYPE"), "TURBO2, X4\r\x06");
  server_.Stop();
  EXPECT_TRUE(idle.ClosedByPeer());

  std::string error;
  ASSERT_TRUE(server_.Start(0, error)) << error;
  server_.faults().replyDelayMs = 60000;
  RawClient waiting(server_.Port());
  waiting.Request(eth::kDownload, eth::kGetResponse, "TYPE");
  std::this_thread::sleep_for(50ms);
  server_.Stop();  // returns although an answer is being held back
  EXPECT_TRUE(waiting.ClosedByPeer());
}

}  // namespace
}  // namespace sim
