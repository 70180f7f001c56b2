#pragma once

#include <QLineEdit>
#include <functional>

namespace bl::tuning {

// An edit field of a tuning page that hands its text over each time the user leaves it, edited
// or not (the value is written to the controller again), and on Enter.
class LeaveField : public QLineEdit {
 public:
  LeaveField(std::function<void(const QString&)> left, QWidget* parent);

 protected:
  void focusOutEvent(QFocusEvent* event) override;

 private:
  std::function<void(const QString&)> left_;
};

}  // namespace bl::tuning
