#include "definitions/clean_line.h"

namespace bl {

bool CleanLine(std::string& line, bool blockCommentOpen) {
  if (line.size() > kMaxCommandLength) line.resize(kMaxCommandLength);
  enum class State { Normal, BlockComment, String };
  State state = blockCommentOpen ? State::BlockComment : State::Normal;

  std::string out;
  out.reserve(line.size());
  const std::size_t n = line.size();
  std::size_t i = 0;
  while (i < n) {
    const char c = line[i];
    if (state == State::BlockComment) {
      if (c == '*' && i + 1 < n && line[i + 1] == '/') {
        state = State::Normal;
        i += 2;
        // The character right after the comment is copied as it is, without being read as the
        // start of anything.
        if (i < n) out += line[i++];
      } else {
        ++i;
      }
    } else if (state == State::String) {
      out += c;
      if (c == '"') state = State::Normal;
      ++i;
    } else if (c == ';') {
      break;
    } else if (c == '/' && i + 1 < n && line[i + 1] == '/') {
      break;
    } else if (c == '/' && i + 1 < n && line[i + 1] == '*') {
      i += 2;
      if (i < n && line[i] == '"') {
        state = State::String;
        out += line[i++];
      } else {
        state = State::BlockComment;
      }
    } else {
      if (c == '"') state = State::String;
      out += c;
      ++i;
    }
  }

  // Runs of blanks become one blank; one leading blank goes; a trailing blank stays.
  std::string collapsed;
  collapsed.reserve(out.size());
  for (char c : out)
    if (!(c == ' ' && !collapsed.empty() && collapsed.back() == ' ')) collapsed += c;
  if (!collapsed.empty() && collapsed.front() == ' ') collapsed.erase(0, 1);
  line = std::move(collapsed);
  return state == State::BlockComment;
}

}  // namespace bl
