#pragma once

#include <QPoint>
#include <QTimer>

#include "diagnostics/diagnostic_window.h"
#include "platform/qt/canvas_widget.h"

namespace bl {
class PmacLink;
namespace monitor {
class MonitorThread;
}
}  // namespace bl

namespace bl::diagnostics {

// The "Diagnostic Window": a frameless tool window that paints the current page of the loaded
// script with its own title bar and close box, refreshed by the monitor thread while it exists.
// It deletes itself when closed, which stops the refresh; the script stays loaded.
class DiagnosticWidget : public platform::CanvasWidget {
 public:
  DiagnosticWidget(DiagnosticScript& script, PmacLink& link, ScriptLoadContext loader,
                   monitor::MonitorThread& monitor, QWidget* owner);
  ~DiagnosticWidget() override;

  DiagnosticWindow& Window() { return window_; }
  bool ButtonTimerActive() const { return pressTimer_.isActive(); }
  // Takes the size of the current page and repaints.
  void Refresh();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Act(DiagnosticWindow::Action action, QPoint globalPoint);
  void RunEditDialog();

  DiagnosticScript& script_;
  PmacLink& link_;
  monitor::MonitorThread& monitor_;
  DiagnosticWindow window_;
  QTimer pressTimer_;
  QPoint moveAnchor_;
};

}  // namespace bl::diagnostics
