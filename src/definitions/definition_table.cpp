#include "definitions/definition_table.h"

#include <algorithm>
#include <mutex>
#include <optional>

#include "definitions/clean_line.h"
#include "definitions/name_chars.h"
#include "platform/text_format.h"
#include "terminal_lines/terminal_lines.h"

namespace bl {

namespace {

constexpr int kWarningColor = 5;

struct VariableRef {
  VariableKind kind;
  int number;
};

// A value names a variable when it is P, Q, M or I (either case) followed by one to four digits
// and nothing else, and the number lies below the slot count.
std::optional<VariableRef> ParseVariable(std::string_view value, int slots) {
  if (value.size() < 2 || value.size() > 5) return std::nullopt;
  VariableKind kind;
  switch (value[0]) {
    case 'P':
    case 'p':
      kind = VariableKind::P;
      break;
    case 'Q':
    case 'q':
      kind = VariableKind::Q;
      break;
    case 'M':
    case 'm':
      kind = VariableKind::M;
      break;
    case 'I':
    case 'i':
      kind = VariableKind::I;
      break;
    default:
      return std::nullopt;
  }
  int number = 0;
  for (char c : value.substr(1)) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  if (number >= slots) return std::nullopt;
  return VariableRef{kind, number};
}

}  // namespace

bool IsDefineLine(std::string_view line) { return platform::StartsWithNoCase(line, "#define "); }

DefinitionTable::DefinitionTable() {
  for (auto& m : map_) m.assign(kMaxSlots, -1);
}

void DefinitionTable::SetSlotCount(int n) {
  std::unique_lock lock(mutex_);
  slots_ = std::clamp(n, 1, kMaxSlots);
}

int DefinitionTable::DefineLine(std::string_view line, int lineNumber, Terminal& terminal) {
  if (!IsDefineLine(line)) return kDefineNotDefine;
  std::size_t p = 7;
  const std::size_t n = line.size();
  while (p < n && line[p] == ' ') ++p;
  if (p >= n) return kDefineBadName;

  const std::size_t nameStart = p;
  while (p < n && IsNameChar(line[p], 1)) ++p;
  const std::size_t nameLength = p - nameStart;
  if (p >= n || nameLength == 0 || nameLength > kMaxNameLength) return kDefineBadName;
  const std::string name(line.substr(nameStart, nameLength));

  while (p < n && line[p] == ' ') ++p;
  if (p >= n) return kDefineBadValue;
  const std::size_t valueStart = p;
  while (p < n && IsNameChar(line[p], 2)) ++p;
  const std::size_t valueLength = p - valueStart;
  if (valueLength == 0 || valueLength > kMaxNameLength) return kDefineBadValue;
  const std::string value(line.substr(valueStart, valueLength));

  std::string warning;
  int result = kDefineStored;
  {
    std::unique_lock lock(mutex_);
    if (const auto variable = ParseVariable(value, slots_)) {
      const std::size_t k = Index(variable->kind);
      const int index = map_[k][static_cast<std::size_t>(variable->number)];
      if (index < 0) {
        if (static_cast<int>(names_[k].size()) >= slots_) return kDefineStored;
        names_[k].push_back({name, variable->number});
        map_[k][static_cast<std::size_t>(variable->number)] =
            static_cast<int>(names_[k].size()) - 1;
        firstIndex_[k].try_emplace(name, static_cast<int>(names_[k].size()) - 1);
        return kDefineStored;
      }
      const std::string& old = names_[k][static_cast<std::size_t>(index)].name;
      if (old != name) {
        const char letter = VariableLetter(variable->kind);
        warning =
            lineNumber > 0
                ? platform::Format("  Warning: Line %d re-DEFINED %c%d from %s to %s.", lineNumber,
                                   letter, variable->number, old.c_str(), name.c_str())
                : platform::Format("  Warning: re-DEFINED %c%d from %s to %s.", letter,
                                   variable->number, old.c_str(), name.c_str());
        result = kDefineRedefined;
        Rename(variable->kind, index, name);
      }
    } else if (const auto it = userIndex_.find(name); it != userIndex_.end()) {
      std::string& text = user_[static_cast<std::size_t>(it->second)].text;
      if (text != value) {
        warning = lineNumber > 0
                      ? platform::Format("  Warning: Line %d re-DEFINED %s from %s to %s.",
                                         lineNumber, name.c_str(), text.c_str(), value.c_str())
                      : platform::Format("  Warning: re-DEFINED %s from %s to %s.", name.c_str(),
                                         text.c_str(), value.c_str());
        result = kDefineRedefined;
        text = value;
      }
    } else {
      if (static_cast<int>(user_.size()) >= slots_) return kDefineStored;
      userIndex_.emplace(name, static_cast<int>(user_.size()));
      user_.push_back({name, value});
    }
  }
  // Outside the lock: adding a line repaints the terminal.
  if (!warning.empty()) terminal.TerminalAddLine(warning, kWarningColor);
  return result;
}

void DefinitionTable::Rename(VariableKind kind, int listIndex, std::string_view newName) {
  const std::size_t k = Index(kind);
  auto& list = names_[k];
  auto& first = firstIndex_[k];
  NamedVariable& entry = list[static_cast<std::size_t>(listIndex)];
  // The old name may still be held by a later entry, which then becomes its first holder.
  if (auto it = first.find(entry.name); it != first.end() && it->second == listIndex) {
    first.erase(it);
    for (std::size_t i = static_cast<std::size_t>(listIndex) + 1; i < list.size(); ++i) {
      if (list[i].name == entry.name) {
        first.emplace(entry.name, static_cast<int>(i));
        break;
      }
    }
  }
  entry.name.assign(newName);
  auto [it, inserted] = first.try_emplace(entry.name, listIndex);
  if (!inserted && it->second > listIndex) it->second = listIndex;
}

void DefinitionTable::ClearDefinitions(bool withI) {
  std::unique_lock lock(mutex_);
  user_.clear();
  userIndex_.clear();
  for (VariableKind kind : kVariableKinds) {
    if (kind == VariableKind::I && !withI) continue;
    const std::size_t k = Index(kind);
    for (const NamedVariable& v : names_[k]) map_[k][static_cast<std::size_t>(v.number)] = -1;
    names_[k].clear();
    firstIndex_[k].clear();
  }
}

std::string_view DefinitionTable::NameOf(VariableKind kind, int number) const {
  if (number < 0 || number >= slots_) return {};
  const int index = map_[Index(kind)][static_cast<std::size_t>(number)];
  return index < 0 ? std::string_view{} : names_[Index(kind)][static_cast<std::size_t>(index)].name;
}

std::string DefinitionTable::Replacement(std::string_view word) const {
  std::shared_lock lock(mutex_);
  return ReplacementLocked(word);
}

std::string DefinitionTable::ReplacementLocked(std::string_view word) const {
  if (word.empty() || word.size() > kMaxNameLength) return {};
  const std::string key(word);
  if (const auto it = userIndex_.find(key); it != userIndex_.end()) {
    const std::string& text = user_[static_cast<std::size_t>(it->second)].text;
    return text == "NULL" ? std::string(" ") : text;
  }
  for (VariableKind kind : kVariableKinds) {
    const std::size_t k = Index(kind);
    if (const auto it = firstIndex_[k].find(key); it != firstIndex_[k].end())
      return platform::Format("%c%d", VariableLetter(kind),
                              names_[k][static_cast<std::size_t>(it->second)].number);
  }
  return {};
}

int DefinitionTable::SubstituteNames(std::string& line) const {
  std::shared_lock lock(mutex_);
  std::size_t p = 0;
  for (;;) {
    if (p >= line.size()) return 0;
    if (!IsNameChar(line[p], 1)) {
      while (p < line.size() && !IsNameChar(line[p], 1) && line[p] != '"') ++p;
      if (p >= line.size()) return 0;
    }
    if (line[p] == '"') {
      // Quoted text is never substituted; an unterminated quote ends the work.
      const std::size_t close = line.find('"', p + 1);
      if (close == std::string::npos) return 0;
      p = close + 1;
      if (p >= line.size()) return 0;
    }
    const std::size_t start = p;
    while (p < line.size() && IsNameChar(line[p], 1)) ++p;
    const std::size_t length = p - start;
    if (length == 0 || length > kMaxNameLength) continue;

    const std::string replacement = ReplacementLocked(std::string_view(line).substr(start, length));
    if (replacement.empty()) continue;
    if (replacement.size() > length &&
        line.size() - length + replacement.size() > kMaxCommandLength)
      return 1;
    line.replace(start, length, replacement);
    p = start + replacement.size();
  }
}

}  // namespace bl
