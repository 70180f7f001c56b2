#include "editor/qt/editor_bar_widget.h"

#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>

#include "editor/editor_state.h"

namespace bl::editor {

EditorBarWidget::EditorBarWidget(EditorState& state, std::function<QSize()> clientSize,
                                 QWidget* parent)
    : QWidget(parent), state_(state), clientSize_(std::move(clientSize)) {
  setObjectName("VDragBar");
  setCursor(Qt::SizeVerCursor);
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(192, 192, 192));
  setPalette(p);
  setAutoFillBackground(true);
  for (int i = 0; i < kEditorBarButtons; ++i) {
    auto* button = new QPushButton(kEditorBarTexts[static_cast<std::size_t>(i)], this);
    button->setCursor(Qt::ArrowCursor);
    button->setFocusPolicy(Qt::NoFocus);
    buttons_[static_cast<std::size_t>(i)] = button;
  }
  connect(buttons_[0], &QPushButton::clicked, this, [this] {
    if (onSaveFile) onSaveFile();
  });
  connect(buttons_[1], &QPushButton::clicked, this, [this] {
    if (onUpdateDefines) onUpdateDefines();
  });
  connect(buttons_[2], &QPushButton::clicked, this, [this] { ToggleFileList(state_); });
  connect(buttons_[3], &QPushButton::clicked, this,
          [this] { ToggleRawCode(state_, clientSize_().width()); });
  connect(buttons_[4], &QPushButton::clicked, this, [this] {
    if (onJumpToProgram) onJumpToProgram();
  });
}

void EditorBarWidget::resizeEvent(QResizeEvent*) {
  const auto rects = EditorBarButtons(clientSize_().width());
  for (std::size_t i = 0; i < rects.size(); ++i) {
    const platform::Rect& r = rects[i];
    buttons_[i]->setGeometry(r.left, r.top, r.Width(), r.Height());
  }
}

void EditorBarWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = true;
  dragY_ = event->position().toPoint().y();
}

void EditorBarWidget::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  // Bar coordinates: the bar follows the pointer, so the offset from the press point is the move.
  DragEditorBar(state_, event->position().toPoint().y() - dragY_, clientSize_().height());
}

void EditorBarWidget::mouseReleaseEvent(QMouseEvent*) { dragging_ = false; }

}  // namespace bl::editor
