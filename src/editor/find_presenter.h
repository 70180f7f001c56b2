#pragma once

#include <string>
#include <string_view>

#include "editor/editor_state.h"

namespace bl::platform {
class Desktop;
}

namespace bl::editor {

// The find and replace texts hold at most this many characters.
inline constexpr int kMaxFindField = 254;

// What "Find and Replace" remembers for the run, shown again when the dialog reopens.
struct FindState {
  std::string findText;
  std::string replaceText;
  bool caseSensitive = false;
  bool searchUpwards = false;
};

// "Find and Replace" without its widgets. The dialog hands every change of its fields and check
// boxes over at once, so closing it in any way keeps what it showed.
class FindPresenter {
 public:
  FindPresenter(EditorState& editor, FindState& find, platform::Desktop& desktop);

  // Opening: the main window shows the editor.
  void Open();

  const FindState& State() const { return find_; }
  void SetFindText(std::string_view text);
  void SetReplaceText(std::string_view text);
  void SetCaseSensitive(bool on) { find_.caseSensitive = on; }
  void SetSearchUpwards(bool on) { find_.searchUpwards = on; }

  // Selects the next match (caret at its start) or says that the end or the beginning of the
  // file was reached. True when a match was found.
  bool FindNext();
  // Replaces the selection when it is exactly the find text, then finds the next match;
  // otherwise does nothing at all.
  void Replace();
  // Replaces match after match until none is left or the text is full; returns how many.
  int ReplaceAll();

 private:
  // The next match from the selection in the present direction, or -1.
  int Search() const;
  bool SelectionIsMatch() const;
  bool ReplacementFits() const;
  // Replaces the selection and selects the replacement.
  void ReplaceSelection();
  void ReportNotFound();

  EditorState& s_;
  FindState& find_;
  platform::Desktop& desktop_;
};

}  // namespace bl::editor
