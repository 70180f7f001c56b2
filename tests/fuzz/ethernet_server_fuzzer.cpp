// The virtual controller's Ethernet server, fed packets over a real loopback connection by a
// client that knows only the protocol: every request gets exactly one answer of the size its
// kind has; a long reply comes in full 1400-byte parts and ends, by the reply-end scan, exactly
// where its last part ends; READREADY tells the truth; malformed headers and oversized packets
// close the connection; and bytes after the last request never get an answer.
#include <arpa/inet.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "fuzz/retried.h"
#include "protocol/ethernet_protocol.h"
#include "protocol/wire.h"
#include "sim/controller.h"
#include "sim/ethernet_server.h"

namespace {

namespace eth = protocol::eth;
using protocol::FindReplyEnd;
using Kind = protocol::ReplyEnd::Kind;

constexpr std::string_view kAckOnly("\x06", 1);
// The server answers at once; this only turns a lost answer into a finding instead of a hang.
constexpr int kAnswerWaitMs = 20000;

// One server for the whole run: a PMAC2 Ultralite, whose memory is small enough to be put back
// to factory defaults before every input.
struct Server {
  sim::Controller controller{3};
  sim::EthernetServer server{controller};
  Server() {
    std::signal(SIGPIPE, SIG_IGN);
    std::string error;
    if (!server.Start(0, error)) {
      std::fprintf(stderr, "cannot start the server: %s\n", error.c_str());
      std::abort();
    }
  }
};

class Client {
 public:
  explicit Client(std::uint16_t port) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    BL_FUZZ_CHECK(fd_ >= 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // Tens of thousands of connections a minute can use up the loopback's local ports for a
    // moment; that is the test machine's limit, not the server's fault, so wait for one.
    int connected = -1;
    for (int attempt = 0; attempt < 200 && connected != 0; ++attempt) {
      connected = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
      if (connected != 0 && errno == EINTR) {
        // Interrupted, the connection goes on being made: wait for it and ask how it went.
        pollfd p{fd_, POLLOUT, 0};
        int error = Retried([&] { return ::poll(&p, 1, kAnswerWaitMs); }) == 1 ? 0 : ETIMEDOUT;
        socklen_t length = sizeof error;
        if (error == 0) ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length);
        connected = error == 0 ? 0 : -1;
        break;
      }
      if (connected != 0 && errno != EADDRNOTAVAIL && errno != EAGAIN) break;
      if (connected != 0) ::usleep(5000);
    }
    BL_FUZZ_CHECK(connected == 0);
    int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    // Closing with a reset leaves no TIME_WAIT behind to hold a local port.
    const linger reset{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  }
  ~Client() { ::close(fd_); }

  void Send(std::string_view bytes) {
    // The server may have closed already (after a malformed packet): that is no failure here.
    while (!bytes.empty()) {
      const ssize_t n =
          Retried([&] { return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); });
      if (n <= 0) return;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }
  void EndRequests() { ::shutdown(fd_, SHUT_WR); }

  // One answer: what one read brings (the server sends each answer with one write, which
  // arrives whole on the loopback). Empty when the server closed the connection.
  std::string Answer() {
    pollfd p{fd_, POLLIN, 0};
    // No answer at all: the client would hang.
    BL_FUZZ_CHECK(Retried([&] { return ::poll(&p, 1, kAnswerWaitMs); }) == 1);
    std::string answer(4096, '\0');
    const ssize_t n = Retried([&] { return ::recv(fd_, answer.data(), answer.size(), 0); });
    answer.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return answer;
  }

 private:
  int fd_;
};

// What the client knows of the output waiting in the server.
enum class Waiting { kNothing, kSomething, kUnknown };

class Conversation {
 public:
  explicit Conversation(Client& client) : client_(client) {}

  // False once the server has closed the connection.
  bool Request(FuzzedDataProvider& d) {
    static constexpr std::array<std::uint8_t, 10> kRequests = {
        eth::kSendLine,  eth::kGetLine,      eth::kFlush,     eth::kSendCtrlChar, eth::kGetResponse,
        eth::kReadReady, eth::kCtrlResponse, eth::kGetBuffer, eth::kWriteBuffer,  0};
    eth::Header h;
    const std::size_t pick = d.ConsumeIntegralInRange<std::size_t>(0, kRequests.size() - 1);
    h.request = kRequests[pick] != 0 ? kRequests[pick] : d.ConsumeIntegral<std::uint8_t>();
    const int type = d.ConsumeIntegralInRange(0, 15);
    h.requestType = type == 0 ? d.ConsumeIntegral<std::uint8_t>()
                              : (type % 2 == 0 ? eth::kDownload : eth::kUpload);
    h.value = d.ConsumeIntegral<std::uint16_t>();
    h.index = d.ConsumeIntegral<std::uint16_t>();
    std::string data;
    if (h.requestType == eth::kDownload) {
      data = d.ConsumeRandomLengthString(1600);
      client_.Send(eth::Packet(h, data));
    } else {
      h.length = d.ConsumeIntegral<std::uint16_t>();  // the answer size asked for: not checked
      const auto bytes = eth::EncodeHeader(h);
      client_.Send(std::string(bytes.begin(), bytes.end()));
    }

    const std::string answer = client_.Answer();
    if (h.requestType != eth::kDownload && h.requestType != eth::kUpload) {
      BL_FUZZ_CHECK(answer.empty());  // malformed: the server closes
      return false;
    }
    if (data.size() > eth::kMaxData) {
      BL_FUZZ_CHECK(answer.empty());  // oversized: the server closes
      return false;
    }
    BL_FUZZ_CHECK(!answer.empty() && answer.size() <= eth::kMaxAnswer);
    Check(h, data, answer);
    return true;
  }

 private:
  void Check(const eth::Header& h, std::string_view data, std::string_view answer) {
    switch (h.request) {
      case eth::kFlush:
        BL_FUZZ_CHECK(answer == kAckOnly);
        waiting_ = Waiting::kNothing;
        chain_ = false;
        break;
      case eth::kSendLine:
      case eth::kSendCtrlChar:
        // The reply is kept for GETLINE and GETBUFFER; every reply has at least its ending.
        BL_FUZZ_CHECK(answer == kAckOnly);
        waiting_ = Waiting::kSomething;
        chain_ = false;
        break;
      case eth::kReadReady:
        BL_FUZZ_CHECK(answer.size() == 2 && answer[1] == 0);
        if (waiting_ != Waiting::kUnknown)
          BL_FUZZ_CHECK((answer[0] != 0) == (waiting_ == Waiting::kSomething));
        waiting_ = answer[0] != 0 ? Waiting::kSomething : Waiting::kNothing;
        break;
      case eth::kWriteBuffer:
        BL_FUZZ_CHECK(answer.size() == 4);
        BL_FUZZ_CHECK(answer[3] == 0 || static_cast<std::uint8_t>(answer[3]) == 0x80);
        if (answer[3] == 0) BL_FUZZ_CHECK(answer == std::string_view("\0\0\0\0", 4));
        if (data.size() > eth::kMaxWriteBuffer) BL_FUZZ_CHECK(answer[2] == 6 && answer[3] != 0);
        break;
      case eth::kGetLine:
        // One line through its CR, or the closing ACK alone.
        if (waiting_ == Waiting::kNothing) BL_FUZZ_CHECK(answer == kAckOnly);
        BL_FUZZ_CHECK(answer.find('\r') == std::string_view::npos ||
                      answer.find('\r') == answer.size() - 1);
        if (answer.find(protocol::kAck) != std::string_view::npos)
          BL_FUZZ_CHECK(answer == kAckOnly);
        if (waiting_ == Waiting::kSomething) waiting_ = Waiting::kUnknown;
        chain_ = false;
        break;
      case eth::kGetResponse:
      case eth::kCtrlResponse:
        chain_ = true;
        reply_.clear();
        Part(answer);
        break;
      case eth::kGetBuffer:
        if (waiting_ == Waiting::kNothing) {
          BL_FUZZ_CHECK(answer == kAckOnly);
        } else if (chain_) {
          Part(answer);
        } else {
          waiting_ = answer.size() < eth::kMaxAnswer ? Waiting::kNothing : Waiting::kUnknown;
        }
        break;
      default:
        BL_FUZZ_CHECK(answer == std::string_view("\a"
                                                 "ERR003\r"));
        break;
    }
  }

  // One part of a reply: either it is a full part, or the reply ends exactly where it ends.
  void Part(std::string_view answer) {
    reply_ += answer;
    const auto end = FindReplyEnd(reply_);
    if (end.kind == Kind::kComplete) {
      BL_FUZZ_CHECK(end.length == reply_.size());
      waiting_ = Waiting::kNothing;
      chain_ = false;
    } else if (answer.size() < eth::kMaxAnswer) {
      // A short part sends all that waited: it must hold the reply's end (a bare BEL counts).
      BL_FUZZ_CHECK(end.kind == Kind::kBareBel);
      waiting_ = Waiting::kNothing;
      chain_ = false;
    } else {
      waiting_ = end.kind == Kind::kNotYet ? Waiting::kSomething : Waiting::kUnknown;
    }
  }

  Client& client_;
  Waiting waiting_ = Waiting::kNothing;
  bool chain_ = false;  // the parts since the last GETRESPONSE or CTRL_RESPONSE form one reply
  std::string reply_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static Server* const server = new Server;  // left running until the process ends
  // Nobody is connected now (the last input waited for the server to hang up), so the
  // controller can be reset without racing a request.
  BL_FUZZ_CHECK(server->controller.Respond("$$$***") == kAckOnly);

  FuzzedDataProvider data(bytes, size);
  Client client(server->server.Port());
  Conversation conversation(client);
  bool open = true;
  for (int step = 0; step < 48 && open && data.remaining_bytes() > 0; ++step) {
    open = data.ConsumeIntegralInRange(0, 31) != 0 ? conversation.Request(data) : false;
  }
  if (open) {
    // Whatever is left goes out as it is: part of a header, a header whose data never comes.
    // It may hold whole requests, whose answers are read and let be.
    client.Send(data.ConsumeRemainingBytesAsString());
  }
  client.EndRequests();
  // The server must hang up now; answers to complete requests in the tail may come first.
  while (!client.Answer().empty()) {
  }
  return 0;
}
