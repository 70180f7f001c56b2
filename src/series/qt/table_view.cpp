#include "series/qt/table_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include "platform/qt/scroll_bar_qt.h"

namespace bl::series {
namespace {

TableKey ToTableKey(int key) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return TableKey::Enter;
    case Qt::Key_Space:
      return TableKey::Space;
    case Qt::Key_Up:
      return TableKey::Up;
    case Qt::Key_Down:
      return TableKey::Down;
    case Qt::Key_Left:
      return TableKey::Left;
    case Qt::Key_Right:
      return TableKey::Right;
    case Qt::Key_PageUp:
      return TableKey::PageUp;
    case Qt::Key_PageDown:
      return TableKey::PageDown;
    case Qt::Key_Delete:
      return TableKey::Delete;
    case Qt::Key_Insert:
      return TableKey::Insert;
    default:
      return TableKey::Other;
  }
}

platform::Point At(const QMouseEvent& e) {
  return {static_cast<int>(e.position().x()), static_cast<int>(e.position().y())};
}

}  // namespace

TableView::TableView(TableHandlers handlers, bool horizontalBar, QWidget* parent)
    : QWidget(parent),
      handlers_(std::move(handlers)),
      client_(new platform::CanvasWidget(this)),
      vertical_(new QScrollBar(Qt::Vertical, this)),
      horizontal_(horizontalBar ? new QScrollBar(Qt::Horizontal, this) : nullptr),
      corner_(horizontalBar ? new QWidget(this) : nullptr) {
  setFocusPolicy(Qt::StrongFocus);
  setFocusProxy(client_);
  client_->setFocusPolicy(Qt::StrongFocus);
  client_->installEventFilter(this);
  client_->setMouseTracking(false);
  if (corner_) corner_->setAutoFillBackground(true);
  client_->SetPainter([this](platform::Canvas& c) { Paint(c); });
  connect(vertical_, &QScrollBar::actionTriggered, this, [this](int a) { OnAction(true, a); });
  if (horizontal_)
    connect(horizontal_, &QScrollBar::actionTriggered, this, [this](int a) { OnAction(false, a); });
}

void TableView::resizeEvent(QResizeEvent*) {
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int w = std::max(0, width() - bar);
  const int h = std::max(0, height() - (horizontal_ ? bar : 0));
  client_->setGeometry(0, 0, w, h);
  if (handlers_.resize) handlers_.resize({w, h});
  vertical_->setGeometry(w, 0, bar, h);
  if (horizontal_) {
    horizontal_->setGeometry(0, h, w, bar);
    corner_->setGeometry(w, h, bar, bar);
  }
}

void TableView::Paint(platform::Canvas& canvas) {
  if (!handlers_.paint) return;
  const TableBars bars = handlers_.paint(canvas);
  updatingBars_ = true;
  platform::ApplyScrollBar(*vertical_, bars.vertical);
  if (horizontal_ && bars.horizontal) platform::ApplyScrollBar(*horizontal_, *bars.horizontal);
  updatingBars_ = false;
}

void TableView::OnAction(bool vertical, int action) {
  if (updatingBars_ || !handlers_.scroll) return;
  const auto a = platform::ToScrollAction(action);
  if (!a) return;
  QScrollBar& bar = vertical ? *vertical_ : *horizontal_;
  handlers_.scroll(vertical, *a, bar.sliderPosition());
  // The painter sets the bar from the view's own rule on the next paint.
  client_->repaint();
}

void TableView::Key(QKeyEvent& event) {
  const bool shift = event.modifiers() & Qt::ShiftModifier;
  const bool control = event.modifiers() & Qt::ControlModifier;
  if (control && handlers_.character) {
    switch (event.key()) {
      case Qt::Key_C:
        return handlers_.character(kCtrlC);
      case Qt::Key_X:
        return handlers_.character(kCtrlX);
      case Qt::Key_V:
        return handlers_.character(kCtrlV);
      default:
        break;
    }
  }
  if (handlers_.key) handlers_.key(ToTableKey(event.key()), shift, control);
}

bool TableView::eventFilter(QObject* watched, QEvent* event) {
  if (watched != client_) return false;
  switch (event->type()) {
    case QEvent::KeyPress:
      Key(static_cast<QKeyEvent&>(*event));
      break;
    case QEvent::MouseButtonPress: {
      auto& e = static_cast<QMouseEvent&>(*event);
      if (e.button() != Qt::LeftButton && e.button() != Qt::RightButton) return false;
      client_->setFocus();
      if (handlers_.press)
        handlers_.press(At(e), e.button() == Qt::RightButton, e.modifiers() & Qt::ShiftModifier);
      break;
    }
    case QEvent::MouseMove: {
      auto& e = static_cast<QMouseEvent&>(*event);
      if (!(e.buttons() & Qt::LeftButton) || !handlers_.drag) return false;
      handlers_.drag(At(e));
      break;
    }
    default:
      return false;
  }
  client_->update();
  return true;
}

void TableView::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 120;
  if (handlers_.scroll) {
    for (int i = 0; i < std::abs(steps) * 3; ++i)
      handlers_.scroll(
          true, steps > 0 ? platform::ScrollAction::LineBack : platform::ScrollAction::LineForward,
          0);
  }
  client_->update();
  event->accept();
}

}  // namespace bl::series
