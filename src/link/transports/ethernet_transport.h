#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "link/transports/transport.h"
#include "sim/ethernet_protocol.h"
#include "sim/socket_io.h"

namespace bl {

// A controller reached over TCP with the controller's Ethernet protocol. Each exchange is one
// GETRESPONSE (or CTRL_RESPONSE) and, for replies longer than one packet, READREADY/GETBUFFER
// until the reply has ended. Every wait is bounded by the timeout; a connection that drops or
// stays silent gives kLinkErrorReply and closes the transport (the reason is in LastError()).
// Exchanges from several threads are serialised.
class EthernetTransport final : public Transport {
 public:
  EthernetTransport(std::string host, std::uint16_t port = sim::eth::kDefaultPort,
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

  std::string LastError() const;

 private:
  std::string Exchange(const sim::eth::Header& header, std::string_view data);
  // Reads one answer (at most one packet's worth) into `reply`; false with `reason` on failure.
  bool ReadAnswer(std::string& reply, std::string& reason);
  // Polls READREADY until more reply waits (true) or the reply turns out to be whole.
  bool MoreWaiting(const std::string& reply, bool& whole, std::string& reason);
  bool SendHeader(const sim::eth::Header& header, std::string_view data = {});
  std::string Fail(std::string reason);
  void CloseLocked();

  const std::string host_;
  const std::uint16_t port_;
  const std::chrono::milliseconds timeout_;
  mutable std::mutex mutex_;
  sim::net::UniqueFd socket_;
  std::atomic<bool> open_{false};
  std::string lastError_;
};

}  // namespace bl
