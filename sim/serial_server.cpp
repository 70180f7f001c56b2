#include "sim/serial_server.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include "sim/controller.h"

namespace sim {

namespace {

constexpr char kEnter = 13;
constexpr char kLineFeed = 10;
constexpr char kBackspace = 8;
constexpr char kCancelLine = 24;
// A line longer than the controller takes is still ended and refused by the controller; what
// comes beyond this is dropped rather than kept without bound.
constexpr std::size_t kMaxLine = 4096;

}  // namespace

SerialServer::SerialServer(Controller& controller) : controller_(controller) {}

SerialServer::~SerialServer() { Stop(); }

bool SerialServer::Start(std::string& error) {
  std::lock_guard lock(mutex_);
  if (master_.Valid()) {
    error = "the serial line is already served";
    return false;
  }
  net::UniqueFd master(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK));
  if (!master.Valid() || grantpt(master.Get()) != 0 || unlockpt(master.Get()) != 0) {
    error = "no pseudo-terminal available";
    return false;
  }
  char name[128];
  if (ptsname_r(master.Get(), name, sizeof name) != 0) {
    error = "no pseudo-terminal name";
    return false;
  }
  net::UniqueFd slave(::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK));
  if (!slave.Valid()) {
    error = std::string("cannot open ") + name;
    return false;
  }
  // A raw line: no echo, no line editing, no translation of CR, before any client sets it.
  termios tio{};
  if (tcgetattr(slave.Get(), &tio) == 0) {
    cfmakeraw(&tio);
    tcsetattr(slave.Get(), TCSANOW, &tio);
  }
  master_ = std::move(master);
  keepOpen_ = std::move(slave);
  path_ = name;
  stopping_ = false;
  thread_ = std::thread([this] { Run(); });
  return true;
}

std::string SerialServer::Path() const {
  std::lock_guard lock(mutex_);
  return path_;
}

void SerialServer::Stop() {
  std::thread thread;
  {
    std::lock_guard lock(mutex_);
    if (!thread_.joinable()) return;
    stopping_ = true;
    wake_.Wake();
    thread = std::move(thread_);
  }
  thread.join();
  std::lock_guard lock(mutex_);
  master_.Reset();
  keepOpen_.Reset();
  path_.clear();
  wake_.Drain();
}

void SerialServer::Run() {
  const int fd = master_.Get();
  std::string line;
  std::string input;
  while (!stopping_.load()) {
    input.clear();
    const net::Io io = net::ReadSome(fd, input, 4096, net::kNoDeadline, wake_.ReadFd());
    if (io == net::Io::kWoken) break;
    if (io != net::Io::kOk) {
      // No client on the line just now: wait a little and listen again.
      if (net::WaitReadable(-1, net::DeadlineAfter(std::chrono::milliseconds(20)),
                            wake_.ReadFd()) == net::Io::kWoken)
        break;
      continue;
    }
    for (char c : input) {
      std::string reply;
      if (c == kEnter) {
        reply = controller_.Respond(line);
        line.clear();
      } else if (c == kLineFeed) {
        continue;
      } else if (c == kBackspace) {
        if (!line.empty()) line.pop_back();
        continue;
      } else if (c == kCancelLine) {
        line.clear();
        continue;
      } else if (c >= 1 && c <= 26) {
        reply = controller_.RespondControl(c);
      } else {
        if (line.size() < kMaxLine) line += c;
        continue;
      }
      net::WriteAll(fd, reply, net::DeadlineAfter(std::chrono::seconds(5)), wake_.ReadFd());
    }
  }
}

}  // namespace sim
