#pragma once

#include <QWidget>
#include <functional>

#include "editor/editor_state.h"
#include "platform/qt/canvas_widget.h"

class QScrollBar;

namespace bl {
class DefinitionTable;
}

namespace bl::editor {

// The "EditorRaw" window beside the editor: the raw view's client area over its horizontal
// scroll bar. Dragging anywhere in the client resizes it (RawWidth); mainWidth tells the drag
// the main window's client width.
class RawViewWidget : public QWidget {
 public:
  RawViewWidget(EditorState& state, const DefinitionTable& table, std::function<int()> mainWidth,
                QWidget* parent = nullptr);
  ~RawViewWidget() override;

  void Refresh();
  platform::CanvasWidget& Client() { return *client_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void SyncBar();
  void OnAction(int action);

  EditorState& state_;
  const DefinitionTable& table_;
  platform::CanvasWidget* client_;
  QScrollBar* horizontal_;
  bool updatingBar_ = false;
};

}  // namespace bl::editor
