#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "platform/canvas.h"
#include "platform/qt/canvas_widget.h"
#include "platform/scroll_bar.h"
#include "series/table_input.h"

class QScrollBar;

namespace bl::series {

// The scroll bars a table painter asks for; a view without a horizontal bar leaves it empty.
struct TableBars {
  platform::ScrollBarSettings vertical;
  std::optional<platform::ScrollBarSettings> horizontal;
};

// What a table view does with its events; the core table (data window or spreadsheet) supplies
// them. Unset handlers ignore their events.
struct TableHandlers {
  std::function<TableBars(platform::Canvas&)> paint;
  // The client area's size, on every resize (keys and clicks may come before the first paint).
  std::function<void(platform::Size)> resize;
  std::function<void(platform::Point, bool right, bool shift)> press;
  std::function<void(platform::Point)> drag;
  std::function<void(TableKey, bool shift, bool control)> key;
  std::function<void(char)> character;
  std::function<void(bool vertical, platform::ScrollAction, int thumb)> scroll;
};

// Hosts a table painter in a client area with a vertical scroll bar at the right (and a
// horizontal one at the bottom when the painter asks for it); every event redraws the view.
class TableView : public QWidget {
 public:
  TableView(TableHandlers handlers, bool horizontalBar, QWidget* parent = nullptr);

  platform::CanvasWidget& Client() { return *client_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void Paint(platform::Canvas& canvas);
  void OnAction(bool vertical, int action);
  void Key(QKeyEvent& event);

  TableHandlers handlers_;
  platform::CanvasWidget* client_;
  QScrollBar* vertical_;
  QScrollBar* horizontal_;
  QWidget* corner_;
  bool updatingBars_ = false;
};

}  // namespace bl::series
