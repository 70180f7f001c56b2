#pragma once

#include <QPoint>
#include <array>

#include "diagnostics/position_window.h"
#include "platform/qt/canvas_widget.h"

class QPushButton;

namespace bl::monitor {
class MonitorThread;
}

namespace bl::diagnostics {

// The "Motor Position Window": a frameless tool window of fixed size that paints its own frame
// and rows, with the mode, units and page buttons as child push buttons. The monitor thread
// polls the positions while it exists. It deletes itself when closed.
class PositionWidget : public platform::CanvasWidget {
 public:
  PositionWidget(monitor::PositionDisplay& display, PositionUnits& units,
                 const ControllerType& type, monitor::MonitorThread& monitor, QWidget* owner);
  ~PositionWidget() override;

  PositionWindow& Window() { return window_; }
  // "Positions", "Velocities", "Fol. Errors", "Units", and on the Turbo types
  // "<----   Previous 8 Motors" and "Next 8 Motors   ---->" (else nullptr).
  QPushButton* Button(int index) { return buttons_[static_cast<std::size_t>(index)]; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void RunUnitsDialog();

  PositionUnits& units_;
  monitor::MonitorThread& monitor_;
  PositionWindow window_;
  std::array<QPushButton*, 6> buttons_{};
  bool moving_ = false;
  QPoint moveAnchor_;
};

}  // namespace bl::diagnostics
