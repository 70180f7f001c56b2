// Find and replace, the program list and printing over a program text from a file, with any
// find and replace texts, switches and selection (stale indexes too), and Print File fields
// typed as any text on pages of any size. After every step the selection lies inside the text,
// the text stays within its area, a found match is the find text, a Replace undoes to the text
// before it, program list entries start with "open", and every printed page holds at most its
// lines per page of single rows, each behind a six-character label.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "editor/editor_text.h"
#include "editor/find_presenter.h"
#include "editor/find_text.h"
#include "editor/print_presenter.h"
#include "editor/program_list.h"
#include "fuzz/fuzz_check.h"
#include "platform/fake/fake_desktop.h"

namespace {

using namespace bl::editor;
namespace platform = bl::platform;

// Replace All of a frequent pattern costs a move of the text's tail per match: the session keeps
// it to texts where that stays quick.
constexpr std::size_t kReplaceAllTextLimit = 8 * 1024;
// Printing a full text at one row a page would record half a million pages.
constexpr std::size_t kPrintTextLimit = 4 * 1024;

void CheckState(const EditorState& s, bool staleSelection) {
  const auto length = static_cast<std::int32_t>(s.editorText.size());
  BL_FUZZ_CHECK(length <= kTextAreaSize - 2);
  BL_FUZZ_CHECK(s.firstLine >= 0 && s.firstColumn >= 0);
  if (staleSelection) return;
  BL_FUZZ_CHECK(s.caret >= 0 && s.caret <= length);
  BL_FUZZ_CHECK(s.anchor >= 0 && s.anchor <= length);
}

class Session {
 public:
  explicit Session(FuzzedDataProvider& data) : d_(data) {
    std::string text = d_.ConsumeRandomLengthString(4000);
    std::erase_if(text, [](char c) { return c == '\r' || c == '\0'; });
    // Now and then a text at the edge of the text area, where replacements stop fitting. Every
    // step scans such a text, so its sessions are short.
    if (d_.ConsumeIntegralInRange(0, 7) == 0) {
      const std::size_t room = d_.ConsumeIntegralInRange<std::size_t>(0, 40);
      text.resize(static_cast<std::size_t>(kTextAreaSize) - 2 - room, '\n');
      steps_ = 12;
    }
    s_.editorText = text;
    s_.width = 700;
    s_.height = 320;
  }

  int Steps() const { return steps_; }

  void Step() {
    switch (d_.ConsumeIntegralInRange(0, 8)) {
      case 0:
        find_.SetFindText(d_.ConsumeRandomLengthString(300));
        break;
      case 1:
        find_.SetReplaceText(d_.ConsumeRandomLengthString(300));
        break;
      case 2:
        find_.SetCaseSensitive(d_.ConsumeBool());
        find_.SetSearchUpwards(d_.ConsumeBool());
        break;
      case 3: {
        const int length = static_cast<int>(s_.editorText.size());
        s_.caret = d_.ConsumeIntegralInRange(-3, length + 3);
        s_.anchor = d_.ConsumeIntegralInRange(-3, length + 3);
        stale_ = true;  // as another tool may leave it: checked again once a step sets it
        break;
      }
      case 4:
        FindNext();
        break;
      case 5:
        Replace();
        break;
      case 6:
        if (s_.editorText.size() <= kReplaceAllTextLimit) {
          ClampSelection();
          find_.ReplaceAll();
        }
        break;
      case 7:
        ProgramListAndJump();
        break;
      default:
        Print();
        break;
    }
    CheckState(s_, stale_);
  }

 private:
  // Find and replace start from the selection the editor keeps inside the text.
  void ClampSelection() {
    const int length = static_cast<int>(s_.editorText.size());
    s_.caret = std::clamp(s_.caret, 0, length);
    s_.anchor = std::clamp(s_.anchor, 0, length);
    stale_ = false;
  }

  void FindNext() {
    ClampSelection();
    const int caret = s_.caret;
    const int anchor = s_.anchor;
    if (!find_.FindNext()) {
      BL_FUZZ_CHECK(s_.caret == caret && s_.anchor == anchor);
      return;
    }
    const std::string& pattern = find_.State().findText;
    BL_FUZZ_CHECK(s_.anchor - s_.caret == static_cast<int>(pattern.size()));
    BL_FUZZ_CHECK(SameText(std::string_view(s_.editorText).substr(s_.caret, pattern.size()),
                           pattern, find_.State().caseSensitive));
    // Downwards never goes back behind where it started.
    if (!find_.State().searchUpwards) BL_FUZZ_CHECK(s_.caret >= anchor);
    if (find_.State().searchUpwards) BL_FUZZ_CHECK(s_.caret < caret);
  }

  void Replace() {
    ClampSelection();
    const std::string before = s_.editorText;
    find_.Replace();
    if (s_.editorText == before) return;
    // Deletion and insertion: two undo records at most give the text back.
    for (int i = 0; i < 2 && s_.editorText != before; ++i) UndoLast(s_, desktop_, s_.caret, false);
    BL_FUZZ_CHECK(s_.editorText == before);
    s_.caret = s_.anchor = 0;
  }

  void ProgramListAndJump() {
    const std::vector<std::string> entries = ProgramList(s_.editorText);
    BL_FUZZ_CHECK(entries.size() <= static_cast<std::size_t>(kMaxProgramListEntries));
    for (const std::string& e : entries) {
      BL_FUZZ_CHECK(e.size() >= 4 && e.size() <= static_cast<std::size_t>(kMaxProgramListText));
      BL_FUZZ_CHECK(SameText(std::string_view(e).substr(0, 4), "open", false));
      BL_FUZZ_CHECK(e.find('\n') == std::string::npos);
    }
    const int index = d_.ConsumeIntegralInRange(-1, 101);
    JumpToProgram(s_, index);
    if (index >= 0 && index < static_cast<int>(entries.size())) {
      stale_ = false;
      BL_FUZZ_CHECK(s_.caret == s_.anchor);
      BL_FUZZ_CHECK(s_.caret == 0 || s_.editorText[static_cast<std::size_t>(s_.caret - 1)] == '\n');
      BL_FUZZ_CHECK(s_.editorText.compare(static_cast<std::size_t>(s_.caret), entries[index].size(),
                                          entries[index]) == 0);
    }
  }

  void Print() {
    if (s_.editorText.size() > kPrintTextLimit) return;
    desktop_.printPage = {d_.ConsumeIntegralInRange(-10, 5000),
                          d_.ConsumeIntegralInRange(-10, 5000), d_.ConsumeFloatingPoint<double>(),
                          d_.ConsumeFloatingPoint<double>()};
    desktop_.printCancelled = d_.ConsumeIntegralInRange(0, 15) == 0;
    PrintPresenter presenter(s_, settings_, desktop_);
    presenter.Open();
    for (int i = 0; i < kPrintFieldCount; ++i)
      if (d_.ConsumeBool())
        presenter.SetField(static_cast<PrintField>(i), d_.ConsumeRandomLengthString(40));
    presenter.Accept();
    desktop_.printedPages.clear();
    presenter.Print();
    for (const auto& page : desktop_.printedPages) {
      const auto rows = page->Texts();
      BL_FUZZ_CHECK(settings_.linesPerPage >= 1);
      BL_FUZZ_CHECK(rows.size() <= static_cast<std::size_t>(settings_.linesPerPage));
      for (const auto* row : rows) {
        BL_FUZZ_CHECK(row->text.size() >= 6 && row->text.size() <= 6 + 255 + 5);
        BL_FUZZ_CHECK(row->text.find('\n') == std::string::npos);
        BL_FUZZ_CHECK(row->rect.Height() >= 1);
      }
    }
    desktop_.printedPages.clear();
    desktop_.messages.clear();
  }

  FuzzedDataProvider& d_;
  EditorState s_;
  FindState findState_;
  platform::FakeDesktop desktop_;
  FindPresenter find_{s_, findState_, desktop_};
  PrintSettings settings_;
  bool stale_ = false;
  int steps_ = 60;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  Session session(data);
  for (int step = 0; step < session.Steps() && data.remaining_bytes() > 0; ++step) session.Step();
  return 0;
}
