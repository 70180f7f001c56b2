#include "link/transports/serial_transport.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace bl {

namespace {

constexpr char kAck = 6;
constexpr char kBell = 7;
constexpr char kCr = 13;
constexpr char kCancel = 24;
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

// The reply is whole at its ACK, or at the CR after a BEL.
bool ReplyEnded(const std::string& reply) {
  if (reply.find(kAck) != std::string::npos) return true;
  const std::size_t bell = reply.find(kBell);
  return bell != std::string::npos && reply.find(kCr, bell) != std::string::npos;
}

}  // namespace

SerialTransport::SerialTransport(std::string path, int baud, std::chrono::milliseconds timeout)
    : path_(std::move(path)), baud_(baud), timeout_(timeout) {}

SerialTransport::~SerialTransport() { Close(); }

bool SerialTransport::Open(std::string& error) {
  std::lock_guard lock(mutex_);
  fd_.Reset(::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK));
  if (!fd_.Valid()) {
    error = "cannot open " + path_;
    return false;
  }
  termios tio{};
  if (tcgetattr(fd_.Get(), &tio) != 0) {
    error = path_ + " is not a serial line";
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
    error = "cannot set up " + path_;
    fd_.Reset();
    return false;
  }
  open_ = true;
  Resynchronise();
  return true;
}

void SerialTransport::Close() {
  std::lock_guard lock(mutex_);
  open_ = false;
  fd_.Reset();
}

void SerialTransport::Resynchronise() {
  // Ctrl-X makes the controller drop its output and the line typed so far; what was already on
  // the way is read and thrown away.
  const char cancel = kCancel;
  sim::net::WriteAll(fd_.Get(), std::string_view(&cancel, 1),
                     sim::net::DeadlineAfter(std::chrono::milliseconds(200)));
  std::string junk;
  while (junk.size() < kMaxReply &&
         sim::net::ReadSome(fd_.Get(), junk, 4096, sim::net::DeadlineAfter(kQuiet)) ==
             sim::net::Io::kOk) {
  }
  tcflush(fd_.Get(), TCIFLUSH);
}

bool SerialTransport::ReadReply(std::string& reply) {
  const auto deadline = sim::net::DeadlineAfter(timeout_);
  while (!ReplyEnded(reply)) {
    if (reply.size() > kMaxReply) return false;
    // A bare BEL ends the reply once the line has gone quiet.
    const bool bell = reply.find(kBell) != std::string::npos;
    const auto wait = bell ? std::min(deadline, sim::net::DeadlineAfter(kQuiet)) : deadline;
    const sim::net::Io io = sim::net::ReadSome(fd_.Get(), reply, 4096, wait);
    if (io == sim::net::Io::kTimeout && bell) return true;
    if (io != sim::net::Io::kOk) return false;
  }
  return true;
}

std::string SerialTransport::Exchange(std::string_view out) {
  std::lock_guard lock(mutex_);
  if (!open_.load()) return std::string(kLinkErrorReply);
  std::string reply;
  if (sim::net::WriteAll(fd_.Get(), out, sim::net::DeadlineAfter(timeout_)) != sim::net::Io::kOk ||
      !ReadReply(reply)) {
    Resynchronise();
    return std::string(kLinkErrorReply);
  }
  return reply;
}

std::string SerialTransport::GetResponse(std::string_view command) {
  std::string out(command.substr(0, command.find_first_of("\r\n")));
  out += kCr;
  return Exchange(out);
}

std::string SerialTransport::ControlResponse(char c) { return Exchange(std::string_view(&c, 1)); }

}  // namespace bl
