#pragma once

#include <QWidget>

namespace bl::tuning {

// A page of the "Motor Tuning" sheet. Pages keep nothing from the controller between
// activations: each time a page becomes the active tab it reads the addressed motor and its
// variables again.
class TuningPage : public QWidget {
 public:
  using QWidget::QWidget;
  // The page became the active tab (also when the sheet first shows it).
  virtual void Activate() = 0;
  // The page stops being the active tab, or the sheet closes.
  virtual void Leave() {}
};

}  // namespace bl::tuning
