#pragma once

#include <string_view>

#include "platform/canvas.h"
#include "platform/geometry.h"

namespace bl::editor {

// The panes of the editor view in the view's own coordinates. The view sits at (0, 50) of the
// main window and is W x (H - 50), so y here is the main window's y - 50: the file-name band from
// 50 to 76, the editor from 75 down to the editor bar, the raw view at its right, the bar (30
// high) above the file list at the bottom.
struct EditorViewLayout {
  platform::Rect band;
  platform::Rect editor;
  platform::Rect raw;
  platform::Rect bar;
  platform::Rect fileList;
};

EditorViewLayout LayOutEditorView(platform::Size view, int rawWidth, int fileListHeight);

// The band above the editor: the file name, or "New File", white on blue.
void PaintFileNameBand(platform::Canvas& canvas, std::string_view currentFile);

}  // namespace bl::editor
