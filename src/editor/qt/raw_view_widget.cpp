#include "editor/qt/raw_view_widget.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>

#include "editor/raw_view.h"
#include "platform/qt/scroll_bar_qt.h"

namespace bl::editor {

namespace {

// The client area; the left button anywhere drags the view's left edge.
class RawClient final : public platform::CanvasWidget {
 public:
  RawClient(EditorState& state, std::function<int()> mainWidth, QWidget* parent)
      : platform::CanvasWidget(parent), state_(state), mainWidth_(std::move(mainWidth)) {
    setCursor(Qt::SizeHorCursor);
  }

 protected:
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton) RawDragBegin(state_, e->position().toPoint().x());
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    RawDragMove(state_, e->position().toPoint().x(), mainWidth_ ? mainWidth_() : width());
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton) RawDragEnd(state_);
  }

 private:
  EditorState& state_;
  std::function<int()> mainWidth_;
};

}  // namespace

RawViewWidget::RawViewWidget(EditorState& state, const DefinitionTable& table,
                             std::function<int()> mainWidth, QWidget* parent)
    : QWidget(parent),
      state_(state),
      table_(table),
      client_(new RawClient(state, std::move(mainWidth), this)),
      horizontal_(new QScrollBar(Qt::Horizontal, this)) {
  setObjectName("EditorRaw");
  setCursor(Qt::SizeHorCursor);
  client_->SetPainter([this](platform::Canvas& c) { PaintRawView(c, state_, table_); });
  state_.repaintRaw = [this] { Refresh(); };
  connect(horizontal_, &QScrollBar::actionTriggered, this, &RawViewWidget::OnAction);
}

RawViewWidget::~RawViewWidget() { state_.repaintRaw = nullptr; }

void RawViewWidget::Refresh() {
  SyncBar();
  client_->update();
}

void RawViewWidget::SyncBar() {
  updatingBar_ = true;
  platform::ApplyScrollBar(*horizontal_, RawHorizontalBar(state_, client_->width()));
  updatingBar_ = false;
}

void RawViewWidget::resizeEvent(QResizeEvent*) {
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int h = std::max(0, height() - bar);
  client_->setGeometry(0, 0, width(), h);
  horizontal_->setGeometry(0, h, width(), bar);
  SyncBar();
}

void RawViewWidget::OnAction(int action) {
  if (updatingBar_) return;
  if (const auto a = platform::ToScrollAction(action))
    ScrollRaw(state_, *a, horizontal_->sliderPosition(), client_->width());
  horizontal_->setSliderPosition(state_.rawFirstColumn * kCellWidth);
}

}  // namespace bl::editor
