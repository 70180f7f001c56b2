#pragma once

#include <QWidget>
#include <functional>

#include "editor/editor_state.h"
#include "platform/qt/canvas_widget.h"

class QScrollBar;

namespace bl {
class DefinitionTable;
}
namespace bl::platform {
class Desktop;
}

namespace bl::editor {

// The "Editor" window: the editor's client area with a vertical scroll bar at the right and a
// horizontal one at the bottom (both always shown, disabled when there is nothing to scroll) and
// the context menu. Qt input goes to the editor's handlers; painting is PaintEditor.
class EditorWidget : public QWidget {
 public:
  EditorWidget(EditorState& state, const DefinitionTable& table, platform::Desktop& desktop,
               QWidget* parent = nullptr);
  ~EditorWidget() override;

  // The four Insert commands (kind 1 P, 2 Q, 3 M, 4 I) and "Find and Replace" are carried out by
  // their dialogs, which the main window provides.
  std::function<void(int insertKind)> onInsertDefinition;
  std::function<void()> onFindReplace;

  // Runs an Edit or context-menu command and gives the editor the focus.
  void RunCommand(int command);

  // Sets the scroll bars from the state and repaints.
  void Refresh();

  platform::CanvasWidget& Client() { return *client_; }
  QScrollBar& VerticalScrollBar() { return *vertical_; }
  QScrollBar& HorizontalScrollBar() { return *horizontal_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void SyncBars();
  void OnVerticalAction(int action);
  void OnHorizontalAction(int action);

  EditorState& state_;
  const DefinitionTable& table_;
  platform::Desktop& desktop_;
  platform::CanvasWidget* client_;
  QScrollBar* vertical_;
  QScrollBar* horizontal_;
  QWidget* corner_;
  bool updatingBars_ = false;
};

}  // namespace bl::editor
