#pragma once

#include "editor/editor_state.h"

namespace bl::platform {
class Desktop;
}

namespace bl::editor {

// The keys the editor acts on; any other key is ignored.
enum class EditorKey {
  Backspace,
  Tab,
  Enter,
  PageUp,
  PageDown,
  Home,
  End,
  Left,
  Right,
  Up,
  Down,
  Insert,
  Delete
};

// Shift and Ctrl as held when the key went down.
struct KeyEvent {
  EditorKey key = EditorKey::Left;
  bool shift = false;
  bool control = false;
};

// A point in the editor's client area.
struct MouseEvent {
  int x = 0;
  int y = 0;
  bool shift = false;
};

// A typed character: 32..126 replaces the selection; Ctrl-C, Ctrl-V, Ctrl-X and Ctrl-Z (3, 22,
// 24, 26) copy, paste, cut and undo; anything else is ignored.
void OnChar(EditorState& s, platform::Desktop& desktop, char c);
// A typed character by its Unicode code point, as a keyboard layout gives it. The text holds
// Latin-1 bytes: a character beyond Latin-1 is ignored like any other character the editor
// cannot hold (it never becomes '?'); the others go to OnChar.
void OnTypedCharacter(EditorState& s, platform::Desktop& desktop, char32_t c);
void OnKeyDown(EditorState& s, platform::Desktop& desktop, const KeyEvent& event);

// The text position under a point: a click lands on the nearer character boundary.
int PositionUnder(const EditorState& s, int x, int y);

// The left button places the caret (Shift extends the selection) and starts a drag that moves
// the caret while the anchor stays. The widget gives itself the focus and captures the mouse.
void OnLeftButtonDown(EditorState& s, const MouseEvent& event);
void OnMouseMove(EditorState& s, const MouseEvent& event);
void OnLeftButtonUp(EditorState& s);

void OnFocusChange(EditorState& s, bool hasFocus);

}  // namespace bl::editor
