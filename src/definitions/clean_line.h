#pragma once

#include <string>

namespace bl {

inline constexpr std::size_t kMaxCommandLength = 255;

// Strips comments (";", "//", "/* ... */") and surplus blanks from one program or command line
// in place; the line is taken up to its first 255 characters. blockCommentOpen says whether the
// line starts inside a block comment; the result says whether it ends inside one. Text between
// double quotes is kept as it is.
bool CleanLine(std::string& line, bool blockCommentOpen);

}  // namespace bl
