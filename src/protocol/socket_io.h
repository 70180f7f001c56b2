#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

// Small POSIX I/O helpers with poll()-based deadlines, shared by the Ethernet and serial servers
// and clients; they work on sockets and on terminals alike. Every wait can also end early when a
// wake descriptor becomes readable.
namespace protocol::net {

using Clock = std::chrono::steady_clock;
inline constexpr Clock::time_point kNoDeadline = Clock::time_point::max();

enum class Io { kOk, kTimeout, kClosed, kWoken, kError };

// A file descriptor closed on destruction.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(); }

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset(int fd = -1);

 private:
  int fd_ = -1;
};

// A self-pipe: Wake() from any thread makes ReadFd() readable until Drain().
class WakePipe {
 public:
  WakePipe();
  void Wake();
  void Drain();
  int ReadFd() const { return read_.Get(); }

 private:
  UniqueFd read_, write_;
};

// Waits until fd is readable (fd -1: only the wake descriptor and the deadline count).
Io WaitReadable(int fd, Clock::time_point deadline, int wakeFd = -1);
// Exactly n bytes, or the reason there are not.
Io ReadExact(int fd, void* buffer, std::size_t n, Clock::time_point deadline, int wakeFd = -1);
// At least one and at most `max` bytes, appended to `out`.
Io ReadSome(int fd, std::string& out, std::size_t max, Clock::time_point deadline, int wakeFd = -1);
Io WriteAll(int fd, std::string_view data, Clock::time_point deadline, int wakeFd = -1);

inline Clock::time_point DeadlineAfter(std::chrono::milliseconds timeout) {
  return Clock::now() + timeout;
}

}  // namespace protocol::net
