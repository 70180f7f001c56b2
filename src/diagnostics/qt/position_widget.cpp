#include "diagnostics/qt/position_widget.h"

#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>

#include "controller/controller_type.h"
#include "diagnostics/qt/position_units_dialog.h"
#include "monitor/monitor_thread.h"

namespace bl::diagnostics {

PositionWidget::PositionWidget(monitor::PositionDisplay& display, PositionUnits& units,
                               const ControllerType& type, monitor::MonitorThread& monitor,
                               QWidget* owner)
    : platform::CanvasWidget(owner),
      units_(units),
      monitor_(monitor),
      window_(display, units, type) {
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle("Motor Position Window");
  setObjectName("Position");
  move(100, 100);
  const platform::Size size = window_.WindowSize();
  setFixedSize(size.width, size.height);
  SetPainter([this](platform::Canvas& canvas) { window_.Paint(canvas); });

  struct ButtonPlace {
    const char* text;
    int x, y, w;
  };
  static constexpr ButtonPlace kButtons[] = {{"Positions", 4, 275, 106},
                                      {"Velocities", 110, 275, 106},
                                      {"Fol. Errors", 216, 275, 106},
                                      {"Units", 322, 275, 107},
                                      {"<----   Previous 8 Motors", 4, 300, 212},
                                      {"Next 8 Motors   ---->", 216, 300, 213}};
  const int count = type.IsTurbo() ? 6 : 4;
  for (int i = 0; i < count; ++i) {
    auto* b = new QPushButton(kButtons[i].text, this);
    b->setGeometry(kButtons[i].x, kButtons[i].y, kButtons[i].w, 25);
    b->setFocusPolicy(Qt::NoFocus);
    buttons_[static_cast<std::size_t>(i)] = b;
    connect(b, &QPushButton::clicked, this, [this, i] {
      if (i < 3) window_.SetMode(i);
      if (i == 3) RunUnitsDialog();
      if (i == 4) window_.PreviousPage();
      if (i == 5) window_.NextPage();
      update();
    });
  }

  monitor::MonitorThread::Window hooks;
  QPointer<PositionWidget> self(this);
  hooks.repaint = [self](bool) {
    if (self) self->update(0, 0, 433, 275);
  };
  monitor_.SetPositionWindow(std::move(hooks));
}

PositionWidget::~PositionWidget() { monitor_.SetPositionWindow({}); }

void PositionWidget::RunUnitsDialog() {
  PositionUnitsPresenter presenter(units_, window_.Page());
  PositionUnitsDialog dialog(presenter, this);
  dialog.exec();
  window_.UnitsChanged();
}

void PositionWidget::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (event->button() == Qt::LeftButton && p.y() < 35) {
    if (PositionWindow::ClosesAt({p.x(), p.y()})) {
      close();
      return;
    }
    moving_ = true;
    moveAnchor_ = event->globalPosition().toPoint() - pos();
  }
  update();
}

void PositionWidget::mouseMoveEvent(QMouseEvent* event) {
  if (moving_) move(event->globalPosition().toPoint() - moveAnchor_);
}

void PositionWidget::mouseReleaseEvent(QMouseEvent*) { moving_ = false; }

}  // namespace bl::diagnostics
