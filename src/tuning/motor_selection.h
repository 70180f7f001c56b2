#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace bl {
class PmacLink;
}

namespace bl::tuning {

// The "Motor Selection" group that every page of the tuning sheet carries, and the addressed
// motor the pages share. The motor is always the one the controller reports as addressed, never
// only the user's choice.
class MotorSelection {
 public:
  // addressedMotor: the shared addressed motor (the terminal's status box shows it too);
  // motorCount: the connected controller type's motors, read when needed.
  MotorSelection(PmacLink& link, std::atomic<int>& addressedMotor, const int& motorCount);

  // Page activation: asks the controller which motor is addressed ("#", without echo) and keeps
  // the previous motor when the reply holds no number. The result is clamped to 1..clampTo: the
  // motor count on the gain and test-move pages, 32 on the others. Returns the motor.
  int Refresh(int clampTo);

  int Motor() const;
  // "Motor %d" for 1..motor count.
  std::vector<std::string> Entries() const;
  // The entry of the addressed motor, or -1 when it lies beyond the list.
  int SelectedIndex() const;

  // A choice in the list (0-based): addresses that motor ("#%d", echoed). The page then
  // refreshes, to show what the controller now reports.
  void Select(int index);
  // "Enable Motor", "Kill Motor", "KILL ALL MOTORS!" (Ctrl-K), echoed.
  void Enable();
  void Kill();
  void KillAll();

 private:
  void Send(const std::string& command, bool echo, std::string* reply = nullptr);

  PmacLink& link_;
  std::atomic<int>& addressedMotor_;
  const int& motorCount_;
};

}  // namespace bl::tuning
