#pragma once

#include <QWidget>

#include "editor/editor_state.h"
#include "editor/qt/editor_bar_widget.h"
#include "editor/qt/editor_widget.h"
#include "editor/qt/file_list_widget.h"
#include "editor/qt/raw_view_widget.h"
#include "platform/qt/canvas_widget.h"

namespace bl::editor {

// The main window's editor view: the file-name band, the editor, the raw view at its right, and
// below them the editor bar and the file list. The main window places it at (0, 50), W x (H - 50).
class EditorView : public QWidget {
 public:
  EditorView(EditorState& state, const DefinitionTable& table, platform::Desktop& desktop,
             QWidget* parent = nullptr);
  ~EditorView() override;

  EditorWidget& Editor() { return *editor_; }
  RawViewWidget& Raw() { return *raw_; }
  platform::CanvasWidget& Band() { return *band_; }
  EditorBarWidget& EditorBar() { return *bar_; }
  FileListWidget& FileList() { return *fileList_; }

  // Places the panes after a change of RawWidth or FileListHeight.
  void Relayout();
  // Repaints the band, the editor and the raw view.
  void Refresh();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  EditorState& state_;
  platform::CanvasWidget* band_;
  EditorWidget* editor_;
  RawViewWidget* raw_;
  EditorBarWidget* bar_;
  FileListWidget* fileList_;
};

}  // namespace bl::editor
