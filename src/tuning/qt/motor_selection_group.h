#pragma once

#include <QGroupBox>
#include <functional>

#include "tuning/motor_selection.h"

class QComboBox;

namespace bl::tuning {

class TuningPage;

// The "Motor Selection" group of a tuning page: the motor list and the enable and kill buttons.
class MotorSelectionGroup : public QGroupBox {
 public:
  // selected: runs after a new motor was addressed from the list; the page reads it again.
  MotorSelectionGroup(MotorSelection& selection, std::function<void()> selected,
                      QWidget* parent = nullptr);

  // The group of a page that simply reads everything again, under the wait cursor, once a new
  // motor is addressed.
  static MotorSelectionGroup* ForPage(MotorSelection& selection, TuningPage* page);

  // Fills the list again and selects the addressed motor (none when it lies beyond the list).
  void Fill();
  QComboBox* List() const { return list_; }

 private:
  MotorSelection& selection_;
  std::function<void()> selected_;
  QComboBox* list_;
};

}  // namespace bl::tuning
