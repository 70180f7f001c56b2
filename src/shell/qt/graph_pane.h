#pragma once

#include <QPoint>
#include <functional>
#include <optional>

#include "graph/graph_settings.h"
#include "platform/geometry.h"
#include "platform/qt/canvas_widget.h"

class QScrollBar;

namespace bl {

class Workbench;

// A pane of the graph view ("Graph1" or "Graph2"): DrawPane and the overlay painted into its
// client area, a horizontal scroll bar along its bottom and a vertical one at its right, and the
// mouse and keys turned into the graph's zoom, scroll and cursor operations.
//
// Mouse: left drag zooms into the rectangle (a click zooms in by 10 %), the right button restores
// the full ranges, moves drive the cursor while it is on. Shift+right-click and the Menu key open
// the pane's menu, so the plain right click keeps its meaning. The wheel steps the pane's left
// axis up or down by a line per notch (a sideways wheel or Shift+wheel steps the bottom axis).
class GraphPaneWidget : public platform::CanvasWidget {
 public:
  GraphPaneWidget(Workbench& workbench, int index, QWidget* parent = nullptr);

  int Index() const { return index_; }
  // The client area the pane is drawn in: the widget less its scroll bars.
  platform::Rect PaneRect() const;
  // The plot rectangle the pane was last drawn with (laid out afresh if it was never drawn).
  graph::PlotRect Plot() const;
  QScrollBar& HorizontalBar() { return *horizontal_; }
  QScrollBar& VerticalBar() { return *vertical_; }
  // Sets both bars from the graph's scroll bar record.
  void SyncScrollBars();

  // After this pane changed the graph: the owner redraws both panes.
  std::function<void()> onChanged;
  // Graph1's plot rectangle, which a mouse move maps the cursor position through.
  std::function<graph::PlotRect()> graph1Plot;
  // Runs a command of the pane's menu.
  std::function<void(int command)> runCommand;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Paint(platform::Canvas& canvas);
  void Changed(bool redraw);
  void OpenMenu(QPoint at);
  void OnHorizontalAction(int action);
  void OnVerticalAction(int action);

  Workbench& workbench_;
  int index_;
  QScrollBar* horizontal_;
  QScrollBar* vertical_;
  std::optional<graph::PlotRect> plot_;
  bool updatingBars_ = false;
  QPoint wheel_;  // wheel movement short of a notch
};

}  // namespace bl
