#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "link/device_table.h"
#include "link/vendor_library.h"

namespace sim {
class Controller;
}

namespace bl {

class Transport;
class VirtualTime;
namespace platform {
class Clock;
}

// What the built-in library keeps for the whole run: the device table with its settings file,
// and the virtual controllers, which keep their memory when the user disconnects and connects
// again.
class BuiltinDevices {
 public:
  // settingsPath: where the device table is kept; empty keeps it in memory only. time and clock,
  // when given, make the virtual controllers' servo time follow the clock.
  BuiltinDevices(std::string settingsPath, VirtualTime* time = nullptr,
                 const platform::Clock* clock = nullptr);
  ~BuiltinDevices();

  DeviceTable Table() const;
  // Stores the table and writes the settings file; false with a reason when the file could not
  // be written (the table is used all the same).
  bool SetTable(const DeviceTable& table, std::string& error);
  const std::string& LoadError() const { return loadError_; }

  // The device choice shown by the library: returns 0..7, or -1 when the user chose nothing.
  // Without one the library chooses nothing.
  std::function<int()> chooseDevice;
  // The device chosen last, offered first the next time.
  int lastChoice = 0;

  // The virtual controller of a device, made on first use and kept (made anew when the device's
  // controller type changed).
  std::shared_ptr<sim::Controller> VirtualController(int device);
  // A closed transport for the device as configured, or null with a reason.
  std::unique_ptr<Transport> MakeTransport(int device, std::string& error);

 private:
  mutable std::mutex mutex_;
  std::string settingsPath_;
  std::string loadError_;
  DeviceTable table_;
  std::array<std::shared_ptr<sim::Controller>, kDeviceCount> controllers_;
  VirtualTime* time_;
  const platform::Clock* clock_;
};

// The program's own implementation of the eight entry points: devices 0..7 from the device
// table, each reached through its transport, and a download that prepares the file and sends it
// line by line. A connection that drops is opened again by the next exchange (once; the
// exchange fails when that does), and the user is told through TakeNotices. Thread-safe: each
// exchange holds only its transport, so a download's lines and other threads' commands take
// turns.
class BuiltinVendorLibrary final : public VendorLibrary {
 public:
  explicit BuiltinVendorLibrary(BuiltinDevices& devices);
  ~BuiltinVendorLibrary() override;

  int PmacSelect(void* parentWindow) override;
  bool OpenPmacDevice(int device) override;
  bool ClosePmacDevice(int device) override;
  std::string PmacGetResponseA(int device, std::string_view command, std::size_t maxChars) override;
  double PmacGetVariableDouble(int device, char type, int number, double fallback) override;
  int PmacDownloadA(int device, const MessageCallback& message, const ProgressCallback& progress,
                    const std::string& path, int macro, int map, int log, int download) override;
  void PmacAbortDownload(int device) override;
  bool PmacInBootStrapMode(int device) override;

  std::string LastError() const override;
  std::vector<LinkNotice> TakeNotices(int device) override;

 private:
  std::shared_ptr<Transport> At(int device);
  // A connection that was lost is opened again, once, before the exchange; false when that
  // failed.
  bool Reconnect(int device, Transport& transport);
  void Notice(int device, std::string text, bool problem);

  BuiltinDevices& devices_;
  mutable std::mutex mutex_;  // guards what follows
  std::array<std::shared_ptr<Transport>, kDeviceCount> transports_;
  std::string lastError_;
  struct DeviceNotices {
    std::vector<LinkNotice> pending;
    // The problem told last: the same one is not told again until the link has worked.
    std::string lastProblem;
  };
  std::array<DeviceNotices, kDeviceCount> notices_;
  std::mutex reconnect_;  // one reconnection at a time
  std::atomic<bool> abort_{false};
};

// A loader for PmacLink that binds the built-in library.
VendorLibraryLoader BuiltinLibraryLoader(BuiltinDevices& devices);

}  // namespace bl
