#include "tuning/motor_selection.h"

#include <algorithm>

#include "link/pmac_link.h"
#include "platform/text_format.h"

namespace bl::tuning {

namespace {
// PmacCommand keeps at most 249 characters of a reply here.
constexpr int kReplySize = 250;
constexpr char kCtrlK = 11;
}  // namespace

MotorSelection::MotorSelection(PmacLink& link, std::atomic<int>& addressedMotor,
                               const int& motorCount)
    : link_(link), addressedMotor_(addressedMotor), motorCount_(motorCount) {}

void MotorSelection::Send(const std::string& command, bool echo, std::string* reply) {
  std::string response;
  link_.PmacCommand(response, kReplySize, command, echo);
  if (reply) *reply = std::move(response);
}

int MotorSelection::Refresh(int clampTo) {
  std::string reply;
  Send("#", false, &reply);
  int reported = 0;
  if (platform::Scan(reply, reply.size(), "%d", &reported) == 1) addressedMotor_ = reported;
  addressedMotor_ = std::clamp(addressedMotor_.load(), 1, std::max(1, clampTo));
  return addressedMotor_;
}

int MotorSelection::Motor() const { return std::max(1, addressedMotor_.load()); }

std::vector<std::string> MotorSelection::Entries() const {
  std::vector<std::string> entries;
  for (int m = 1; m <= motorCount_; ++m) entries.push_back(platform::Format("Motor %d", m));
  return entries;
}

int MotorSelection::SelectedIndex() const {
  const int motor = Motor();
  return motor <= motorCount_ ? motor - 1 : -1;
}

void MotorSelection::Select(int index) {
  const int motor = std::clamp(index + 1, 1, std::max(1, motorCount_));
  Send(platform::Format("#%d", motor), true);
}

void MotorSelection::Enable() { Send(platform::Format("#%d J/", Motor()), true); }

void MotorSelection::Kill() { Send(platform::Format("#%d K", Motor()), true); }

void MotorSelection::KillAll() { Send(std::string(1, kCtrlK), true); }

}  // namespace bl::tuning
