#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "editor/editor_bar.h"

class QPushButton;

namespace bl::editor {

struct EditorState;

// The "VDragBar" above the file list: five buttons, and dragging the bar up or down resizes the
// file list. The file operations behind "Save File", "Update #Defines" and "Jump to Program" are
// given by whoever owns the files.
class EditorBarWidget : public QWidget {
 public:
  EditorBarWidget(EditorState& state, std::function<QSize()> clientSize, QWidget* parent = nullptr);

  std::function<void()> onSaveFile;
  std::function<void()> onUpdateDefines;
  std::function<void()> onJumpToProgram;

  QPushButton& Button(int index) { return *buttons_[static_cast<std::size_t>(index)]; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  EditorState& state_;
  std::function<QSize()> clientSize_;
  std::array<QPushButton*, kEditorBarButtons> buttons_{};
  bool dragging_ = false;
  int dragY_ = 0;
};

}  // namespace bl::editor
