#include "sim/ethernet_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "protocol/ethernet_protocol.h"
#include "sim/controller.h"
#include "sim/text.h"

namespace sim {

namespace eth = protocol::eth;

namespace {

// A packet that has begun must arrive whole within this time; an answer must leave within it.
constexpr std::chrono::seconds kPacketTimeout{5};
// Output kept for GETLINE/GETBUFFER beyond this is dropped, oldest first, so a client that only
// sends cannot grow it without end.
constexpr std::size_t kMaxWaitingOutput = 1 << 20;

std::string_view CommandLine(std::string_view data) {
  while (!data.empty() && (data.back() == '\0' || data.back() == '\r' || data.back() == '\n')) {
    data.remove_suffix(1);
  }
  return data;
}

}  // namespace

// One client connection: reads requests, answers them, keeps the output not yet fetched.
class EthernetServer::Session {
 public:
  Session(Controller& controller, Faults& faults, int fd, int wakeFd)
      : controller_(controller), faults_(faults), fd_(fd), wakeFd_(wakeFd) {}

  // Until the client leaves, sends something malformed, or the server stops.
  void Serve() {
    while (HandleOne()) {
    }
  }

 private:
  bool HandleOne() {
    using eth::Header;
    if (net::WaitReadable(fd_, net::kNoDeadline, wakeFd_) != net::Io::kOk) return false;
    std::array<std::uint8_t, eth::kHeaderSize> bytes{};
    auto deadline = net::Clock::now() + kPacketTimeout;
    if (net::ReadExact(fd_, bytes.data(), bytes.size(), deadline, wakeFd_) != net::Io::kOk) {
      return false;
    }
    Header header = eth::DecodeHeader(bytes);
    if (header.requestType != eth::kDownload && header.requestType != eth::kUpload) return false;
    std::string data;
    if (header.requestType == eth::kDownload && header.length > 0) {
      if (header.length > eth::kMaxData) return false;
      data.resize(header.length);
      if (net::ReadExact(fd_, data.data(), data.size(), deadline, wakeFd_) != net::Io::kOk) {
        return false;
      }
    }

    if (faults_.TakeDrop()) return false;
    if (faults_.silent.load()) return true;
    if (auto delay = faults_.ReplyDelay(); delay.count() > 0 && !Delay(delay)) return false;
    return Answer(header, data);
  }

  // Waits before answering; false when the server stops or the client hangs up meanwhile (a
  // client that gave up must not keep the next one waiting for a reply nobody reads).
  bool Delay(std::chrono::milliseconds delay) {
    const auto deadline = net::DeadlineAfter(delay);
    switch (net::WaitReadable(fd_, deadline, wakeFd_)) {
      case net::Io::kTimeout:
        return true;
      case net::Io::kOk: {
        char byte = 0;
        if (::recv(fd_, &byte, 1, MSG_PEEK) <= 0) return false;
        // The next request is already there: it waits its turn.
        return net::WaitReadable(-1, deadline, wakeFd_) == net::Io::kTimeout;
      }
      default:
        return false;
    }
  }

  bool Answer(const eth::Header& header, std::string_view data) {
    const char ack[1] = {kAck};
    char c = eth::ControlCharFromValue(header.value);
    switch (header.request) {
      case eth::kGetResponse:
        return SendReply(Noisy(controller_.Respond(CommandLine(data))));
      case eth::kCtrlResponse:
        return SendReply(Noisy(controller_.RespondControl(c)));
      case eth::kReadReady: {
        const char ready[2] = {static_cast<char>(Waiting().empty() ? 0 : 1), 0};
        return Send({ready, 2});
      }
      case eth::kGetBuffer:
        return SendChunk();
      case eth::kSendCtrlChar:
        if (c == 24) Clear();  // ^X cancels the waiting output
        Keep(controller_.RespondControl(c));
        return Send({ack, 1});
      case eth::kFlush:
        Clear();
        return Send({ack, 1});
      case eth::kSendLine:
        Keep(controller_.Respond(CommandLine(data)));
        return Send({ack, 1});
      case eth::kGetLine:
        return Send(TakeLine());
      case eth::kWriteBuffer:
        return WriteBuffer(data);
      default: {
        static constexpr char kUnknown[] = "\aERR003\r";
        return Send({kUnknown, sizeof kUnknown - 1});
      }
    }
  }

  bool WriteBuffer(std::string_view data) {
    auto answer = [this](int error, std::size_t line) {
      auto bytes = eth::WriteBufferAnswer(error, line);
      return Send({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    };
    if (data.size() > eth::kMaxWriteBuffer) return answer(6, 0);  // buffer full
    std::size_t line = 0;
    for (std::size_t start = 0; start < data.size(); ++line) {
      std::size_t end = std::min(data.find('\0', start), data.size());
      std::string_view text = CommandLine(data.substr(start, end - start));
      start = end + 1;
      if (text.empty()) continue;
      if (Reply reply = controller_.Execute(text); reply.error != 0) {
        return answer(reply.error, line);
      }
    }
    return answer(0, 0);
  }

  std::string Noisy(std::string reply) {
    return faults_.garbageReplies.load() ? NoiseReply(noiseSeed_++) : reply;
  }

  std::string_view Waiting() const { return std::string_view(waiting_).substr(sent_); }
  void Clear() {
    waiting_.clear();
    sent_ = 0;
  }
  void Keep(std::string_view text) {
    waiting_.erase(0, sent_);
    sent_ = 0;
    if (waiting_.size() + text.size() > kMaxWaitingOutput) waiting_.clear();
    waiting_.append(text.substr(0, kMaxWaitingOutput));
  }

  // A reply goes out in parts of at most 1400 bytes; the rest waits for GETBUFFER.
  bool SendReply(std::string reply) {
    if (faults_.TakeDropMidReply()) {
      Send(std::string_view(reply).substr(0, std::min(reply.size(), eth::kMaxAnswer) / 2));
      return false;
    }
    waiting_ = std::move(reply);
    sent_ = 0;
    return SendChunk();
  }
  bool SendChunk() {
    std::string_view waiting = Waiting();
    if (waiting.empty()) {
      const char ack[1] = {kAck};
      return Send({ack, 1});
    }
    std::string_view part = waiting.substr(0, eth::kMaxAnswer);
    sent_ += part.size();
    bool ok = Send(part);
    if (Waiting().empty()) Clear();
    return ok;
  }

  // The next waiting line (through its CR), or the closing ACK, or ACK when nothing waits.
  std::string TakeLine() {
    std::string_view waiting = Waiting();
    if (waiting.empty()) return std::string(1, kAck);
    std::size_t end = waiting.find_first_of(std::string_view("\r\x06", 2));
    std::size_t n = end == std::string_view::npos     ? waiting.size()
                    : waiting[end] == kCr || end == 0 ? end + 1
                                                      : end;
    n = std::min(n, eth::kMaxAnswer);
    std::string line(waiting.substr(0, n));
    sent_ += n;
    if (Waiting().empty()) Clear();
    return line;
  }

  bool Send(std::string_view bytes) {
    if (!faults_.splitReplies.load()) return SendNow(bytes);
    for (std::size_t at = 0; at < bytes.size();) {
      const std::size_t n = std::min<std::size_t>(1 + (splitSeed_++ % 5), bytes.size() - at);
      if (!SendNow(bytes.substr(at, n))) return false;
      at += n;
      // A pause now and then, so that the reader really gets the pieces one by one.
      if (splitSeed_ % 8 == 0 &&
          net::WaitReadable(-1, net::DeadlineAfter(std::chrono::milliseconds(1)), wakeFd_) ==
              net::Io::kWoken) {
        return false;
      }
    }
    return true;
  }
  bool SendNow(std::string_view bytes) {
    return net::WriteAll(fd_, bytes, net::Clock::now() + kPacketTimeout, wakeFd_) == net::Io::kOk;
  }

  Controller& controller_;
  Faults& faults_;
  int fd_;
  int wakeFd_;
  std::string waiting_;  // output not yet fetched; waiting_[sent_..] is still to go
  std::size_t sent_ = 0;
  std::uint32_t splitSeed_ = 0;
  std::uint32_t noiseSeed_ = 0;
};

EthernetServer::EthernetServer(Controller& controller) : controller_(controller) {}

EthernetServer::~EthernetServer() { Stop(); }

bool EthernetServer::Start(std::uint16_t port, std::string& error) {
  std::lock_guard lock(startStop_);
  if (thread_.joinable()) {
    error = "the server already runs";
    return false;
  }
  net::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd.Valid()) {
    error = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  int on = 1;
  ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd.Get(), 8) != 0) {
    error = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
    return false;
  }
  socklen_t length = sizeof address;
  ::getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  listen_ = std::move(fd);
  stopping_ = false;
  wake_.Drain();
  thread_ = std::thread([this] { Run(); });
  return true;
}

void EthernetServer::Stop() {
  std::lock_guard lock(startStop_);
  if (!thread_.joinable()) return;
  stopping_ = true;
  wake_.Wake();
  thread_.join();
  listen_.Reset();
}

void EthernetServer::Run() {
  while (!stopping_) {
    if (net::WaitReadable(listen_.Get(), net::kNoDeadline, wake_.ReadFd()) != net::Io::kOk) break;
    net::UniqueFd client(::accept4(listen_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!client.Valid()) {
      // Out of descriptors or an aborted connection: pause instead of spinning on accept.
      net::WaitReadable(-1, net::DeadlineAfter(std::chrono::milliseconds(10)), wake_.ReadFd());
      continue;
    }
    int on = 1;
    ::setsockopt(client.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    Session(controller_, faults_, client.Get(), wake_.ReadFd()).Serve();
  }
}

}  // namespace sim
