#include "definitions/define_text.h"

#include <algorithm>
#include <string>

#include "definitions/clean_line.h"
#include "definitions/definition_table.h"

namespace bl {

namespace {
constexpr std::size_t kLineLimit = 254;
}

int DefineFromText(std::string_view text, DefinitionTable& table, Terminal& terminal) {
  int lineNumber = 0;
  int count = 0;
  bool open = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(start, std::min(end - start, kLineLimit)));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++lineNumber;
    open = CleanLine(line, open);
    if (table.DefineLine(line, lineNumber, terminal) == kDefineRedefined) ++count;
    start = end + 1;
  }
  return count;
}

}  // namespace bl
