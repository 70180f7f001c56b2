#include "link/transports/ethernet_transport.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace bl {

namespace eth = protocol::eth;
namespace net = protocol::net;

namespace {

// A reply that ends in a bare BEL (I6 = 0 or 2) is taken as whole after this much silence.
constexpr std::chrono::milliseconds kBareBelGrace{50};
constexpr std::chrono::milliseconds kReadyPollInterval{2};
// Longer replies than any listing the controller can produce mean the stream is lost.
constexpr std::size_t kMaxReply = 8u << 20;

// Connects a non-blocking socket within the deadline; the descriptor, or -1 and a reason.
int ConnectWithin(const addrinfo& ai, net::Clock::time_point deadline, std::string& reason) {
  net::UniqueFd fd(
      ::socket(ai.ai_family, ai.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai.ai_protocol));
  if (!fd.Valid()) {
    reason = std::strerror(errno);
    return -1;
  }
  if (::connect(fd.Get(), ai.ai_addr, ai.ai_addrlen) != 0) {
    if (errno != EINPROGRESS) {
      reason = std::strerror(errno);
      return -1;
    }
    for (;;) {
      auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - net::Clock::now());
      if (left.count() <= 0) {
        reason = "no answer";
        return -1;
      }
      pollfd p{fd.Get(), POLLOUT, 0};
      int n = ::poll(&p, 1, static_cast<int>(left.count()));
      if (n > 0) break;
      if (n < 0 && errno != EINTR) {
        reason = std::strerror(errno);
        return -1;
      }
    }
    int error = 0;
    socklen_t length = sizeof error;
    ::getsockopt(fd.Get(), SOL_SOCKET, SO_ERROR, &error, &length);
    if (error != 0) {
      reason = std::strerror(error);
      return -1;
    }
  }
  int on = 1;
  ::setsockopt(fd.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return fd.Release();
}

}  // namespace

EthernetTransport::EthernetTransport(std::string host, std::uint16_t port,
                                     std::chrono::milliseconds timeout)
    : host_(std::move(host)), port_(port), timeout_(timeout) {}

EthernetTransport::~EthernetTransport() { Close(); }

std::string EthernetTransport::Where() const { return host_ + ":" + std::to_string(port_); }

bool EthernetTransport::Open(std::string& error) {
  std::lock_guard lock(mutex_);
  CloseLocked();
  const std::string where = Where();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (const int status =
          ::getaddrinfo(host_.c_str(), std::to_string(port_).c_str(), &hints, &found);
      status != 0 || found == nullptr) {
    error = lastError_ = "unknown host " + host_ + " (" + ::gai_strerror(status) + ")";
    if (found != nullptr) ::freeaddrinfo(found);
    return false;
  }
  auto deadline = net::DeadlineAfter(timeout_);
  std::string reason = "no address";
  for (addrinfo* ai = found; ai != nullptr && !socket_.Valid(); ai = ai->ai_next) {
    socket_.Reset(ConnectWithin(*ai, deadline, reason));
  }
  ::freeaddrinfo(found);
  if (!socket_.Valid()) {
    error = lastError_ = "cannot connect to " + where + ": " + reason;
    return false;
  }
  // Start clean: drop whatever reply an earlier client left behind.
  char answer = 0;
  if (!SendHeader({eth::kDownload, eth::kFlush, 0, 0, 0}) ||
      net::ReadExact(socket_.Get(), &answer, 1, net::DeadlineAfter(timeout_)) != net::Io::kOk) {
    CloseLocked();
    error = lastError_ = "the controller at " + where + " does not answer";
    return false;
  }
  open_ = true;
  lastError_.clear();
  return true;
}

void EthernetTransport::Close() {
  std::lock_guard lock(mutex_);
  CloseLocked();
}

void EthernetTransport::CloseLocked() {
  socket_.Reset();
  open_ = false;
}

std::string EthernetTransport::LastError() const {
  std::lock_guard lock(mutex_);
  return lastError_;
}

std::string EthernetTransport::GetResponse(std::string_view command) {
  std::lock_guard lock(mutex_);
  if (command.size() > eth::kMaxData) {
    lastError_ = "command longer than one packet";
    return std::string(kLinkErrorReply);
  }
  return Exchange({eth::kDownload, eth::kGetResponse, 0, 0, 0}, command);
}

std::string EthernetTransport::ControlResponse(char c) {
  std::lock_guard lock(mutex_);
  auto value = static_cast<std::uint16_t>(static_cast<unsigned char>(c));
  return Exchange({eth::kUpload, eth::kCtrlResponse, value, 0, eth::kMaxAnswer}, {});
}

bool EthernetTransport::SendHeader(const eth::Header& header, std::string_view data) {
  std::string packet;
  if (header.requestType == eth::kDownload) {
    packet = eth::Packet(header, data);
  } else {
    auto bytes = eth::EncodeHeader(header);
    packet.assign(bytes.begin(), bytes.end());
  }
  return net::WriteAll(socket_.Get(), packet, net::DeadlineAfter(timeout_)) == net::Io::kOk;
}

std::string EthernetTransport::Fail(std::string reason) {
  // A late answer must never pass for the reply to the next command, so the connection goes;
  // the owner opens it again for the next exchange.
  lastError_ = std::move(reason);
  CloseLocked();
  return std::string(kLinkErrorReply);
}

std::string EthernetTransport::Exchange(const eth::Header& header, std::string_view data) {
  if (!open_) {
    lastError_ = "not connected";
    return std::string(kLinkErrorReply);
  }
  if (!SendHeader(header, data)) return Fail("the connection was closed");
  Reading reading;
  std::string reason;
  for (;;) {
    if (!ReadAnswer(reading, reason)) return Fail(reason);
    if (reading.end.kind == protocol::ReplyEnd::Kind::kComplete) {
      reading.reply.resize(reading.end.length);
      return std::move(reading.reply);
    }
    bool whole = false;
    if (!MoreWaiting(reading, whole, reason)) return Fail(reason);
    if (whole) return std::move(reading.reply);
    if (!SendHeader({eth::kUpload, eth::kGetBuffer, 0, 0, eth::kMaxAnswer})) {
      return Fail("the connection was closed");
    }
  }
}

void EthernetTransport::Reading::Scan() {
  end = protocol::FindReplyEnd(reply, scanFrom);
  if (end.kind != protocol::ReplyEnd::Kind::kComplete) scanFrom = end.resume;
}

bool EthernetTransport::ReadAnswer(Reading& reading, std::string& reason) {
  const std::size_t start = reading.reply.size();
  auto deadline = net::DeadlineAfter(timeout_);
  for (;;) {
    reading.Scan();
    if (reading.end.kind == protocol::ReplyEnd::Kind::kComplete) return true;
    const std::size_t got = reading.reply.size() - start;
    if (got >= eth::kMaxAnswer) return true;  // a full answer: the reply goes on
    if (reading.reply.size() > kMaxReply) {
      reason = "the reply is too long";
      return false;
    }
    const bool bareBel = reading.end.kind == protocol::ReplyEnd::Kind::kBareBel;
    auto wait = bareBel ? net::DeadlineAfter(kBareBelGrace) : deadline;
    switch (net::ReadSome(socket_.Get(), reading.reply, eth::kMaxAnswer - got, wait)) {
      case net::Io::kOk:
        break;
      case net::Io::kTimeout:
        if (bareBel) return true;
        reason = "no answer within " + std::to_string(timeout_.count()) + " ms";
        return false;
      default:
        reason = "the controller closed the connection";
        return false;
    }
  }
}

bool EthernetTransport::MoreWaiting(const Reading& reading, bool& whole, std::string& reason) {
  auto deadline = net::DeadlineAfter(timeout_);
  for (;;) {
    unsigned char ready[2] = {0, 0};
    if (!SendHeader({eth::kUpload, eth::kReadReady, 0, 0, 2}) ||
        net::ReadExact(socket_.Get(), ready, 2, deadline) != net::Io::kOk) {
      reason = "no answer to a status request";
      return false;
    }
    if (ready[0] != 0) return true;
    if (reading.end.kind == protocol::ReplyEnd::Kind::kBareBel) {
      whole = true;
      return true;
    }
    if (net::Clock::now() >= deadline) {
      reason = "the reply stopped before its end";
      return false;
    }
    net::WaitReadable(-1, net::DeadlineAfter(kReadyPollInterval));
  }
}

}  // namespace bl
