#include "editor/qt/editor_view.h"

#include "editor/editor_view_layout.h"
#include "platform/qt/qt_canvas.h"

namespace bl::editor {

using platform::ToQRect;

EditorView::EditorView(EditorState& state, const DefinitionTable& table, platform::Desktop& desktop,
                       QWidget* parent)
    : QWidget(parent),
      state_(state),
      // The band first, so that the editor lies over its last row.
      band_(new platform::CanvasWidget(this)),
      editor_(new EditorWidget(state, table, desktop, this)),
      raw_(new RawViewWidget(
          state, table, [this] { return width(); }, this)),
      // The main window's client area is the view and the 50 pixels of the toolbar above it.
      bar_(new EditorBarWidget(
          state, [this] { return QSize(width(), height() + 50); }, this)),
      fileList_(new FileListWidget(state.fileList, this)) {
  band_->SetPainter([this](platform::Canvas& c) { PaintFileNameBand(c, state_.currentFile); });
  state_.repaint = [this] { Refresh(); };
  state_.relayout = [this] { Relayout(); };
  setFocusProxy(editor_);
}

EditorView::~EditorView() {
  state_.repaint = nullptr;
  state_.relayout = nullptr;
}

void EditorView::Relayout() {
  const EditorViewLayout l =
      LayOutEditorView({width(), height()}, state_.rawWidth, state_.fileListHeight);
  band_->setGeometry(ToQRect(l.band));
  editor_->setGeometry(ToQRect(l.editor));
  raw_->setGeometry(ToQRect(l.raw));
  raw_->setVisible(l.raw.Width() > 0 && l.raw.Height() > 0);
  bar_->setGeometry(ToQRect(l.bar));
  fileList_->setGeometry(ToQRect(l.fileList));
  fileList_->setVisible(l.fileList.Height() > 0);
}

void EditorView::Refresh() {
  band_->update();
  editor_->Refresh();
  raw_->Refresh();
}

void EditorView::resizeEvent(QResizeEvent*) { Relayout(); }

}  // namespace bl::editor
