#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "editor/editor_preferences.h"
#include "editor/file_list.h"

namespace bl::editor {

// The text area holds the text and its terminator: at most 499,999 characters.
inline constexpr int kTextAreaSize = 500000;
inline constexpr int kUndoSlots = 10;

// Geometry of the editor window: a 60-pixel gutter, then cells of 8 x 16 pixels whatever the font.
inline constexpr int kGutterWidth = 60;
inline constexpr int kCellWidth = 8;
inline constexpr int kLineHeight = 16;
// A line shows at most this many characters; the horizontal scroll range covers as many columns.
inline constexpr int kMaxLineColumns = 255;

enum UndoKind : std::int32_t { kUndoEmpty = 0, kUndoInsertion = 1, kUndoDeletion = 2 };

struct UndoRecord {
  std::int32_t kind = kUndoEmpty;
  std::int32_t start = 0;
  std::int32_t end = 0;  // insertions only
  std::string text;      // the deleted text, deletions only
};

// The one program editor: its text, caret, selection, scroll position, undo history, the raw
// view beside it and the preferences. Owned by the workbench; user-interface thread only.
struct EditorState {
  // LF-separated lines, no CR. Starts as one LF: two empty lines.
  std::string editorText = "\n";
  std::int32_t caret = 0;
  std::int32_t anchor = 0;
  std::int32_t desiredColumn = -1;  // the column Up and Down keep; -1 none
  std::int32_t firstColumn = 0;
  std::int32_t firstLine = 0;
  bool hasFocus = false;
  bool dragging = false;
  bool modifiedFlag = false;
  // Builds copied text and receives pasted text; other editor code may borrow it as scratch.
  std::string clipText;
  // Slot 0 the newest.
  std::array<UndoRecord, kUndoSlots> undoHistory;

  // The editor window's client size in pixels, kept by the widget that shows it.
  int width = 0;
  int height = 0;

  // The raw view: its own horizontal position, its width (0: hidden) and its drag.
  std::int32_t rawFirstColumn = 0;
  int rawWidth = 0;
  bool rawDragging = false;
  int rawDragX = 0;

  // The file in the editor (empty: none), the file list under the editor and its height.
  std::string currentFile;
  FileList fileList;
  int fileListHeight = 140;

  EditorPreferences preferences;
  // Where the preferences are kept between runs; empty: they are not kept.
  std::string preferencesFile;

  // Set by the widgets that show the editor; any of them may be empty (core tests).
  std::function<void()> repaint;     // the editor, then the raw view
  std::function<void()> repaintRaw;  // the raw view alone
  std::function<void()> relayout;    // the editor view's panes after a change of RawWidth
  std::function<void()> focusEditor;
  // Set by the main window: switch it to the editor view or the terminal view, repaint it whole.
  std::function<void()> showEditorView;
  std::function<void()> showTerminalView;
  std::function<void()> repaintMainWindow;
};

inline void Repaint(const EditorState& s) {
  if (s.repaint) s.repaint();
}

}  // namespace bl::editor
