#include "editor/program_list.h"

#include <algorithm>

#include "editor/editor_scroll.h"
#include "editor/find_text.h"

namespace bl::editor {

namespace {

bool StartsProgram(std::string_view line) {
  return line.size() >= 4 && SameText(line.substr(0, 4), "open", false);
}

// Calls visit(lineStart, line) for each line starting a program until visit returns false.
template <typename Visit>
void ForEachProgramLine(std::string_view text, Visit visit) {
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t lf = text.find('\n', start);
    const std::size_t end = lf == std::string_view::npos ? text.size() : lf;
    const std::string_view line = text.substr(start, end - start);
    if (StartsProgram(line) && !visit(start, line)) return;
    if (lf == std::string_view::npos) return;
    start = lf + 1;
  }
}

}  // namespace

std::vector<std::string> ProgramList(std::string_view text) {
  std::vector<std::string> entries;
  ForEachProgramLine(text, [&](std::size_t, std::string_view line) {
    entries.emplace_back(line.substr(0, kMaxProgramListText));
    return static_cast<int>(entries.size()) < kMaxProgramListEntries;
  });
  return entries;
}

void JumpToProgram(EditorState& s, int index) {
  if (index < 0 || index >= kMaxProgramListEntries) return;
  int seen = 0;
  ForEachProgramLine(s.editorText, [&](std::size_t lineStart, std::string_view) {
    if (seen++ < index) return true;
    s.caret = std::clamp(static_cast<int>(lineStart), 0, static_cast<int>(s.editorText.size()));
    s.anchor = s.caret;
    EnsureCaretVisible(s);
    return false;
  });
}

}  // namespace bl::editor
