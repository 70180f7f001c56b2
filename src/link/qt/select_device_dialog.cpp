#include "link/qt/select_device_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "link/builtin_library.h"
#include "platform/qt/qt_fonts.h"
#include "protocol/controller_types.h"

namespace bl {

SelectDeviceDialog::SelectDeviceDialog(SelectDevicePresenter& presenter, QWidget* parent)
    : QDialog(parent),
      presenter_(presenter),
      list_(new QListWidget(this)),
      connect_(new QPushButton("Connect", this)),
      problem_(new QLabel(this)) {
  setWindowTitle("Select Device");
  list_->setMinimumSize(420, 170);
  auto* configure = new QPushButton("Settings...", this);
  auto* cancel = new QPushButton("Cancel", this);
  connect_->setDefault(true);
  problem_->setWordWrap(true);
  problem_->setStyleSheet("color: #c00000");

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(configure);
  buttons->addStretch();
  buttons->addWidget(connect_);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Choose the controller to connect to:", this));
  layout->addWidget(list_);
  layout->addWidget(problem_);
  layout->addLayout(buttons);

  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    presenter_.SelectRow(row);
    connect_->setEnabled(presenter_.CanChoose());
  });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] {
    if (presenter_.CanChoose()) accept();
  });
  connect(configure, &QPushButton::clicked, this, [this] { Configure(); });
  connect(connect_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  Refresh();
}

void SelectDeviceDialog::Refresh() {
  const int selected = presenter_.Selected();
  list_->blockSignals(true);
  list_->clear();
  for (const std::string& row : presenter_.Rows()) list_->addItem(platform::ToQt(row));
  list_->setCurrentRow(selected);
  list_->blockSignals(false);
  connect_->setEnabled(presenter_.CanChoose());
  problem_->setText(platform::ToQt(presenter_.Problem()));
  problem_->setVisible(!presenter_.Problem().empty());
}

void SelectDeviceDialog::Configure() {
  const int device = presenter_.Selected();
  if (const auto config = EditDevice(this, device, presenter_.SelectedConfig(), presenter_))
    Refresh();
}

std::optional<DeviceConfig> EditDevice(QWidget* parent, int device, const DeviceConfig& config,
                                       SelectDevicePresenter& presenter) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QString("Device %1 Settings").arg(device));
  auto* kinds = new QButtonGroup(&dialog);
  const char* kindTexts[] = {"Not used", "Virtual controller", "Ethernet", "Serial line"};
  auto* kindBox = new QGroupBox("Reached through", &dialog);
  auto* kindLayout = new QVBoxLayout(kindBox);
  for (int i = 0; i < 4; ++i) {
    auto* radio = new QRadioButton(kindTexts[i], kindBox);
    kinds->addButton(radio, i);
    kindLayout->addWidget(radio);
  }
  kinds->button(static_cast<int>(config.kind))->setChecked(true);

  auto* type = new QComboBox(&dialog);
  for (std::string_view name : protocol::kControllerTypeNames)
    type->addItem(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
  type->setCurrentIndex(std::clamp(config.virtualType, 1, protocol::kControllerTypeCount) - 1);
  auto* host = new QLineEdit(platform::ToQt(config.host), &dialog);
  host->setMaxLength(255);
  host->setPlaceholderText("192.168.0.200");
  auto* port = new QSpinBox(&dialog);
  port->setRange(1, 65535);
  port->setValue(config.port);
  auto* timeout = new QSpinBox(&dialog);
  timeout->setRange(100, 60000);
  timeout->setSuffix(" ms");
  timeout->setValue(config.timeoutMs);
  auto* serial = new QLineEdit(platform::ToQt(config.serialPort), &dialog);
  serial->setMaxLength(255);
  serial->setPlaceholderText("/dev/ttyUSB0");
  auto* baud = new QComboBox(&dialog);
  for (int rate : SerialBaudRates()) baud->addItem(QString::number(rate), rate);
  baud->setCurrentIndex(std::max(0, baud->findData(config.baud)));

  auto* form = new QFormLayout;
  form->addRow("Controller type:", type);
  form->addRow("Address:", host);
  form->addRow("Port:", port);
  form->addRow("Time-out:", timeout);
  form->addRow("Serial port:", serial);
  form->addRow("Baud rate:", baud);
  auto enable = [&] {
    const int kind = kinds->checkedId();
    type->setEnabled(kind == 1);
    for (QWidget* w :
         {static_cast<QWidget*>(host), static_cast<QWidget*>(port), static_cast<QWidget*>(timeout)})
      w->setEnabled(kind == 2);
    serial->setEnabled(kind == 3);
    baud->setEnabled(kind == 3);
  };
  QObject::connect(kinds, &QButtonGroup::idClicked, &dialog, enable);
  enable();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(kindBox);
  layout->addLayout(form);
  layout->addWidget(buttons);

  DeviceConfig result;
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    result = config;
    result.kind = static_cast<DeviceConfig::Kind>(kinds->checkedId());
    result.virtualType = type->currentIndex() + 1;
    result.host = platform::FromQt(host->text().trimmed());
    result.port = port->value();
    result.timeoutMs = timeout->value();
    result.serialPort = platform::FromQt(serial->text().trimmed());
    result.baud = baud->currentData().toInt();
    const std::string wrong = presenter.Apply(device, result);
    if (!wrong.empty()) {
      QMessageBox::warning(&dialog, "Device Settings", platform::ToQt(wrong));
      return;
    }
    dialog.accept();
  });
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return result;
}

int ChooseDevice(QWidget* parent, BuiltinDevices& devices) {
  SelectDevicePresenter presenter(devices, devices.lastChoice);
  SelectDeviceDialog dialog(presenter, parent);
  if (dialog.exec() != QDialog::Accepted) return -1;
  const int device = presenter.Choose();
  if (device >= 0) devices.lastChoice = device;
  return device;
}

void SetDeviceChooser(BuiltinDevices& devices, QWidget* owner) {
  devices.chooseDevice = [&devices, window = QPointer<QWidget>(owner)] {
    return window ? ChooseDevice(window, devices) : -1;
  };
}

}  // namespace bl
