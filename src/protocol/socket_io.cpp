#include "protocol/socket_io.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace protocol::net {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) Reset(other.Release());
  return *this;
}

void UniqueFd::Reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

WakePipe::WakePipe() {
  int fds[2] = {-1, -1};
  if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
    read_.Reset(fds[0]);
    write_.Reset(fds[1]);
  }
}

void WakePipe::Wake() {
  char byte = 1;
  [[maybe_unused]] auto n = ::write(write_.Get(), &byte, 1);
}

void WakePipe::Drain() {
  char bytes[64];
  while (::read(read_.Get(), bytes, sizeof bytes) > 0) {
  }
}

namespace {

int PollTimeoutMs(Clock::time_point deadline) {
  if (deadline == kNoDeadline) return -1;
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  if (left.count() <= 0) return 0;
  return left.count() > 60000 ? 60000 : static_cast<int>(left.count()) + 1;
}

// Waits for `events` on fd; kOk when they came.
Io Wait(int fd, short events, Clock::time_point deadline, int wakeFd) {
  for (;;) {
    pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
    int timeout = PollTimeoutMs(deadline);
    int n = ::poll(fds, 2, timeout);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Io::kError;
    }
    if (fds[1].revents != 0) return Io::kWoken;
    if (fds[0].revents != 0) return Io::kOk;  // readable, or an error/hang-up the read reports
    if (Clock::now() >= deadline) return Io::kTimeout;
  }
}

// Sockets are read and written with recv/send (no SIGPIPE on a closed peer); other descriptors,
// such as the pseudo-terminal of a serial line, with read/write. The descriptor is non-blocking
// or has just been polled ready, so neither blocks.
ssize_t ReceiveSome(int fd, void* buffer, std::size_t n) {
  ssize_t got = ::recv(fd, buffer, n, MSG_DONTWAIT);
  if (got < 0 && errno == ENOTSOCK) got = ::read(fd, buffer, n);
  return got;
}

ssize_t SendSome(int fd, const void* data, std::size_t n) {
  ssize_t sent = ::send(fd, data, n, MSG_NOSIGNAL | MSG_DONTWAIT);
  if (sent < 0 && errno == ENOTSOCK) sent = ::write(fd, data, n);
  return sent;
}

}  // namespace

Io WaitReadable(int fd, Clock::time_point deadline, int wakeFd) {
  return Wait(fd, POLLIN, deadline, wakeFd);
}

Io ReadSome(int fd, std::string& out, std::size_t max, Clock::time_point deadline, int wakeFd) {
  char buffer[4096];
  for (;;) {
    if (Io io = Wait(fd, POLLIN, deadline, wakeFd); io != Io::kOk) return io;
    std::size_t want = max < sizeof buffer ? max : sizeof buffer;
    ssize_t n = ReceiveSome(fd, buffer, want);
    if (n > 0) {
      out.append(buffer, static_cast<std::size_t>(n));
      return Io::kOk;
    }
    if (n == 0) return Io::kClosed;
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return Io::kClosed;
  }
}

Io ReadExact(int fd, void* buffer, std::size_t n, Clock::time_point deadline, int wakeFd) {
  auto* bytes = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < n) {
    if (Io io = Wait(fd, POLLIN, deadline, wakeFd); io != Io::kOk) return io;
    ssize_t got = ReceiveSome(fd, bytes + done, n - done);
    if (got > 0) {
      done += static_cast<std::size_t>(got);
    } else if (got == 0) {
      return Io::kClosed;
    } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      return Io::kClosed;
    }
  }
  return Io::kOk;
}

Io WriteAll(int fd, std::string_view data, Clock::time_point deadline, int wakeFd) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = SendSome(fd, data.data() + done, data.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return Io::kClosed;
    if (Io io = Wait(fd, POLLOUT, deadline, wakeFd); io != Io::kOk) return io;
  }
  return Io::kOk;
}

}  // namespace protocol::net
