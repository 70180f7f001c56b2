#pragma once

#include <string_view>

namespace bl::editor {

// The longest pattern FindText looks for.
inline constexpr int kMaxFindPattern = 255;

// The index of a match of pattern in text, or -1. Downwards the positions start, start + 1, ...
// are tried, upwards start, start - 1, ... down to 0; a start too near the end to hold the
// pattern is moved back to the last place it fits. Without caseSensitive, ASCII letters match
// either case. An empty pattern, one longer than 255 characters or one longer than the text
// finds nothing.
int FindText(std::string_view text, std::string_view pattern, int start, bool caseSensitive,
             bool upwards);

// Whether a and b, of equal length, hold the same characters (ASCII letters in either case
// unless caseSensitive).
bool SameText(std::string_view a, std::string_view b, bool caseSensitive);

}  // namespace bl::editor
