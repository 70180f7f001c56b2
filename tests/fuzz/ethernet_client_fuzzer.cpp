// The Ethernet transport's reading of replies: answers split into segments, replies longer than
// one answer fetched with READREADY and GETBUFFER, errors with and without a bare BEL, silence
// and dropped connections. A scripted controller on the loopback answers every request from the
// input, the way a controller may (at most 1400 bytes an answer, nothing after a reply's end),
// and checks that the transport asks only well-formed requests. Every exchange must give either
// the error reply with the transport closed, or exactly the bytes the controller sent.
#include <arpa/inet.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/retried.h"
#include "link/transports/ethernet_transport.h"
#include "protocol/ethernet_protocol.h"
#include "protocol/wire.h"

namespace {

namespace eth = protocol::eth;
using protocol::FindReplyEnd;
using Kind = protocol::ReplyEnd::Kind;

// Short, so that the paths that wait for a silent controller cost little; the scripted
// controller never leaves the transport waiting unless the input asks for it.
constexpr std::chrono::milliseconds kTimeout{100};

// What the controller does with the next request that needs a scripted answer.
struct Step {
  bool ready = true;    // READREADY: more reply waits
  std::string answer;   // GETRESPONSE, CTRL_RESPONSE, GETBUFFER
  int segments = 1;     // the answer goes out in this many writes
  bool hangUp = false;  // the connection is closed after answering
  // A short answer ending in a bare BEL leaves the transport waiting a moment for more; without
  // this the connection is closed instead, so that few inputs spend that wait.
  bool pauseAfterBel = false;
};

bool ReadAll(int fd, void* buffer, std::size_t n) {
  auto* p = static_cast<char*>(buffer);
  while (n > 0) {
    pollfd pfd{fd, POLLIN, 0};
    if (Retried([&] { return ::poll(&pfd, 1, 5000); }) != 1) return false;
    const ssize_t got = Retried([&] { return ::recv(fd, p, n, 0); });
    if (got <= 0) return false;
    p += got;
    n -= static_cast<std::size_t>(got);
  }
  return true;
}

bool SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = Retried([&] { return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); });
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

class ScriptedController {
 public:
  ScriptedController() {
    std::signal(SIGPIPE, SIG_IGN);
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    BL_FUZZ_CHECK(::bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
    BL_FUZZ_CHECK(::listen(listen_, 4) == 0);
    socklen_t length = sizeof address;
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
    thread_.detach();  // serves until the process ends
  }

  std::uint16_t Port() const { return port_; }

  void Load(std::deque<Step> steps) {
    std::lock_guard lock(mutex_);
    steps_ = std::move(steps);
  }
  // Before each exchange: what the transport must ask, and a clean record of what is sent.
  void Expect(std::string command, char control, bool isControl) {
    std::lock_guard lock(mutex_);
    command_ = std::move(command);
    control_ = control;
    isControl_ = isControl;
    sent_.clear();
  }
  std::string Sent() {
    std::lock_guard lock(mutex_);
    return sent_;
  }
  // True when the controller has closed, or is closing, the connection the transport holds.
  bool HangingUp() {
    std::lock_guard lock(mutex_);
    return hangingUp_;
  }
  // Waits until the controller has let go of the last connection.
  void WaitIdle() {
    std::unique_lock lock(mutex_);
    idleChanged_.wait(lock, [this] { return idle_; });
  }

 private:
  void Run() {
    for (;;) {
      const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      {
        std::lock_guard lock(mutex_);
        idle_ = false;
        hangingUp_ = false;
      }
      int on = 1;
      ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      while (Serve(fd)) {
      }
      {
        std::lock_guard lock(mutex_);
        hangingUp_ = true;
      }
      ::close(fd);
      {
        std::lock_guard lock(mutex_);
        idle_ = true;
      }
      idleChanged_.notify_all();
    }
  }

  // One request and its answer; false when the connection is to close.
  bool Serve(int fd) {
    std::array<std::uint8_t, eth::kHeaderSize> bytes{};
    if (!ReadAll(fd, bytes.data(), bytes.size())) return false;
    const eth::Header h = eth::DecodeHeader(bytes);
    std::string data;
    if (h.requestType == eth::kDownload && h.length > 0) {
      BL_FUZZ_CHECK(h.length <= eth::kMaxData);
      data.resize(h.length);
      if (!ReadAll(fd, data.data(), data.size())) return false;
    }

    std::lock_guard lock(mutex_);
    switch (h.request) {
      case eth::kFlush:
        BL_FUZZ_CHECK(h.requestType == eth::kDownload && h.length == 0);
        return !steps_.empty() && SendAll(fd, std::string(1, protocol::kAck));
      case eth::kGetResponse:
        BL_FUZZ_CHECK(h.requestType == eth::kDownload && !isControl_ && data == command_);
        reply_.clear();
        return Answer(fd);
      case eth::kCtrlResponse:
        BL_FUZZ_CHECK(h.requestType == eth::kUpload && isControl_);
        BL_FUZZ_CHECK(eth::ControlCharFromValue(h.value) == control_);
        reply_.clear();
        return Answer(fd);
      case eth::kGetBuffer:
        BL_FUZZ_CHECK(h.requestType == eth::kUpload);
        return Answer(fd);
      case eth::kReadReady: {
        BL_FUZZ_CHECK(h.requestType == eth::kUpload);
        if (steps_.empty()) return false;
        const Step step = Take();
        const char ready[2] = {static_cast<char>(step.ready ? 1 : 0), 0};
        // Not ready and no bare BEL: the transport could only poll until its timeout.
        hangingUp_ = step.hangUp || (!step.ready && FindReplyEnd(reply_).kind != Kind::kBareBel);
        return SendAll(fd, {ready, 2}) && !hangingUp_;
      }
      default:
        BL_FUZZ_CHECK(false);  // the transport asked something it never should
        return false;
    }
  }

  Step Take() {
    Step step = std::move(steps_.front());
    steps_.pop_front();
    return step;
  }

  // The next part of the reply, cut where the reply ends: a controller sends nothing after it.
  bool Answer(int fd) {
    if (steps_.empty()) return false;
    const Step step = Take();
    std::string answer = step.answer.substr(0, eth::kMaxAnswer);
    const std::string whole = reply_ + answer;
    const auto end = FindReplyEnd(whole);
    if (end.kind == Kind::kComplete) {
      if (end.length <= reply_.size()) return false;  // the reply had ended already
      answer.resize(end.length - reply_.size());
    }
    if (answer.empty()) return false;
    reply_ += answer;
    sent_ += answer;
    const std::size_t size = answer.size();
    // A short answer without an end would leave the transport waiting for the rest.
    const Kind kind = FindReplyEnd(reply_).kind;
    const bool waits = size < eth::kMaxAnswer &&
                       (kind == Kind::kNotYet || (kind == Kind::kBareBel && !step.pauseAfterBel));
    hangingUp_ = step.hangUp || waits;
    for (std::size_t from = 0, i = 1; from < size; ++i) {
      std::size_t to = i >= static_cast<std::size_t>(step.segments)
                           ? size
                           : std::max(from + 1, size * i / static_cast<std::size_t>(step.segments));
      // A write that stops right after a BEL would look like a whole error to the transport
      // for a moment (it waits only briefly for more); a controller writes an error at once.
      while (to < size && answer[to - 1] == protocol::kBell) ++to;
      if (!SendAll(fd, std::string_view(answer).substr(from, to - from))) return false;
      from = to;
    }
    return !hangingUp_;
  }

  int listen_ = -1;
  std::uint16_t port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable idleChanged_;
  bool idle_ = true;
  bool hangingUp_ = false;  // the connection ends after the answer being sent
  std::deque<Step> steps_;
  std::string command_;
  char control_ = 0;
  bool isControl_ = false;
  std::string reply_;  // this exchange's reply so far
  std::string sent_;
};

struct Exchange {
  bool control = false;
  char c = 0;
  std::string command;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static ScriptedController* const controller = new ScriptedController;
  // A connection still good at the end of an input serves the next one, which saves a connect
  // and a FLUSH per input; it does not change what the script does, as FLUSH takes no step.
  static bl::EthernetTransport* const transport =
      new bl::EthernetTransport("127.0.0.1", controller->Port(), kTimeout);
  FuzzedDataProvider data(bytes, size);

  std::vector<Exchange> exchanges(data.ConsumeIntegralInRange(1, 6));
  for (Exchange& e : exchanges) {
    e.control = data.ConsumeIntegralInRange(0, 3) == 0;
    if (e.control) {
      e.c = static_cast<char>(data.ConsumeIntegralInRange(1, 26));
    } else {
      e.command = data.ConsumeBool() ? std::string(data.ConsumeIntegralInRange(1480, 1500), 'P')
                                     : data.ConsumeRandomLengthString(64);
    }
  }
  std::deque<Step> steps;
  while (steps.size() < 40 && data.remaining_bytes() > 0) {
    Step step;
    step.ready = data.ConsumeIntegralInRange(0, 3) != 0;
    step.segments = data.ConsumeIntegralInRange(1, 3);
    step.hangUp = data.ConsumeIntegralInRange(0, 15) == 0;
    step.pauseAfterBel = data.ConsumeIntegralInRange(0, 15) == 0;
    step.answer = data.ConsumeRandomLengthString(eth::kMaxAnswer);
    if (data.ConsumeIntegralInRange(0, 7) == 0) step.answer.resize(eth::kMaxAnswer, 'x');
    steps.push_back(std::move(step));
  }
  controller->Load(std::move(steps));

  for (const Exchange& e : exchanges) {
    std::string error;
    if (!transport->IsOpen() && !transport->Open(error)) {
      BL_FUZZ_CHECK(!error.empty() && !transport->IsOpen());
      break;  // the script is spent: the controller hangs up at once
    }
    controller->Expect(e.command, e.c, e.control);
    const std::string reply =
        e.control ? transport->ControlResponse(e.c) : transport->GetResponse(e.command);
    // The error reply is the transport's own when the controller did not send it.
    if (reply == bl::kLinkErrorReply && reply != controller->Sent()) {
      // Failed exchanges close the transport, so a late answer cannot pass for the next reply.
      BL_FUZZ_CHECK(!transport->IsOpen() || e.command.size() > eth::kMaxData);
      BL_FUZZ_CHECK(!transport->LastError().empty());
      continue;
    }
    BL_FUZZ_CHECK(e.command.size() <= eth::kMaxData);
    BL_FUZZ_CHECK(transport->IsOpen());
    // Exactly what the controller sent for this exchange, ending where a reply ends.
    BL_FUZZ_CHECK(reply == controller->Sent());
    const auto end = FindReplyEnd(reply);
    BL_FUZZ_CHECK((end.kind == Kind::kComplete && end.length == reply.size()) ||
                  end.kind == Kind::kBareBel);
  }
  if (!transport->IsOpen() || controller->HangingUp()) {
    // The controller must be back at accept before the next input loads its script.
    transport->Close();
    controller->WaitIdle();
  }
  return 0;
}
