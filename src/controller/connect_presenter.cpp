#include "controller/connect_presenter.h"

#include "controller/controller_type.h"
#include "link/pmac_link.h"
#include "platform/text_format.h"

namespace bl {

ConnectPresenter::ConnectPresenter(PmacLink& link, const ControllerType& type,
                                   std::function<void()> identify, void* mainWindow)
    : link_(link), type_(type), identify_(std::move(identify)), mainWindow_(mainWindow) {}

bool ConnectPresenter::ConnectEnabled() const { return link_.PmacDevice() == -1; }

std::string ConnectPresenter::StatusText() const {
  const int device = link_.PmacDevice();
  return device == -1 ? std::string("Not connected to a PMAC device.")
                      : platform::Format("Connected to PMAC device number %d.", device);
}

ConnectPresenter::Outcome ConnectPresenter::Connect() {
  link_.LinkConnect(mainWindow_);
  if (link_.PmacDevice() == -1) return Outcome::Stay;
  if (identify_) identify_();
  return Outcome::Connected;
}

void ConnectPresenter::Disconnect() { link_.LinkDisconnect(); }

ConnectPresenter::Outcome ConnectPresenter::Cancel() {
  const int code = type_.typeCode.load();
  if ((code < 1 || code > 6) && link_.PmacDevice() == -1) return Outcome::OpenWorkOffline;
  return Outcome::Closed;
}

const std::vector<WorkOfflinePresenter::Choice>& WorkOfflinePresenter::Choices() {
  static const std::vector<Choice> kChoices = {
      {"PMAC1", 1, {"PMAC1 PC (ISA)", "PMAC1 STD", "PMAC1 VME", "PMAC1 Lite", "Mini PMAC1"}},
      {"PMAC2", 2, {"PMAC2 PC (ISA)", "PMAC2 PC (PCI)", "PMAC2 VME", "PMAC2 Lite", "Mini PMAC2"}},
      {"PMAC2 Ultralite", 3, {"PMAC2 PC (ISA) Ultralite", "PMAC2 VME Ultralite"}},
      {"PMAC1 Turbo", 4, {"Turbo PMAC1 PC (ISA)", "Turbo PMAC1 PC (PCI)", "Turbo PMAC1 VME"}},
      {"PMAC2 Turbo",
       5,
       {"Turbo PMAC2 PC (ISA)", "Turbo PMAC2 PC (PCI)", "Turbo PMAC2 VME",
        "Turbo PMAC2 3U (UMAC)"}},
      {"PMAC2 Turbo Ultralite", 6, {"Turbo PMAC2 PC (ISA) Ultralite"}},
  };
  return kChoices;
}

WorkOfflinePresenter::WorkOfflinePresenter(PmacLink& link, ControllerType& type,
                                           std::function<void()> identify)
    : link_(link), type_(type), identify_(std::move(identify)) {}

void WorkOfflinePresenter::Choose(int typeCode) {
  type_.typeCode = typeCode;
  Finish();
}

void WorkOfflinePresenter::Cancel() { Finish(); }

void WorkOfflinePresenter::Finish() {
  // Working offline never leaves a device open behind the user's back.
  if (link_.PmacDevice() != -1) link_.LinkDisconnect();
  link_.ForgetDevice();
  if (identify_) identify_();
}

}  // namespace bl
