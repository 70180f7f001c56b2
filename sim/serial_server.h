#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "protocol/socket_io.h"

namespace sim {

namespace net = protocol::net;

class Controller;

// Serves one Controller as a serial line on a pseudo-terminal, with the ASCII protocol a PMAC
// speaks on RS-232 (I3 = 2, I6 = 1): a command line runs when CR arrives and its reply ends with
// ACK, an error is BEL "ERRnnn" CR; control characters act at once; Ctrl-X drops the line typed
// so far. A client opens Path() as it would a real port; one after another may come and go.
class SerialServer {
 public:
  explicit SerialServer(Controller& controller);
  ~SerialServer();
  SerialServer(const SerialServer&) = delete;
  SerialServer& operator=(const SerialServer&) = delete;

  // Opens the pseudo-terminal and starts serving; false with a reason.
  bool Start(std::string& error);
  // The device path clients open (/dev/pts/N), empty before Start.
  std::string Path() const;
  // Returns when the serving thread has ended; the path stops working.
  void Stop();

 private:
  void Run();

  Controller& controller_;
  net::UniqueFd master_;
  // Held open so that the line stays up while no client has it open.
  net::UniqueFd keepOpen_;
  net::WakePipe wake_;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::string path_;
  std::atomic<bool> stopping_{false};
};

}  // namespace sim
