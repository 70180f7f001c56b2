#include "diagnostics/qt/watch_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>

#include "controller/controller_type.h"
#include "diagnostics/qt/watch_item_dialog.h"
#include "diagnostics/watch_paint.h"
#include "diagnostics/watch_settings.h"
#include "monitor/monitor_thread.h"

namespace bl::diagnostics {

WatchWidget::WatchWidget(WatchContext context, QWidget* owner)
    : platform::CanvasWidget(owner),
      context_(std::move(context)),
      window_(*context_.records, context_.type, WatchSettingsPath) {
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle("Watch Window");
  setObjectName("Watch");
  setFocusPolicy(Qt::StrongFocus);
  move(100, 100);
  setFixedSize(448, 39);
  window_.onSaveFailed = context_.warn;
  std::string error;
  window_.LoadForType(error);
  if (!error.empty() && context_.warn) context_.warn(error);

  SetPainter([this](platform::Canvas& canvas) {
    PaintWatchWindow(canvas, context_.records->table.Copy(), context_.definitions,
                     context_.monitor.watchLive.value.load(), window_.SelectedRow());
  });

  // The hooks hold the records and a guarded pointer, never the widget itself: the monitor may
  // call them after the window is gone.
  monitor::MonitorThread::Window hooks;
  QPointer<WatchWidget> self(this);
  hooks.repaint = [self](bool) {
    if (self) self->Refresh();
  };
  hooks.poll = [records = context_.records, &link = context_.link] {
    PollWatchTable(records->table, link);
  };
  hooks.sweep = [records = context_.records](int count) { records->table.Sweep(count); };
  context_.monitor.SetWatchWindow(std::move(hooks));
  Refresh();
}

WatchWidget::~WatchWidget() { context_.monitor.SetWatchWindow({}); }

void WatchWidget::Refresh() {
  const platform::Size size = window_.WindowSize();
  if (width() != size.width || height() != size.height) setFixedSize(size.width, size.height);
  update();
}

void WatchWidget::RunItemDialog() {
  WatchItemPresenter presenter(context_.records->table, context_.records->defaults,
                               context_.definitions, context_.type.variableCount, context_.desktop,
                               [this](bool inserted) {
                                 window_.AfterDialog(inserted);
                                 Refresh();
                               });
  presenter.Open(window_.SelectedRow());
  WatchItemDialog dialog(presenter, context_.definitions, context_.selectVariable, this);
  dialog.exec();
}

void WatchWidget::Act(WatchWindow::Action action, QPoint globalPoint) {
  switch (action) {
    case WatchWindow::Action::None:
      return;
    case WatchWindow::Action::Repaint:
      Refresh();
      return;
    case WatchWindow::Action::Close:
      close();
      return;
    case WatchWindow::Action::OpenDialog:
      RunItemDialog();
      return;
    case WatchWindow::Action::StartMove:
      moveAnchor_ = globalPoint - pos();
      return;
  }
}

void WatchWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  Act(window_.Press({p.x(), p.y()}), event->globalPosition().toPoint());
}

void WatchWidget::mouseMoveEvent(QMouseEvent* event) {
  if (window_.DragMode() == 2) {
    move(event->globalPosition().toPoint() - moveAnchor_);
    return;
  }
  const QPoint p = event->position().toPoint();
  Act(window_.MoveTo({p.x(), p.y()}), event->globalPosition().toPoint());
}

void WatchWidget::mouseReleaseEvent(QMouseEvent* event) {
  Act(window_.Release(), event->globalPosition().toPoint());
}

void WatchWidget::keyPressEvent(QKeyEvent* event) {
  WatchWindow::Key key;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      key = WatchWindow::Key::Enter;
      break;
    case Qt::Key_Up:
      key = WatchWindow::Key::Up;
      break;
    case Qt::Key_Down:
      key = WatchWindow::Key::Down;
      break;
    case Qt::Key_Delete:
      key = WatchWindow::Key::Delete;
      break;
    default:
      platform::CanvasWidget::keyPressEvent(event);
      return;
  }
  Act(window_.KeyDown(key), QCursor::pos());
}

}  // namespace bl::diagnostics
