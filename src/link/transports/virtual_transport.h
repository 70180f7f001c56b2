#pragma once

#include <atomic>
#include <memory>

#include "link/transports/transport.h"
#include "sim/controller.h"
#include "sim/faults.h"

namespace bl {

// The in-process virtual controller. The program drives the controller's time through
// controller() (from the fake clock in tests, the real clock otherwise). The fault switches act
// like a misbehaving connection: a delay before each answer, noise instead of replies, and a
// drop (at once or in the middle of a reply) that closes the transport with an error reply.
class VirtualTransport final : public Transport {
 public:
  explicit VirtualTransport(int typeCode = 5);
  explicit VirtualTransport(std::shared_ptr<sim::Controller> controller);

  bool Open(std::string& error) override;
  void Close() override;
  bool IsOpen() const override { return open_.load(); }
  std::string GetResponse(std::string_view command) override;
  std::string ControlResponse(char c) override;
  bool InBootstrap() override;
  std::string Where() const override;
  std::string LastError() const override;

  sim::Controller& controller() { return *controller_; }
  const std::shared_ptr<sim::Controller>& sharedController() const { return controller_; }
  sim::Faults& faults() { return faults_; }

 private:
  // Applies the fault switches; true when the exchange may go ahead.
  bool Exchange(std::string& failure);
  std::string Received(std::string reply);

  std::shared_ptr<sim::Controller> controller_;
  sim::Faults faults_;
  std::atomic<bool> open_{false};
  std::atomic<std::uint32_t> noiseSeed_{0};
  std::atomic<bool> dropped_{false};
};

}  // namespace bl
