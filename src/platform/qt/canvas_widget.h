#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "platform/canvas.h"
#include "platform/qt/shape_cache.h"

namespace bl::platform {

// Hosts a painter function: each paint composes the whole view in an off-screen image through
// a QtCanvas and copies it to the screen in one step, so nothing flickers.
class CanvasWidget : public QWidget {
 public:
  using Painter = std::function<void(Canvas&)>;

  explicit CanvasWidget(QWidget* parent = nullptr);
  void SetPainter(Painter painter) { painter_ = std::move(painter); }

  // Composes the view as it would be painted now.
  QImage Render();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Painter painter_;
  QImage buffer_;
  ShapeCache shapes_;  // the figures of earlier paints, drawn again by copying
};

}  // namespace bl::platform
