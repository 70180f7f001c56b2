#include "editor/editor_text.h"

#include <algorithm>
#include <cstring>

#include "editor/byte_scan.h"
#include "platform/desktop.h"

namespace bl::editor {

namespace {

int Length(std::string_view text) { return static_cast<int>(text.size()); }

void PushRecord(EditorState& s, UndoRecord record) {
  // The oldest record (and its text) falls off the end.
  std::move_backward(s.undoHistory.begin(), s.undoHistory.end() - 1, s.undoHistory.end());
  s.undoHistory[0] = std::move(record);
}

void DropNewest(EditorState& s) {
  std::move(s.undoHistory.begin() + 1, s.undoHistory.end(), s.undoHistory.begin());
  s.undoHistory.back() = UndoRecord{};
}

// The index of the first character of line, or -1 when the text has fewer lines.
int LineStart(std::string_view text, int line) {
  const char* p = text.data();
  const char* end = p + text.size();
  for (int i = 0; i < line; ++i) {
    const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    if (!lf) return -1;
    p = static_cast<const char*>(lf) + 1;
  }
  return static_cast<int>(p - text.data());
}

int LineEnd(std::string_view text, int start) {
  const std::size_t lf = text.find('\n', static_cast<std::size_t>(start));
  return lf == std::string_view::npos ? Length(text) : static_cast<int>(lf);
}

}  // namespace

int InsertText(EditorState& s, std::string_view text, int position, bool noUndo) {
  const int length = Length(s.editorText);
  if (position < 0 || position > length) return 0;
  const long long grown = static_cast<long long>(length) + static_cast<long long>(text.size()) + 1;
  if (text.empty() || grown >= kTextAreaSize) return position;
  s.editorText.insert(static_cast<std::size_t>(position), text);
  s.modifiedFlag = true;
  const int end = position + Length(text);
  if (!noUndo) PushRecord(s, UndoRecord{kUndoInsertion, position, end, {}});
  return end;
}

void DeleteRange(EditorState& s, std::int32_t& caret, std::int32_t& anchor, bool noUndo) {
  const int lo = std::max(std::min(caret, anchor), 0);
  const int hi = std::min(std::max(caret, anchor), Length(s.editorText));
  if (lo >= hi) {
    caret = lo;
    anchor = hi;
    return;
  }
  const std::size_t from = static_cast<std::size_t>(lo);
  const std::size_t count = static_cast<std::size_t>(hi - lo);
  if (!noUndo) PushRecord(s, UndoRecord{kUndoDeletion, lo, 0, s.editorText.substr(from, count)});
  s.editorText.erase(from, count);
  s.modifiedFlag = true;
  caret = anchor = lo;
}

int UndoLast(EditorState& s, platform::Desktop& desktop, int caret, bool clearAll) {
  if (clearAll) {
    s.undoHistory.fill(UndoRecord{});
    return 0;
  }
  UndoRecord newest = std::move(s.undoHistory[0]);
  switch (newest.kind) {
    case kUndoInsertion: {
      DropNewest(s);
      std::int32_t from = newest.start;
      std::int32_t to = newest.end;
      DeleteRange(s, from, to, true);
      // The text may have been replaced since the record was made: keep the caret inside it.
      return std::clamp(newest.start, 0, Length(s.editorText));
    }
    case kUndoDeletion: {
      DropNewest(s);
      const int length = Length(s.editorText);
      if (newest.start < 0 || newest.start > length) return std::clamp(newest.start, 0, length);
      return InsertText(s, newest.text, newest.start, true);
    }
    default:
      s.undoHistory[0] = std::move(newest);
      desktop.ShowMessage("The undo buffer is empty.", "Undo Error!", platform::MessageButtons::Ok);
      if (s.focusEditor) s.focusEditor();
      return caret;
  }
}

int PositionAt(std::string_view text, int column, int line) {
  if (line < 0) return 0;
  const int start = LineStart(text, line);
  if (start < 0) return Length(text);
  const int end = LineEnd(text, start);
  return start + std::clamp(column, 0, end - start);
}

LineColumn LineColumnOf(std::string_view text, int position) {
  const int pos = std::clamp(position, 0, Length(text));
  const std::string_view before = text.substr(0, static_cast<std::size_t>(pos));
  const int line = static_cast<int>(CountByte(before.data(), before.data() + before.size(), '\n'));
  const std::size_t lastLf = before.rfind('\n');
  const int lineStart = lastLf == std::string_view::npos ? 0 : static_cast<int>(lastLf) + 1;
  return {pos - lineStart, line};
}

int LineLength(std::string_view text, int line) {
  const int start = line < 0 ? -1 : LineStart(text, line);
  if (start < 0) return 0;
  return LineEnd(text, start) - start;
}

int LastLineIndex(std::string_view text) {
  return static_cast<int>(CountByte(text.data(), text.data() + text.size(), '\n'));
}

void ClipboardPut(platform::Desktop& desktop, std::string_view text) {
  desktop.SetClipboardText(text);
}

void ClipboardGet(platform::Desktop& desktop, std::string& buffer, int limit) {
  buffer.clear();
  std::string text = desktop.ClipboardText();
  // The text area is NUL-terminated: a NUL from another program ends the text there.
  if (const std::size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  if (static_cast<long long>(text.size()) + 1 >= limit) return;
  buffer = std::move(text);
  std::replace(buffer.begin(), buffer.end(), '\r', ' ');
}

}  // namespace bl::editor
