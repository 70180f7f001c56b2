#include "link/select_device_presenter.h"

#include "link/builtin_library.h"
#include "platform/text_format.h"

namespace bl {

SelectDevicePresenter::SelectDevicePresenter(BuiltinDevices& devices, int lastChoice)
    : devices_(devices), table_(devices.Table()), problem_(devices.LoadError()) {
  SelectRow(lastChoice);
}

std::vector<std::string> SelectDevicePresenter::Rows() const {
  std::vector<std::string> rows;
  for (int i = 0; i < kDeviceCount; ++i)
    rows.push_back(platform::Format("Device %d:  %s", i,
                                    DescribeDevice(table_[static_cast<std::size_t>(i)]).c_str()));
  return rows;
}

void SelectDevicePresenter::SelectRow(int row) {
  selected_ = row >= 0 && row < kDeviceCount ? row : 0;
}

const DeviceConfig& SelectDevicePresenter::SelectedConfig() const {
  return table_[static_cast<std::size_t>(selected_)];
}

bool SelectDevicePresenter::CanChoose() const { return CheckDevice(SelectedConfig()).empty(); }

int SelectDevicePresenter::Choose() const { return CanChoose() ? selected_ : -1; }

std::string SelectDevicePresenter::Apply(int device, const DeviceConfig& config) {
  if (device < 0 || device >= kDeviceCount) return "No such device.";
  if (config.kind != DeviceConfig::Kind::None)
    if (std::string wrong = CheckDevice(config); !wrong.empty()) return wrong;
  table_[static_cast<std::size_t>(device)] = config;
  problem_.clear();
  std::string error;
  if (!devices_.SetTable(table_, error)) problem_ = "The device settings were not saved: " + error;
  return {};
}

}  // namespace bl
