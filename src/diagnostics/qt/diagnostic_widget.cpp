#include "diagnostics/qt/diagnostic_widget.h"

#include <QMouseEvent>
#include <QPointer>

#include "diagnostics/diagnostic_refresh.h"
#include "diagnostics/qt/value_edit_dialog.h"
#include "diagnostics/value_edit.h"
#include "monitor/monitor_thread.h"

namespace bl::diagnostics {

DiagnosticWidget::DiagnosticWidget(DiagnosticScript& script, PmacLink& link,
                                   ScriptLoadContext loader, monitor::MonitorThread& monitor,
                                   QWidget* owner)
    : platform::CanvasWidget(owner),
      script_(script),
      link_(link),
      monitor_(monitor),
      window_(script, link, std::move(loader)) {
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle("Diagnostic Window");
  setObjectName("Diagnostics");
  move(100, 100);
  setFixedSize(10, 10);
  SetPainter([this](platform::Canvas& canvas) {
    window_.Paint(canvas, monitor_.diagnosticLive.value.load());
  });

  pressTimer_.setSingleShot(true);
  pressTimer_.setInterval(kButtonPressedMs);
  connect(&pressTimer_, &QTimer::timeout, this,
          [this] { Act(window_.TimerElapsed(), QCursor::pos()); });

  // The hooks hold the script and a guarded pointer, never the widget itself: the monitor may
  // call them after the window is gone.
  monitor::MonitorThread::Window hooks;
  QPointer<DiagnosticWidget> self(this);
  hooks.repaint = [self](bool) {
    if (self) self->Refresh();
  };
  hooks.poll = [&script, &link] { RefreshDiagnosticScript(script, link); };
  monitor_.SetDiagnosticWindow(std::move(hooks));
  Refresh();
}

DiagnosticWidget::~DiagnosticWidget() { monitor_.SetDiagnosticWindow({}); }

void DiagnosticWidget::Refresh() {
  if (const auto size = window_.WindowSize();
      size && (width() != size->width || height() != size->height))
    setFixedSize(size->width, size->height);
  update();
}

void DiagnosticWidget::RunEditDialog() {
  ValueEditPresenter presenter(script_, link_, window_.EditedItem());
  ValueEditDialog dialog(presenter, this);
  dialog.exec();
}

void DiagnosticWidget::Act(DiagnosticWindow::Action action, QPoint globalPoint) {
  using Action = DiagnosticWindow::Action;
  switch (action) {
    case Action::None:
      return;
    case Action::Repaint:
      Refresh();
      return;
    case Action::Close:
      close();
      return;
    case Action::StartMove:
      moveAnchor_ = globalPoint - pos();
      return;
    case Action::MoveWindow:
      move(globalPoint - moveAnchor_);
      return;
    case Action::EditValue: {
      QPointer<DiagnosticWidget> self(this);
      RunEditDialog();
      if (self) Refresh();
      return;
    }
    case Action::ButtonPressed:
      pressTimer_.start();
      Refresh();
      return;
  }
}

void DiagnosticWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  Act(window_.Press({p.x(), p.y()}), event->globalPosition().toPoint());
}

void DiagnosticWidget::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  Act(window_.MoveTo({p.x(), p.y()}), event->globalPosition().toPoint());
}

void DiagnosticWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  Act(window_.Release({p.x(), p.y()}), event->globalPosition().toPoint());
}

}  // namespace bl::diagnostics
