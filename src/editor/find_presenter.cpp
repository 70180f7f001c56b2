#include "editor/find_presenter.h"

#include "editor/editor_scroll.h"
#include "editor/editor_text.h"
#include "editor/find_text.h"
#include "platform/desktop.h"
#include "platform/text_format.h"

namespace bl::editor {

FindPresenter::FindPresenter(EditorState& editor, FindState& find, platform::Desktop& desktop)
    : s_(editor), find_(find), desktop_(desktop) {}

void FindPresenter::Open() {
  if (s_.showEditorView) s_.showEditorView();
}

void FindPresenter::SetFindText(std::string_view text) {
  find_.findText = platform::Cut(text, kMaxFindField);
}

void FindPresenter::SetReplaceText(std::string_view text) {
  find_.replaceText = platform::Cut(text, kMaxFindField);
}

int FindPresenter::Search() const {
  if (find_.searchUpwards)
    return FindText(s_.editorText, find_.findText, s_.caret - 1, find_.caseSensitive, true);
  // Downwards from the end of the selection. FindText moves a start too near the text's end
  // back to where the pattern still fits; a match found there lies behind what the search has
  // already stepped over, and taking it would select the last match of the file again and again.
  const int p = FindText(s_.editorText, find_.findText, s_.anchor, find_.caseSensitive, false);
  return p < s_.anchor ? -1 : p;
}

bool FindPresenter::SelectionIsMatch() const {
  const int length = static_cast<int>(s_.editorText.size());
  const int findLength = static_cast<int>(find_.findText.size());
  if (s_.caret < 0 || s_.caret >= s_.anchor || s_.anchor > length) return false;
  if (s_.anchor - s_.caret != findLength) return false;
  const std::string_view selected =
      std::string_view(s_.editorText)
          .substr(static_cast<std::size_t>(s_.caret), static_cast<std::size_t>(findLength));
  return SameText(selected, find_.findText, find_.caseSensitive);
}

bool FindPresenter::ReplacementFits() const {
  // The same room InsertText needs (the text and its terminator within the text area): a
  // replacement it would refuse must not delete the match first.
  const long long after = static_cast<long long>(s_.editorText.size()) -
                          static_cast<long long>(find_.findText.size()) +
                          static_cast<long long>(find_.replaceText.size());
  return after + 1 < kTextAreaSize;
}

void FindPresenter::ReplaceSelection() {
  DeleteRange(s_, s_.caret, s_.anchor, false);
  const int start = s_.caret;
  s_.anchor = InsertText(s_, find_.replaceText, start, false);
  s_.caret = start;
}

void FindPresenter::ReportNotFound() {
  desktop_.ShowMessage(find_.searchUpwards ? "The beginning of the file was reached."
                                           : "The end of the file was reached.",
                       "String Not Found", platform::MessageButtons::Ok);
}

bool FindPresenter::FindNext() {
  const int p = Search();
  if (p < 0) {
    ReportNotFound();
    return false;
  }
  s_.caret = p;
  s_.anchor = p + static_cast<int>(find_.findText.size());
  EnsureCaretVisible(s_);
  return true;
}

void FindPresenter::Replace() {
  if (!SelectionIsMatch() || !ReplacementFits()) return;
  ReplaceSelection();
  EnsureCaretVisible(s_);
  FindNext();
}

int FindPresenter::ReplaceAll() {
  int replaced = 0;
  for (;;) {
    const int p = Search();
    if (p < 0) break;
    s_.caret = p;
    s_.anchor = p + static_cast<int>(find_.findText.size());
    if (!SelectionIsMatch() || !ReplacementFits()) break;
    ReplaceSelection();
    ++replaced;
  }
  // The view follows once, to where the loop stopped: scrolling to every replacement on the way
  // would cost a scan of the text each.
  EnsureCaretVisible(s_);
  ReportNotFound();
  return replaced;
}

}  // namespace bl::editor
