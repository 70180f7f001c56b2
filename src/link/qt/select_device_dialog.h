#pragma once

#include <QDialog>

#include "link/select_device_presenter.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace bl {

// "Select Device": the built-in library's device choice, with the settings of each device.
class SelectDeviceDialog : public QDialog {
 public:
  SelectDeviceDialog(SelectDevicePresenter& presenter, QWidget* parent = nullptr);

  QListWidget& List() { return *list_; }

 private:
  void Refresh();
  void Configure();

  SelectDevicePresenter& presenter_;
  QListWidget* list_;
  QPushButton* connect_;
  QLabel* problem_;
};

// "Device Settings": how one device is reached. Returns the new settings, or nothing.
std::optional<DeviceConfig> EditDevice(QWidget* parent, int device, const DeviceConfig& config,
                                       SelectDevicePresenter& presenter);

// Shows the dialog modally; the chosen device or -1. Remembers the choice for the next time.
int ChooseDevice(QWidget* parent, BuiltinDevices& devices);

// Makes ChooseDevice over owner the built-in library's device choice. The hook keeps no pointer
// to a destroyed owner: once owner is gone it shows nothing and chooses no device.
void SetDeviceChooser(BuiltinDevices& devices, QWidget* owner);

}  // namespace bl
