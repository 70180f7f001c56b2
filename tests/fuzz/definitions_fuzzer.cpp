// Line cleaning, #define lines and name substitution, as every typed command and every downloaded
// line goes through them. Substitution is compared with a plain model of it; the table's name
// lists are checked against what substitution answers for each name.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "definitions/clean_line.h"
#include "definitions/definition_table.h"
#include "definitions/name_chars.h"
#include "fuzz/fuzz_check.h"
#include "platform/text_format.h"
#include "terminal_lines/terminal_lines.h"

namespace {

using bl::DefinitionTable;
using bl::IsNameChar;

constexpr std::size_t kLimit = bl::kMaxCommandLength;

// Substitution word by word: quoted text is copied, an unterminated quote ends the work, a name
// of at most 32 characters becomes its replacement unless that would grow the line past 255.
int ModelSubstitute(const DefinitionTable& table, std::string& line) {
  std::string out;
  const std::size_t n = line.size();
  std::size_t i = 0;
  int result = 0;
  while (i < n) {
    if (line[i] == '"') {
      const std::size_t close = line.find('"', i + 1);
      if (close == std::string::npos) break;
      out.append(line, i, close + 1 - i);
      i = close + 1;
    } else if (IsNameChar(line[i], 1)) {
      std::size_t j = i;
      while (j < n && IsNameChar(line[j], 1)) ++j;
      const std::string_view word = std::string_view(line).substr(i, j - i);
      const std::string replacement =
          word.size() <= DefinitionTable::kMaxNameLength ? table.Replacement(word) : "";
      if (replacement.empty()) {
        out.append(word);
      } else if (replacement.size() > word.size() &&
                 out.size() + replacement.size() + (n - j) > kLimit) {
        result = 1;
        break;
      } else {
        out += replacement;
      }
      i = j;
    } else {
      out += line[i++];
    }
  }
  out.append(line, i, std::string::npos);
  line = std::move(out);
  return result;
}

// A character-for-character subsequence, as stripping leaves the rest in order.
bool IsSubsequence(std::string_view part, std::string_view whole) {
  std::size_t j = 0;
  for (char c : part) {
    while (j < whole.size() && whole[j] != c) ++j;
    if (j == whole.size()) return false;
    ++j;
  }
  return true;
}

void CheckCleanLine(const std::string& input, bool open) {
  std::string line = input;
  const bool stillOpen = bl::CleanLine(line, open);
  const std::string_view taken = std::string_view(input).substr(0, kLimit);
  BL_FUZZ_CHECK(line.size() <= taken.size());
  BL_FUZZ_CHECK(IsSubsequence(line, taken));
  BL_FUZZ_CHECK(line.find("  ") == std::string::npos);
  BL_FUZZ_CHECK(line.empty() || line.front() != ' ');
  // Without comment or quote characters only the blanks change.
  if (!open && taken.find_first_of(";/\"") == std::string_view::npos) {
    std::string collapsed;
    for (char c : taken)
      if (!(c == ' ' && !collapsed.empty() && collapsed.back() == ' ')) collapsed += c;
    if (!collapsed.empty() && collapsed.front() == ' ') collapsed.erase(0, 1);
    BL_FUZZ_CHECK(line == collapsed && !stillOpen);
  }
}

bool AllOf(std::string_view text, int mode) {
  for (char c : text)
    if (!IsNameChar(c, mode)) return false;
  return true;
}

// What each defined name stands for follows from the lists alone: a user text first, then the
// first variable holding the name, kinds in the order P, Q, M, I.
void CheckTable(const DefinitionTable& table) {
  std::set<std::string> users;
  for (const auto& d : table.UserDefinitions()) {
    BL_FUZZ_CHECK(!d.name.empty() && d.name.size() <= DefinitionTable::kMaxNameLength);
    BL_FUZZ_CHECK(!d.text.empty() && d.text.size() <= DefinitionTable::kMaxNameLength);
    BL_FUZZ_CHECK(AllOf(d.name, 1) && AllOf(d.text, 2));
    BL_FUZZ_CHECK(users.insert(d.name).second);
    BL_FUZZ_CHECK(table.Replacement(d.name) == (d.text == "NULL" ? " " : d.text));
  }
  std::set<std::string> seen;
  for (bl::VariableKind kind : bl::kVariableKinds) {
    const auto& names = table.Names(kind);
    BL_FUZZ_CHECK(names.size() <= static_cast<std::size_t>(DefinitionTable::kMaxSlots));
    std::set<int> numbers;
    for (const auto& v : names) {
      BL_FUZZ_CHECK(!v.name.empty() && v.name.size() <= DefinitionTable::kMaxNameLength);
      BL_FUZZ_CHECK(AllOf(v.name, 1));
      BL_FUZZ_CHECK(v.number >= 0 && v.number < DefinitionTable::kMaxSlots);
      BL_FUZZ_CHECK(numbers.insert(v.number).second);  // one name per variable
      if (v.number < table.SlotCount()) BL_FUZZ_CHECK(table.NameOf(kind, v.number) == v.name);
      if (users.count(v.name) != 0 || !seen.insert(v.name).second) continue;
      // The first holder of the name in kind order.
      BL_FUZZ_CHECK(table.Replacement(v.name) ==
                    bl::platform::Format("%c%d", bl::VariableLetter(kind), v.number));
    }
  }
}

std::string DefineText(FuzzedDataProvider& d) {
  if (d.ConsumeBool()) return d.ConsumeRandomLengthString(300);
  std::string line = d.ConsumeBool() ? "#define " : "#DEFINE ";
  line += d.ConsumeRandomLengthString(40);
  line += ' ';
  if (d.ConsumeBool()) {
    line += "PQMI"[d.ConsumeIntegralInRange(0, 3)];
    line += std::to_string(d.ConsumeIntegralInRange(0, 9999));
  } else {
    line += d.ConsumeRandomLengthString(40);
  }
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  bl::Terminal terminal;
  DefinitionTable table;
  for (int step = 0; step < 128 && data.remaining_bytes() > 0; ++step) {
    switch (data.ConsumeIntegralInRange(0, 5)) {
      case 0:
      case 1: {
        const std::string line = DefineText(data);
        const int result = table.DefineLine(line, data.ConsumeIntegralInRange(-1, 100), terminal);
        BL_FUZZ_CHECK(result >= bl::kDefineRedefined && result <= bl::kDefineBadValue);
        BL_FUZZ_CHECK((result == bl::kDefineNotDefine) == !bl::IsDefineLine(line));
        break;
      }
      case 2: {
        std::string line = data.ConsumeRandomLengthString(400);
        std::string expected = line;
        const int modelResult = ModelSubstitute(table, expected);
        const std::size_t before = line.size();
        const int result = table.SubstituteNames(line);
        BL_FUZZ_CHECK(result == modelResult);
        BL_FUZZ_CHECK(line == expected);
        BL_FUZZ_CHECK(line.size() <= std::max(before, kLimit));
        break;
      }
      case 3:
        CheckCleanLine(data.ConsumeRandomLengthString(400), data.ConsumeBool());
        break;
      case 4:
        table.SetSlotCount(data.ConsumeIntegralInRange(-5, 9000));
        BL_FUZZ_CHECK(table.SlotCount() >= 1 && table.SlotCount() <= DefinitionTable::kMaxSlots);
        break;
      default:
        table.ClearDefinitions(data.ConsumeBool());
        break;
    }
  }
  CheckTable(table);
  return 0;
}
