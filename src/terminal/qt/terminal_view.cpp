#include "terminal/qt/terminal_view.h"

#include <QScrollBar>

#include <QStyle>
#include <QWheelEvent>
#include "platform/qt/scroll_bar_qt.h"

#include "terminal_lines/terminal_lines.h"
#include "terminal/terminal_paint.h"

namespace bl {

TerminalView::TerminalView(Terminal& terminal, QWidget* parent)
    : QWidget(parent),
      terminal_(terminal),
      client_(new platform::CanvasWidget(this)),
      vertical_(new QScrollBar(Qt::Vertical, this)),
      horizontal_(new QScrollBar(Qt::Horizontal, this)),
      corner_(new QWidget(this)) {
  setObjectName("Terminal");
  corner_->setAutoFillBackground(true);
  vertical_->setEnabled(false);
  horizontal_->setEnabled(false);
  client_->SetPainter([this](platform::Canvas& c) { Paint(c); });
  terminal_.repaint = [this] { client_->update(); };
  connect(vertical_, &QScrollBar::actionTriggered, this, &TerminalView::OnVerticalAction);
  connect(horizontal_, &QScrollBar::actionTriggered, this, &TerminalView::OnHorizontalAction);
}

TerminalView::~TerminalView() { terminal_.repaint = nullptr; }

void TerminalView::resizeEvent(QResizeEvent*) {
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int w = std::max(0, width() - bar);
  const int h = std::max(0, height() - bar);
  client_->setGeometry(0, 0, w, h);
  vertical_->setGeometry(w, 0, bar, h);
  horizontal_->setGeometry(0, h, w, bar);
  corner_->setGeometry(w, h, bar, bar);
}

void TerminalView::Paint(platform::Canvas& canvas) {
  const TerminalScrollBars bars = PaintTerminal(canvas, terminal_);
  updatingBars_ = true;
  platform::ApplyScrollBar(*vertical_, bars.vertical);
  platform::ApplyScrollBar(*horizontal_, bars.horizontal);
  updatingBars_ = false;
}

void TerminalView::OnVerticalAction(int action) {
  if (updatingBars_) return;
  const auto a = platform::ToScrollAction(action);
  if (!a) return;
  ScrollTerminalVertical(terminal_, *a, vertical_->sliderPosition(), client_->height());
  // The bar follows the view's rule, not Qt's own arithmetic.
  vertical_->setSliderPosition(terminal_.VerticalPosition());
}

void TerminalView::OnHorizontalAction(int action) {
  if (updatingBars_) return;
  const auto a = platform::ToScrollAction(action);
  if (!a) return;
  ScrollTerminalHorizontal(terminal_, *a, horizontal_->sliderPosition(), client_->width());
  horizontal_->setSliderPosition(terminal_.HorizontalPosition());
}

void TerminalView::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 120;
  for (int i = 0; i < std::abs(steps) * 3; ++i)
    ScrollTerminalVertical(terminal_,
                           steps > 0 ? ScrollAction::LineBack : ScrollAction::LineForward, 0,
                           client_->height());
  event->accept();
}

}  // namespace bl
