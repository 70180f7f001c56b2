#include "shell/qt/toolbar.h"

#include <QButtonGroup>
#include <QPainter>
#include <QToolButton>

#include "platform/qt/qt_canvas.h"
#include "shell/toolbar_images.h"

namespace bl {

namespace {

constexpr int kButtonWidth = kToolbarImageWidth + 7;
constexpr int kButtonHeight = kToolbarImageHeight + 6;

QIcon ToolbarIcon(int index) {
  QImage image(kToolbarImageWidth, kToolbarImageHeight, QImage::Format_RGB32);
  image.fill(QColor(192, 192, 192));
  {
    QPainter p(&image);
    platform::QtCanvas canvas(p, {kToolbarImageWidth, kToolbarImageHeight});
    PaintToolbarImage(canvas, index);
  }
  return QIcon(QPixmap::fromImage(image));
}

}  // namespace

Toolbar::Toolbar(std::function<void(int command)> send, QWidget* parent)
    : QWidget(parent), group_(new QButtonGroup(this)) {
  group_->setExclusive(true);
  for (int i = 0; i < kToolbarButtonCount; ++i) {
    auto* button = new QToolButton(this);
    button->setCheckable(true);
    button->setAutoRaise(false);
    button->setIcon(ToolbarIcon(i));
    button->setIconSize(QSize(kToolbarImageWidth, kToolbarImageHeight));
    button->setToolTip(ToolbarTip(i));
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(2 + i * kButtonWidth, 1, kButtonWidth, kButtonHeight);
    group_->addButton(button, i);
  }
  connect(group_, &QButtonGroup::idClicked, this, [send](int id) {
    if (send) send(71 + id);
  });
}

void Toolbar::Press(int index) {
  if (index < 0) {
    group_->setExclusive(false);
    for (QAbstractButton* b : group_->buttons()) b->setChecked(false);
    group_->setExclusive(true);
    return;
  }
  if (QAbstractButton* b = group_->button(index)) b->setChecked(true);
}

int Toolbar::Pressed() const { return group_->checkedId(); }

QToolButton* Toolbar::Button(int index) const {
  return static_cast<QToolButton*>(group_->button(index));
}

void Toolbar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(192, 192, 192));
  p.setPen(QColor(128, 128, 128));
  p.drawLine(0, height() - 1, width(), height() - 1);
}

}  // namespace bl
