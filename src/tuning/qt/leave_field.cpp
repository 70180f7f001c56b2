#include "tuning/qt/leave_field.h"

#include <QFocusEvent>

namespace bl::tuning {

LeaveField::LeaveField(std::function<void(const QString&)> left, QWidget* parent)
    : QLineEdit(parent), left_(std::move(left)) {
  connect(this, &QLineEdit::returnPressed, this, [this] { left_(text()); });
}

void LeaveField::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  left_(text());
}

}  // namespace bl::tuning
