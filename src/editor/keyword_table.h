#pragma once

#include <array>
#include <string_view>

namespace bl::editor {

inline constexpr int kKeywordCount = 111;

// The PMAC keywords the editor colours, in table order. Compared without regard to case.
extern const std::array<std::string_view, kKeywordCount> kKeywordTable;

// Whether a run of letters is a keyword, case ignored.
bool IsKeyword(std::string_view letters);

}  // namespace bl::editor
