#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>

#include "link/transports/transport.h"
#include "protocol/socket_io.h"
#include "protocol/wire.h"

namespace bl {

// A controller on an RS-232 line (or anything that looks like one: a USB adapter, a
// pseudo-terminal), spoken to in the controller's ASCII protocol with I3 = 2 and I6 = 1: a
// command and CR out, the reply lines and ACK back, or BEL "ERRnnn" CR for an error. Every wait
// is bounded by the timeout; a silent line gives kLinkErrorReply, after which Ctrl-X and a flush
// clear whatever might still arrive late. A port that fails is closed, to be opened again.
class SerialTransport final : public Transport {
 public:
  SerialTransport(std::string path, int baud,
                  std::chrono::milliseconds timeout = std::chrono::seconds(5));
  ~SerialTransport() override;

  bool Open(std::string& error) override;
  void Close() override;
  bool IsOpen() const override { return open_.load(); }
  std::string GetResponse(std::string_view command) override;
  std::string ControlResponse(char c) override;
  // The serial protocol has no bootstrap query.
  bool InBootstrap() override { return false; }
  std::string Where() const override { return path_; }
  std::string LastError() const override;

 private:
  std::string Exchange(std::string_view out);
  // Reads until the reply has ended: kOk, kTimeout when the line went silent, kError for a reply
  // past every limit, kClosed or kError when the port failed.
  protocol::net::Io ReadReply(std::string& reply);
  void Resynchronise();

  const std::string path_;
  const int baud_;
  const std::chrono::milliseconds timeout_;
  mutable std::mutex mutex_;
  protocol::net::UniqueFd fd_;
  std::atomic<bool> open_{false};
  std::string lastError_;
};

}  // namespace bl
