#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "editor/editor_state.h"

namespace bl::editor {

inline constexpr int kMaxProgramListEntries = 100;
// An entry shows at most this many characters of its line.
inline constexpr int kMaxProgramListText = 254;

// The lines of text that start with "open" in any case (the start of each motion program or PLC),
// in order, at most 100 of them.
std::vector<std::string> ProgramList(std::string_view text);

// Moves the caret, without a selection, to the start of the line of the entry at index (from
// 0) of ProgramList, and shows it. An index without an entry changes nothing.
void JumpToProgram(EditorState& s, int index);

}  // namespace bl::editor
