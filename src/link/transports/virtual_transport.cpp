#include "link/transports/virtual_transport.h"

#include <thread>

#include "protocol/controller_types.h"

namespace bl {

VirtualTransport::VirtualTransport(int typeCode)
    : controller_(std::make_shared<sim::Controller>(typeCode)) {}

VirtualTransport::VirtualTransport(std::shared_ptr<sim::Controller> controller)
    : controller_(controller ? std::move(controller) : std::make_shared<sim::Controller>()) {}

bool VirtualTransport::Open(std::string&) {
  dropped_ = false;
  open_ = true;
  return true;
}

std::string VirtualTransport::Where() const {
  return "the virtual " + std::string(protocol::ControllerTypeName(controller_->TypeCode()));
}

std::string VirtualTransport::LastError() const {
  return dropped_ ? "the connection was dropped" : "not connected";
}

void VirtualTransport::Close() { open_ = false; }

bool VirtualTransport::Exchange(std::string& failure) {
  if (!open_) {
    failure = std::string(kLinkErrorReply);
    return false;
  }
  if (auto delay = faults_.ReplyDelay(); delay.count() > 0) std::this_thread::sleep_for(delay);
  if (faults_.TakeDrop() || faults_.TakeDropMidReply()) {
    dropped_ = true;
    open_ = false;
    failure = std::string(kLinkErrorReply);
    return false;
  }
  return true;
}

std::string VirtualTransport::Received(std::string reply) {
  // The controller ran the command; only its answer is lost in the noise.
  return faults_.garbageReplies ? sim::NoiseReply(noiseSeed_++) : reply;
}

std::string VirtualTransport::GetResponse(std::string_view command) {
  std::string failure;
  return Exchange(failure) ? Received(controller_->Respond(command)) : failure;
}

std::string VirtualTransport::ControlResponse(char c) {
  std::string failure;
  return Exchange(failure) ? Received(controller_->RespondControl(c)) : failure;
}

bool VirtualTransport::InBootstrap() { return controller_->InBootstrap(); }

}  // namespace bl
