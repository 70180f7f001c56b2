// The program editor's keys, typed characters, mouse, scrolling and clipboard commands, in any
// order. After every event: caret and anchor lie inside the text, the text stays within the text
// area and holds no CR or NUL, and each change the undo history recorded takes back exactly to
// the text before it; an Undo event must give back the text the model kept for it.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "editor/editor_edit.h"
#include "editor/editor_input.h"
#include "editor/editor_scroll.h"
#include "editor/editor_state.h"
#include "editor/editor_text.h"
#include "fuzz/fuzz_check.h"
#include "platform/fake/fake_desktop.h"
#include "commands/command_ids.h"

namespace {

using namespace bl::editor;
using History = std::array<UndoRecord, kUndoSlots>;

// Texts reach half a megabyte and are compared at every event: their length and hash stand for
// them, which keeps the fuzzer from spending its time copying.
struct Text {
  std::size_t length = 0;
  std::size_t hash = 0;
  friend bool operator==(const Text&, const Text&) = default;
};
Text Fingerprint(std::string_view text) {
  return {text.size(), std::hash<std::string_view>{}(text)};
}

bool SameRecord(const UndoRecord& a, const UndoRecord& b) {
  return a.kind == b.kind && a.start == b.start && a.end == b.end && a.text == b.text;
}

int Recorded(const History& h) {
  return static_cast<int>(
      std::count_if(h.begin(), h.end(), [](const UndoRecord& r) { return r.kind != kUndoEmpty; }));
}

// The history after `pushed` new records: the old ones moved down by that many.
bool ShiftedBy(const History& now, const History& old, int pushed) {
  for (int i = 0; i < pushed; ++i)
    if (now[static_cast<std::size_t>(i)].kind == kUndoEmpty) return false;
  for (int i = pushed; i < kUndoSlots; ++i)
    if (!SameRecord(now[static_cast<std::size_t>(i)], old[static_cast<std::size_t>(i - pushed)]))
      return false;
  return true;
}

void CheckState(const EditorState& s) {
  const auto length = static_cast<std::int32_t>(s.editorText.size());
  BL_FUZZ_CHECK(length <= kTextAreaSize - 2);  // the text and its terminator fit the area
  BL_FUZZ_CHECK(s.caret >= 0 && s.caret <= length);
  BL_FUZZ_CHECK(s.anchor >= 0 && s.anchor <= length);
  BL_FUZZ_CHECK(s.editorText.find('\r') == std::string::npos);
  BL_FUZZ_CHECK(s.editorText.find('\0') == std::string::npos);
  BL_FUZZ_CHECK(s.firstLine >= 0 && s.firstColumn >= 0);
  BL_FUZZ_CHECK(s.desiredColumn >= -1);
}

class Session {
 public:
  explicit Session(FuzzedDataProvider& data) : d_(data) {
    std::string text = d_.ConsumeRandomLengthString(2000);
    std::erase_if(text, [](char c) { return c == '\r' || c == '\0'; });
    if (!text.empty()) s_.editorText = text;
    s_.width = 700;
    s_.height = 320;
  }

  void Step() {
    const Text before = Fingerprint(s_.editorText);
    const History old = s_.undoHistory;
    const std::size_t messages = desktop_.messages.size();
    const bool undo = Event();
    CheckState(s_);
    if (undo) {
      CheckUndo(before, old, messages);
    } else {
      CheckRecorded(before, old);
    }
    BL_FUZZ_CHECK(static_cast<int>(texts_.size()) == Recorded(s_.undoHistory));
  }

 private:
  // Runs one event; true when it was an Undo.
  bool Event() {
    switch (d_.ConsumeIntegralInRange(0, 8)) {
      case 0: {
        const char c = d_.ConsumeIntegral<char>();
        OnChar(s_, desktop_, c);
        return c == 26;
      }
      case 1: {
        // As the keyboard gives it: a code point, which may lie beyond what the text holds.
        const auto c = d_.ConsumeIntegralInRange<char32_t>(0, d_.ConsumeBool() ? 0xFF : 0x10FFFF);
        OnTypedCharacter(s_, desktop_, c);
        return c == 26;
      }
      case 2:
      case 3: {
        KeyEvent e;
        e.key = static_cast<EditorKey>(d_.ConsumeIntegralInRange(0, 12));
        e.shift = d_.ConsumeBool();
        e.control = d_.ConsumeBool();
        OnKeyDown(s_, desktop_, e);
        return false;
      }
      case 4: {
        // What another program left on the clipboard, sometimes large enough to reach the
        // text area's limit.
        std::string piece = d_.ConsumeRandomLengthString(64);
        const int times =
            d_.ConsumeIntegralInRange(0, 7) != 0 ? 1 : d_.ConsumeIntegralInRange(1, 8000);
        std::string text;
        for (int i = 0; i < times; ++i) text += piece;
        desktop_.SetClipboardText(text);
        return false;
      }
      case 5: {
        static constexpr std::array<int, 5> kCommands = {
            bl::cmd::kCut, bl::cmd::kCopy, bl::cmd::kPaste, bl::cmd::kDelete, bl::cmd::kUndo};
        const int command = kCommands[d_.ConsumeIntegralInRange<std::size_t>(0, 4)];
        BL_FUZZ_CHECK(RunEditCommand(s_, desktop_, command));
        return command == bl::cmd::kUndo;
      }
      case 6: {
        MouseEvent e{d_.ConsumeIntegralInRange(-2000, 4000), d_.ConsumeIntegralInRange(-2000, 4000),
                     d_.ConsumeBool()};
        switch (d_.ConsumeIntegralInRange(0, 2)) {
          case 0:
            OnLeftButtonDown(s_, e);
            break;
          case 1:
            OnMouseMove(s_, e);
            break;
          default:
            OnLeftButtonUp(s_);
            break;
        }
        return false;
      }
      case 7: {
        const auto action = static_cast<ScrollAction>(d_.ConsumeIntegralInRange(0, 6));
        const int amount = d_.ConsumeIntegralInRange(-5000, 5000);
        switch (d_.ConsumeIntegralInRange(0, 3)) {
          case 0:
            ScrollVertical(s_, action, amount);
            break;
          case 1:
            ScrollHorizontal(s_, action, amount);
            break;
          case 2:
            ScrollWheel(s_, amount);
            break;
          default:
            s_.width = d_.ConsumeIntegralInRange(0, 3000);
            s_.height = d_.ConsumeIntegralInRange(0, 3000);
            break;
        }
        return false;
      }
      default:
        InsertDefinedName(s_, desktop_, d_.ConsumeRandomLengthString(40));
        return false;
    }
  }

  // Undo gives back the text from before the newest recorded change, or says the history is
  // empty and changes nothing.
  void CheckUndo(const Text& before, const History& old, std::size_t messages) {
    if (old[0].kind == kUndoEmpty) {
      BL_FUZZ_CHECK(Fingerprint(s_.editorText) == before);
      BL_FUZZ_CHECK(desktop_.messages.size() == messages + 1);
      return;
    }
    BL_FUZZ_CHECK(!texts_.empty());
    BL_FUZZ_CHECK(Fingerprint(s_.editorText) == texts_.front());
    texts_.pop_front();
    for (int i = 0; i + 1 < kUndoSlots; ++i)
      BL_FUZZ_CHECK(SameRecord(s_.undoHistory[static_cast<std::size_t>(i)],
                               old[static_cast<std::size_t>(i + 1)]));
    BL_FUZZ_CHECK(s_.undoHistory.back().kind == kUndoEmpty);
  }

  // An event records at most two changes (the selection it replaced, then what it inserted).
  // Undoing what it recorded on a copy must give back the text from before the event.
  void CheckRecorded(const Text& before, const History& old) {
    if (ShiftedBy(s_.undoHistory, old, 0) && Fingerprint(s_.editorText) == before) return;
    for (int pushed = 1; pushed <= 2; ++pushed) {
      if (!ShiftedBy(s_.undoHistory, old, pushed)) continue;
      EditorState copy = s_;
      bl::platform::FakeDesktop quiet;
      Text middle;
      for (int i = 0; i < pushed; ++i) {
        const int caret = UndoLast(copy, quiet, copy.caret, false);
        BL_FUZZ_CHECK(caret >= 0 && caret <= static_cast<int>(copy.editorText.size()));
        if (i == 0) middle = Fingerprint(copy.editorText);
      }
      if (Fingerprint(copy.editorText) != before) continue;
      BL_FUZZ_CHECK(quiet.messages.empty());
      texts_.push_front(before);
      if (pushed == 2) texts_.push_front(middle);
      while (static_cast<int>(texts_.size()) > kUndoSlots) texts_.pop_back();
      return;
    }
    // The text changed without a record that takes it back.
    BL_FUZZ_CHECK(false);
  }

  FuzzedDataProvider& d_;
  EditorState s_;
  bl::platform::FakeDesktop desktop_;
  // The text before each recorded change, newest first, as many as the history holds.
  std::deque<Text> texts_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  Session session(data);
  for (int step = 0; step < 100 && data.remaining_bytes() > 0; ++step) session.Step();
  return 0;
}
