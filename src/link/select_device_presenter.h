#pragma once

#include <string>
#include <vector>

#include "link/device_table.h"

namespace bl {

class BuiltinDevices;

// The "Select Device" dialog of the built-in library without its widgets: the eight devices,
// one selected, each configurable as a virtual controller, an Ethernet or a serial device.
class SelectDevicePresenter {
 public:
  // The selection starts on lastChoice when that is a device.
  SelectDevicePresenter(BuiltinDevices& devices, int lastChoice = 0);

  // "Device 0:  Virtual controller (Turbo PMAC2)", one per device.
  std::vector<std::string> Rows() const;
  int Selected() const { return selected_; }
  void SelectRow(int row);
  const DeviceConfig& SelectedConfig() const;

  // Connect is offered for a configured device.
  bool CanChoose() const;
  // The device to open, or -1.
  int Choose() const;

  // Stores new settings for a device. Returns what is wrong with them (nothing is stored), or
  // empty; a settings file that cannot be written is reported by Problem().
  std::string Apply(int device, const DeviceConfig& config);
  const std::string& Problem() const { return problem_; }

 private:
  BuiltinDevices& devices_;
  DeviceTable table_;
  int selected_ = 0;
  std::string problem_;
};

}  // namespace bl
