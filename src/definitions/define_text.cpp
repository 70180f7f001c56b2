#include "definitions/define_text.h"

#include <algorithm>
#include <string>

#include "definitions/clean_line.h"
#include "definitions/definition_table.h"
#include "platform/text_format.h"

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

std::vector<std::string> UserDefinitionLines(const DefinitionTable& table) {
  std::vector<std::string> lines;
  for (const DefinitionTable::UserDefinition& d : table.UserDefinitions())
    lines.push_back(platform::Format("#DEFINE %-32s %-32s\n", d.name.c_str(), d.text.c_str()));
  return lines;
}

std::vector<std::string> VariableDefinitionLines(const DefinitionTable& table, VariableKind kind) {
  std::vector<std::string> lines;
  for (int n = 0; n < table.SlotCount(); ++n) {
    const std::string_view name = table.NameOf(kind, n);
    if (!name.empty())
      lines.push_back(platform::Format("#DEFINE %-32s %c%d\n", std::string(name).c_str(),
                                       VariableLetter(kind), n));
  }
  return lines;
}

}  // namespace bl
