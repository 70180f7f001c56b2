#include "platform/qt/canvas_widget.h"

#include <QPainter>

#include "platform/qt/qt_canvas.h"

namespace bl::platform {

CanvasWidget::CanvasWidget(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
}

QImage CanvasWidget::Render() {
  if (buffer_.size() != size()) buffer_ = QImage(size(), QImage::Format_RGB32);
  buffer_.fill(Qt::white);
  if (painter_ && !buffer_.isNull()) {
    QPainter p(&buffer_);
    QtCanvas canvas(p, Size{width(), height()});
    canvas.SetShapeCache(&shapes_);
    painter_(canvas);
  }
  return buffer_;
}

void CanvasWidget::paintEvent(QPaintEvent*) {
  Render();
  QPainter screen(this);
  screen.drawImage(0, 0, buffer_);
}

}  // namespace bl::platform
