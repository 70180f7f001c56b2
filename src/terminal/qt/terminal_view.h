#pragma once

#include <QWidget>

#include "platform/qt/canvas_widget.h"

class QScrollBar;

namespace bl {

class Terminal;

// The "Terminal" view: the line store drawn in a client area with a vertical scroll bar at the
// right and a horizontal one at the bottom. Bars without room to scroll stay visible, disabled.
class TerminalView : public QWidget {
 public:
  TerminalView(Terminal& terminal, QWidget* parent = nullptr);
  ~TerminalView() override;

  platform::CanvasWidget& Client() { return *client_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void Paint(platform::Canvas& canvas);
  void OnVerticalAction(int action);
  void OnHorizontalAction(int action);

  Terminal& terminal_;
  platform::CanvasWidget* client_;
  QScrollBar* vertical_;
  QScrollBar* horizontal_;
  QWidget* corner_;
  bool updatingBars_ = false;
};

}  // namespace bl
