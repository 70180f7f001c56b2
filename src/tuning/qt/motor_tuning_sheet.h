#pragma once

#include <QDialog>
#include <vector>

#include "tuning/qt/tuning_page.h"

class QTabWidget;

namespace bl::tuning {

// "Motor Tuning": the modal tabbed sheet of tuning pages. Every change goes to the controller
// at once, so its button only closes it. The page that becomes the active tab (the first one
// when the sheet shows) is activated under the wait cursor; the page left, and the active page
// when the sheet closes, is told so.
class MotorTuningSheet : public QDialog {
 public:
  explicit MotorTuningSheet(QWidget* parent = nullptr);

  // Adds a page as the next tab; the sheet takes it over.
  void AddPage(TuningPage* page, const QString& title);
  QTabWidget& Tabs() { return *tabs_; }

  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Switch(int index);

  QTabWidget* tabs_;
  std::vector<TuningPage*> pages_;
  int current_ = -1;
  bool shown_ = false;
};

}  // namespace bl::tuning
