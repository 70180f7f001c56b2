#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "link/transports/transport.h"
#include "protocol/ethernet_protocol.h"
#include "protocol/wire.h"
#include "protocol/socket_io.h"

namespace bl {

// A controller reached over TCP with the controller's Ethernet protocol. Each exchange is one
// GETRESPONSE (or CTRL_RESPONSE) and, for replies longer than one packet, READREADY/GETBUFFER
// until the reply has ended. Every wait is bounded by the timeout; a connection that drops or
// stays silent gives kLinkErrorReply and closes the transport (the reason is in LastError()), so
// that a late answer never passes for the next reply. Exchanges from several threads are
// serialised.
class EthernetTransport final : public Transport {
 public:
  EthernetTransport(std::string host, std::uint16_t port = protocol::eth::kDefaultPort,
                    std::chrono::milliseconds timeout = std::chrono::seconds(5));
  ~EthernetTransport() override;

  // Connects and flushes whatever output the controller still holds.
  bool Open(std::string& error) override;
  void Close() override;
  bool IsOpen() const override { return open_.load(); }
  std::string GetResponse(std::string_view command) override;
  std::string ControlResponse(char c) override;
  // The Ethernet protocol has no bootstrap query; a controller that answers it runs its
  // firmware.
  bool InBootstrap() override { return false; }
  std::string Where() const override;
  std::string LastError() const override;

 private:
  // A reply as it comes in, and how far it has been scanned for its end.
  struct Reading {
    std::string reply;
    std::size_t scanFrom = 0;
    protocol::ReplyEnd end;
    // Scans what came in since the last scan.
    void Scan();
  };

  std::string Exchange(const protocol::eth::Header& header, std::string_view data);
  // Reads one answer (at most one packet's worth) onto the reply; false with `reason` on
  // failure.
  bool ReadAnswer(Reading& reading, std::string& reason);
  // Polls READREADY until more reply waits (true) or the reply turns out to be whole.
  bool MoreWaiting(const Reading& reading, bool& whole, std::string& reason);
  bool SendHeader(const protocol::eth::Header& header, std::string_view data = {});
  std::string Fail(std::string reason);
  void CloseLocked();

  const std::string host_;
  const std::uint16_t port_;
  const std::chrono::milliseconds timeout_;
  mutable std::mutex mutex_;
  protocol::net::UniqueFd socket_;
  std::atomic<bool> open_{false};
  std::string lastError_;
};

}  // namespace bl
