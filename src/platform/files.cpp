#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace bl::platform {

namespace {

std::string Reason(int error) { return std::strerror(error); }

// A file descriptor closed on every way out.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::string ConfigFolder() {
  std::filesystem::path folder;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    folder = xdg;
  else if (const char* home = std::getenv("HOME"); home && *home)
    folder = std::filesystem::path(home) / ".config";
  else
    folder = ".";
  return (folder / "brightlantern").string();
}

std::string DataFolder() {
  std::filesystem::path folder;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
    folder = xdg;
  else if (const char* home = std::getenv("HOME"); home && *home)
    folder = std::filesystem::path(home) / ".local" / "share";
  else
    folder = ".";
  return (folder / "brightlantern").string();
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error) {
  AtomicFileWriter writer;
  return writer.Open(path, error) && writer.Write(bytes, error) && writer.Commit(error);
}

bool AtomicFileWriter::Open(const std::string& path, std::string& error) {
  Discard();
  // The file is written beside its place under a name of this writer's own: two writers of the
  // same file (two copies of the program, two threads) must never write into one temporary.
  static std::atomic<unsigned> writes{0};
  // A file being replaced keeps its permissions; a new one gets the usual 0666 less the umask.
  mode_t mode = 0666;
  if (struct stat st{}; ::stat(path.c_str(), &st) == 0) {
    // Never rename a plain file over a device, a pipe or a folder of the same name.
    if (!S_ISREG(st.st_mode)) {
      error = "cannot replace " + path + ": not a plain file";
      return false;
    }
    mode = st.st_mode & 07777;
  }
  std::string temporary;
  int opened = -1;
  for (int attempt = 0; attempt < 100 && opened < 0; ++attempt) {
    temporary = path + ".new." + std::to_string(::getpid()) + "." + std::to_string(writes++);
    opened = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (opened < 0 && errno != EEXIST) break;  // EEXIST: a leftover of an earlier run
  }
  if (opened < 0) {
    error = "cannot create " + temporary + ": " + Reason(errno);
    return false;
  }
  path_ = path;
  temporary_ = std::move(temporary);
  fd_ = opened;
  return true;
}

bool AtomicFileWriter::Fail(const std::string& what, int code, std::string& error) {
  error = what + ": " + Reason(code);
  Discard();
  return false;
}

void AtomicFileWriter::Discard() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  ::unlink(temporary_.c_str());
}

bool AtomicFileWriter::Write(std::string_view bytes, std::string& error) {
  if (fd_ < 0) {
    error = "cannot write " + path_ + ": the file is not open";
    return false;
  }
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd_, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail("cannot write " + path_, n < 0 ? errno : ENOSPC, error);
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

bool AtomicFileWriter::Commit(std::string& error) {
  if (fd_ < 0) {
    error = "cannot write " + path_ + ": the file is not open";
    return false;
  }
  if (::fsync(fd_) != 0 && errno != EINVAL) return Fail("cannot write " + path_, errno, error);
  // Closed here so that a delayed write error shows before the old file is replaced.
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    const int code = errno;
    ::unlink(temporary_.c_str());
    error = "cannot write " + path_ + ": " + Reason(code);
    return false;
  }
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
    const int code = errno;
    ::unlink(temporary_.c_str());
    error = "cannot replace " + path_ + ": " + Reason(code);
    return false;
  }
  return true;
}

bool ReadFileBounded(const std::string& path, std::size_t maxBytes, std::string& bytes,
                     bool& tooLong, std::string& error) {
  bytes.clear();
  tooLong = false;
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) {
    error = "cannot open " + path + ": " + Reason(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    error = "cannot open " + path + ": not a plain file";
    return false;
  }
  // Sized by the file, not by the limit: a limit of a gigabyte must not cost one for a small
  // file. The buffer grows should the file be longer than it was a moment ago.
  const std::size_t expected = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 4096;
  bytes.resize(std::min(maxBytes, expected));
  std::size_t got = 0;
  while (got < maxBytes) {
    if (got == bytes.size()) bytes.resize(std::min(maxBytes, 2 * bytes.size()));
    const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = "cannot read " + path + ": " + Reason(errno);
      bytes.clear();
      return false;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  if (got == maxBytes) {
    char probe;
    ssize_t n;
    do n = ::read(fd.get(), &probe, 1);
    while (n < 0 && errno == EINTR);
    tooLong = n > 0;
  }
  return true;
}

}  // namespace bl::platform
