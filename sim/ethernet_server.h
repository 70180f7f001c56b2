#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "protocol/socket_io.h"
#include "sim/faults.h"

namespace sim {

namespace net = protocol::net;

class Controller;

// Serves one Controller over the Ethernet protocol on 127.0.0.1, one client after another, on a
// thread of its own. Malformed headers and oversized packets close the connection; unknown
// requests get an error reply. Stop() may be called from any thread.
class EthernetServer {
 public:
  explicit EthernetServer(Controller& controller);
  ~EthernetServer();
  EthernetServer(const EthernetServer&) = delete;
  EthernetServer& operator=(const EthernetServer&) = delete;

  // Binds 127.0.0.1:port (0: any free port) and starts serving. False with a short reason when
  // the port cannot be bound or the server already runs.
  bool Start(std::uint16_t port, std::string& error);
  // The bound port (0 before Start).
  std::uint16_t Port() const { return port_.load(); }
  // Closes the listening socket and any client connection; returns when the thread has ended.
  void Stop();

  Faults& faults() { return faults_; }

 private:
  class Session;
  void Run();

  Controller& controller_;
  Faults faults_;
  net::UniqueFd listen_;
  net::WakePipe wake_;
  std::thread thread_;
  std::mutex startStop_;
  std::atomic<std::uint16_t> port_{0};
  std::atomic<bool> stopping_{false};
};

}  // namespace sim
