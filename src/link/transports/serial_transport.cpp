#include "link/transports/serial_transport.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "protocol/wire.h"

namespace bl {

namespace net = protocol::net;

namespace {

using protocol::kCancel;
using protocol::kCr;
constexpr std::size_t kMaxReply = 8 * 1024 * 1024;
// After a bare BEL (I6 = 0 or 2) nothing ends the reply but silence.
constexpr auto kQuiet = std::chrono::milliseconds(50);

speed_t Speed(int baud) {
  switch (baud) {
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return B38400;
  }
}

}  // namespace

SerialTransport::SerialTransport(std::string path, int baud, std::chrono::milliseconds timeout)
    : path_(std::move(path)), baud_(baud), timeout_(timeout) {}

SerialTransport::~SerialTransport() { Close(); }

bool SerialTransport::Open(std::string& error) {
  std::lock_guard lock(mutex_);
  open_ = false;
  fd_.Reset(::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!fd_.Valid()) {
    error = lastError_ = "cannot open " + path_ + ": " + std::strerror(errno);
    return false;
  }
  termios tio{};
  if (tcgetattr(fd_.Get(), &tio) != 0) {
    error = lastError_ = path_ + " is not a serial line";
    fd_.Reset();
    return false;
  }
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  cfsetispeed(&tio, Speed(baud_));
  cfsetospeed(&tio, Speed(baud_));
  if (tcsetattr(fd_.Get(), TCSANOW, &tio) != 0) {
    error = lastError_ = "cannot set up " + path_ + ": " + std::strerror(errno);
    fd_.Reset();
    return false;
  }
  open_ = true;
  lastError_.clear();
  Resynchronise();
  return true;
}

void SerialTransport::Close() {
  std::lock_guard lock(mutex_);
  open_ = false;
  fd_.Reset();
}

std::string SerialTransport::LastError() const {
  std::lock_guard lock(mutex_);
  return lastError_;
}

void SerialTransport::Resynchronise() {
  // Ctrl-X makes the controller drop its output and the line typed so far; what was already on
  // the way is read and thrown away.
  const char cancel = kCancel;
  net::WriteAll(fd_.Get(), std::string_view(&cancel, 1),
                          net::DeadlineAfter(std::chrono::milliseconds(200)));
  std::string junk;
  while (junk.size() < kMaxReply &&
         net::ReadSome(fd_.Get(), junk, 4096, net::DeadlineAfter(kQuiet)) ==
             net::Io::kOk) {
  }
  tcflush(fd_.Get(), TCIFLUSH);
}

net::Io SerialTransport::ReadReply(std::string& reply) {
  using protocol::ReplyEnd;
  const auto deadline = net::DeadlineAfter(timeout_);
  std::size_t scanFrom = 0;
  for (;;) {
    const ReplyEnd end = protocol::FindReplyEnd(reply, scanFrom);
    if (end.kind == ReplyEnd::Kind::kComplete) {
      reply.resize(end.length);
      return net::Io::kOk;
    }
    scanFrom = end.resume;
    if (reply.size() > kMaxReply) return net::Io::kError;
    // A bare BEL ends the reply once the line has gone quiet.
    const bool bell = end.kind == ReplyEnd::Kind::kBareBel;
    const auto wait = bell ? std::min(deadline, net::DeadlineAfter(kQuiet)) : deadline;
    const net::Io io = net::ReadSome(fd_.Get(), reply, 4096, wait);
    if (io == net::Io::kTimeout && bell) return net::Io::kOk;
    if (io != net::Io::kOk) return io;
  }
}

std::string SerialTransport::Exchange(std::string_view out) {
  std::lock_guard lock(mutex_);
  if (!open_.load()) {
    lastError_ = "not connected";
    return std::string(kLinkErrorReply);
  }
  std::string reply;
  net::Io io = net::WriteAll(fd_.Get(), out, net::DeadlineAfter(timeout_));
  if (io == net::Io::kOk) io = ReadReply(reply);
  switch (io) {
    case net::Io::kOk:
      return reply;
    case net::Io::kTimeout:
      // The line is still there: clear whatever might arrive late and go on with it.
      lastError_ = "no answer within " + std::to_string(timeout_.count()) + " ms";
      Resynchronise();
      break;
    case net::Io::kError:
      if (reply.size() > kMaxReply) {
        lastError_ = "the reply is too long";
        Resynchronise();
        break;
      }
      [[fallthrough]];
    default:
      // The port itself failed (an adapter unplugged, the other end of a pseudo-terminal gone):
      // it is closed, and the owner opens it again for the next exchange.
      lastError_ = io == net::Io::kClosed ? "the line was closed at the other end"
                                                    : "the line failed";
      open_ = false;
      fd_.Reset();
      break;
  }
  return std::string(kLinkErrorReply);
}

std::string SerialTransport::GetResponse(std::string_view command) {
  std::string out(command.substr(0, command.find_first_of("\r\n")));
  out += kCr;
  return Exchange(out);
}

std::string SerialTransport::ControlResponse(char c) { return Exchange(std::string_view(&c, 1)); }

}  // namespace bl
