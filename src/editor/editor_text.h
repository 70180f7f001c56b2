#pragma once

#include <string>
#include <string_view>

#include "editor/editor_state.h"

namespace bl::platform {
class Desktop;
}

namespace bl::editor {

struct LineColumn {
  int column = 0;
  int line = 0;
  friend bool operator==(const LineColumn&, const LineColumn&) = default;
};

// Inserts text at position and returns the position after it. A position outside 0..length
// inserts nothing and returns 0; an empty text, or one that would fill the text area with the
// terminator, inserts nothing and returns position. Sets ModifiedFlag; records the insertion
// unless noUndo.
int InsertText(EditorState& s, std::string_view text, int position, bool noUndo);

// Removes the range between caret and anchor (clamped to the text), recording it unless noUndo;
// both end at the range's start.
void DeleteRange(EditorState& s, std::int32_t& caret, std::int32_t& anchor, bool noUndo);

// Undoes the newest change and returns where the caret belongs; with clearAll empties the history
// and returns 0. An empty history is reported to the user and returns caret unchanged.
int UndoLast(EditorState& s, platform::Desktop& desktop, int caret, bool clearAll);

// The byte index of column in line; past the end of a line gives its end, a negative line 0 and
// a line past the last the text length.
int PositionAt(std::string_view text, int column, int line);
// The line (number of LF before position) and the column (characters since that line's start).
LineColumn LineColumnOf(std::string_view text, int position);
// Characters in the line, its LF not counted; 0 for a line that does not exist.
int LineLength(std::string_view text, int line);
// The number of LF in the text.
int LastLineIndex(std::string_view text);

// The plain-text clipboard. ClipboardGet leaves buffer empty unless the clipboard's text with its
// terminator is smaller than limit; CR becomes a space.
void ClipboardPut(platform::Desktop& desktop, std::string_view text);
void ClipboardGet(platform::Desktop& desktop, std::string& buffer, int limit);

}  // namespace bl::editor
