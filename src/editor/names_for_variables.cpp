#include "editor/names_for_variables.h"

#include <string_view>

#include "definitions/definition_table.h"
#include "definitions/name_chars.h"

namespace bl::editor {

namespace {

constexpr std::size_t kMaxLine = 255;

bool IsLetter(char c) { return IsNameChar(c, 0); }
bool IsWordChar(char c) { return IsNameChar(c, 1); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool CommentAt(std::string_view line, std::size_t i) {
  return line[i] == ';' || (line[i] == '/' && i + 1 < line.size() && line[i + 1] == '/');
}

// The name for a word such as "P10", or nothing.
std::string_view NameFor(std::string_view word, NameSwitches on, const DefinitionTable& table) {
  if (word.size() < 2 || word.size() > 5) return {};
  VariableKind kind;
  switch (word[0]) {
    case 'P': case 'p': if (!on.p) return {}; kind = VariableKind::P; break;
    case 'Q': case 'q': if (!on.q) return {}; kind = VariableKind::Q; break;
    case 'M': case 'm': if (!on.m) return {}; kind = VariableKind::M; break;
    case 'I': case 'i': if (!on.i) return {}; kind = VariableKind::I; break;
    default: return {};
  }
  int number = 0;
  for (char c : word.substr(1)) {
    if (!IsDigit(c)) return {};
    number = number * 10 + (c - '0');
  }
  if (number < 1 || number >= table.SlotCount()) return {};
  return table.NameOf(kind, number);
}

}  // namespace

void NamesForVariables(std::string& line, NameSwitches switches, const DefinitionTable& table) {
  if (line.size() > kMaxLine) return;
  const std::string_view in(line);
  std::string out;
  out.reserve(in.size() + 32);
  std::size_t i = 0;
  while (i < in.size()) {
    if (CommentAt(in, i)) {
      out.append(in.substr(i));
      break;
    }
    if (in[i] == '"') {
      // A command text for the controller (CMD"..."): what it holds is sent as it stands, so a
      // name put in here would reach the controller unreplaced.
      const std::size_t close = in.find('"', i + 1);
      const std::size_t end = close == std::string_view::npos ? in.size() : close + 1;
      out.append(in.substr(i, end - i));
      i = end;
      continue;
    }
    if (IsLetter(in[i])) {
      std::size_t end = i + 1;
      while (end < in.size() && IsWordChar(in[end])) ++end;
      const std::string_view word = in.substr(i, end - i);
      const std::string_view name = NameFor(word, switches, table);
      out.append(name.empty() ? word : name);
      i = end;
      continue;
    }
    out.push_back(in[i]);
    ++i;
  }
  line = std::move(out);
}

}  // namespace bl::editor
