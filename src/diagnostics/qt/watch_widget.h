#pragma once

#include <QPoint>
#include <functional>
#include <memory>

#include "diagnostics/watch_window.h"
#include "platform/qt/canvas_widget.h"

namespace bl {
class DefinitionTable;
class PmacLink;
struct ControllerType;
struct SelectVariableMemory;
namespace platform {
class Desktop;
}
namespace monitor {
class MonitorThread;
}
}  // namespace bl

namespace bl::diagnostics {

// What the watch window works with; the records outlive it (the table lasts for the run).
struct WatchContext {
  std::shared_ptr<WatchRecords> records;
  const ControllerType& type;
  const DefinitionTable& definitions;
  SelectVariableMemory& selectVariable;
  PmacLink& link;
  platform::Desktop& desktop;
  monitor::MonitorThread& monitor;
  // A failed save of the watched items, for the terminal.
  std::function<void(const std::string&)> warn;
};

// The "Watch Window": a frameless tool window that paints its own frame, polled by the monitor
// thread while it exists. It deletes itself when closed.
class WatchWidget : public platform::CanvasWidget {
 public:
  WatchWidget(WatchContext context, QWidget* owner);
  ~WatchWidget() override;

  WatchWindow& Window() { return window_; }
  // Resizes to the items and repaints.
  void Refresh();
  // The "Insert/Modify Watch Item" dialog, modal, until it is cancelled.
  void RunItemDialog();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Act(WatchWindow::Action action, QPoint globalPoint);

  WatchContext context_;
  WatchWindow window_;
  QPoint moveAnchor_;
};

}  // namespace bl::diagnostics
