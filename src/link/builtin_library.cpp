#include "link/builtin_library.h"

#include <algorithm>
#include <utility>

#include "link/builtin_download.h"
#include "link/transports/ethernet_transport.h"
#include "link/transports/serial_transport.h"
#include "link/transports/virtual_transport.h"
#include "link/virtual_time.h"
#include "platform/clock.h"
#include "platform/text_format.h"
#include "sim/controller.h"

namespace bl {

BuiltinDevices::BuiltinDevices(std::string settingsPath, VirtualTime* time,
                               const platform::Clock* clock)
    : settingsPath_(std::move(settingsPath)),
      table_(DefaultDeviceTable()),
      time_(time),
      clock_(clock) {
  if (!settingsPath_.empty()) LoadDeviceTable(settingsPath_, table_, loadError_);
}

BuiltinDevices::~BuiltinDevices() = default;

DeviceTable BuiltinDevices::Table() const {
  std::lock_guard lock(mutex_);
  return table_;
}

bool BuiltinDevices::SetTable(const DeviceTable& table, std::string& error) {
  {
    std::lock_guard lock(mutex_);
    table_ = table;
  }
  return settingsPath_.empty() || SaveDeviceTable(settingsPath_, table, error);
}

std::shared_ptr<sim::Controller> BuiltinDevices::VirtualController(int device) {
  if (!IsDevice(device)) return nullptr;
  std::shared_ptr<sim::Controller> controller;
  {
    std::lock_guard lock(mutex_);
    const DeviceConfig& config = table_[static_cast<std::size_t>(device)];
    auto& slot = controllers_[static_cast<std::size_t>(device)];
    if (!slot || slot->TypeCode() != std::clamp(config.virtualType, 1, 6))
      slot = std::make_shared<sim::Controller>(config.virtualType);
    controller = slot;
  }
  if (time_ && clock_) time_->Attach(controller, clock_->Now());
  return controller;
}

std::unique_ptr<Transport> BuiltinDevices::MakeTransport(int device, std::string& error) {
  if (!IsDevice(device)) {
    error = "no such device";
    return nullptr;
  }
  const DeviceConfig config = Table()[static_cast<std::size_t>(device)];
  if (std::string problem = CheckDevice(config); !problem.empty()) {
    error = problem;
    return nullptr;
  }
  switch (config.kind) {
    case DeviceConfig::Kind::Virtual:
      return std::make_unique<VirtualTransport>(VirtualController(device));
    case DeviceConfig::Kind::Ethernet:
      return std::make_unique<EthernetTransport>(config.host,
                                                 static_cast<std::uint16_t>(config.port),
                                                 std::chrono::milliseconds(config.timeoutMs));
    case DeviceConfig::Kind::Serial:
      return std::make_unique<SerialTransport>(config.serialPort, config.baud);
    case DeviceConfig::Kind::None:
      break;
  }
  error = "This device is not configured.";
  return nullptr;
}

BuiltinVendorLibrary::BuiltinVendorLibrary(BuiltinDevices& devices) : devices_(devices) {}

BuiltinVendorLibrary::~BuiltinVendorLibrary() {
  std::lock_guard lock(mutex_);
  for (auto& t : transports_)
    if (t) t->Close();
}

int BuiltinVendorLibrary::PmacSelect(void*) {
  const int device = devices_.chooseDevice ? devices_.chooseDevice() : -1;
  return IsDevice(device) ? device : -1;
}

bool BuiltinVendorLibrary::OpenPmacDevice(int device) {
  std::string error;
  std::shared_ptr<Transport> transport = devices_.MakeTransport(device, error);
  if (transport && !transport->Open(error)) transport.reset();
  std::lock_guard lock(mutex_);
  if (!transport) {
    lastError_ = error;
    return false;
  }
  auto& slot = transports_[static_cast<std::size_t>(device)];
  if (slot) slot->Close();
  slot = std::move(transport);
  notices_[static_cast<std::size_t>(device)] = {};
  return true;
}

bool BuiltinVendorLibrary::ClosePmacDevice(int device) {
  if (!IsDevice(device)) return false;
  std::shared_ptr<Transport> transport;
  {
    std::lock_guard lock(mutex_);
    transport = std::move(transports_[static_cast<std::size_t>(device)]);
  }
  // An exchange still under way on another thread keeps the transport alive and fails.
  if (transport) transport->Close();
  return transport != nullptr;
}

std::shared_ptr<Transport> BuiltinVendorLibrary::At(int device) {
  if (!IsDevice(device)) return nullptr;
  std::lock_guard lock(mutex_);
  return transports_[static_cast<std::size_t>(device)];
}

void BuiltinVendorLibrary::Notice(int device, std::string text, bool problem) {
  std::lock_guard lock(mutex_);
  DeviceNotices& n = notices_[static_cast<std::size_t>(device)];
  if (problem) {
    if (text == n.lastProblem) return;
    n.lastProblem = text;
  } else {
    n.lastProblem.clear();
  }
  // Nobody may be taking them (a script that only downloads): keep the newest few.
  constexpr std::size_t kMaxPending = 16;
  if (n.pending.size() == kMaxPending) n.pending.erase(n.pending.begin());
  n.pending.push_back({std::move(text), problem});
}

std::vector<LinkNotice> BuiltinVendorLibrary::TakeNotices(int device) {
  if (!IsDevice(device)) return {};
  std::lock_guard lock(mutex_);
  return std::exchange(notices_[static_cast<std::size_t>(device)].pending, {});
}

bool BuiltinVendorLibrary::Reconnect(int device, Transport& transport) {
  std::lock_guard once(reconnect_);
  if (transport.IsOpen()) return true;  // another thread was first
  // Closed by the user meanwhile: nothing to reconnect.
  if (At(device).get() != &transport) return false;
  std::string error;
  if (!transport.Open(error)) {
    Notice(device, "connection to " + transport.Where() + " lost: " + error, true);
    return false;
  }
  Notice(device, "connection to " + transport.Where() + " restored", false);
  return true;
}

std::string BuiltinVendorLibrary::PmacGetResponseA(int device, std::string_view command,
                                                   std::size_t maxChars) {
  std::shared_ptr<Transport> transport = At(device);
  std::string reply;
  if (!transport || (!transport->IsOpen() && !Reconnect(device, *transport))) {
    reply = kLinkErrorReply;
  } else {
    if (command.size() == 1 && command[0] >= 1 && command[0] <= 26) {
      reply = transport->ControlResponse(command[0]);
    } else {
      reply = transport->GetResponse(command);
    }
    if (reply == kLinkErrorReply) {
      if (At(device) == transport)  // not closed by the user meanwhile
        Notice(device, "connection to " + transport->Where() + " lost: " + transport->LastError(),
               true);
    } else {
      std::lock_guard lock(mutex_);
      notices_[static_cast<std::size_t>(device)].lastProblem.clear();
    }
  }
  if (maxChars == 0) return {};
  if (reply.size() > maxChars - 1) reply.resize(maxChars - 1);
  return reply;
}

double BuiltinVendorLibrary::PmacGetVariableDouble(int device, char type, int number,
                                                   double fallback) {
  const std::string reply = PmacGetResponseA(device, platform::Format("%c%d", type, number), 256);
  double value = 0;
  return platform::Scan(reply, 255, "%lf", &value) == 1 ? value : fallback;
}

int BuiltinVendorLibrary::PmacDownloadA(int device, const MessageCallback& message,
                                        const ProgressCallback& progress, const std::string& path,
                                        int, int, int, int download) {
  abort_ = false;
  if (!At(device)) {
    if (message) message("No device is open: nothing was downloaded.");
    return 0;
  }
  if (!download) return 1;
  // Line by line through the same road as every other exchange: each line holds the connection
  // only for its own exchange, and a dropped connection is opened again.
  constexpr std::size_t kMaxLineReply = 64 * 1024;
  const auto send = [this, device](std::string_view line) {
    return PmacGetResponseA(device, line, kMaxLineReply);
  };
  const DownloadOutcome outcome = DownloadProgram(send, path, message, progress, abort_);
  return outcome.opened && !outcome.aborted && outcome.errors == 0 ? 1 : 0;
}

void BuiltinVendorLibrary::PmacAbortDownload(int) { abort_ = true; }

bool BuiltinVendorLibrary::PmacInBootStrapMode(int device) {
  std::shared_ptr<Transport> transport = At(device);
  return transport && transport->IsOpen() && transport->InBootstrap();
}

std::string BuiltinVendorLibrary::LastError() const {
  std::lock_guard lock(mutex_);
  return lastError_;
}

VendorLibraryLoader BuiltinLibraryLoader(BuiltinDevices& devices) {
  return [&devices] {
    LibraryLoad load;
    load.status = LibraryLoad::Status::Loaded;
    load.library = std::make_unique<BuiltinVendorLibrary>(devices);
    return load;
  };
}

}  // namespace bl
