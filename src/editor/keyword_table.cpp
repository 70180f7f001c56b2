#include "editor/keyword_table.h"

#include <string>
#include <unordered_set>

namespace bl::editor {

const std::array<std::string_view, kKeywordCount> kKeywordTable = {
    "ABS",      "ADDRESS",      "ADIS",       "ALL",          "AND",
    "AROT",     "BLCOMP",       "BLOCKSTART", "BLOCKSTOP",    "CALL",
    "CC",       "PAUSE",        "NOFRAX",     "CLEAR",        "CLOSE",
    "COMMAND",  "RESUME",       "CCR",        "CIRCLE",       "COMP",
    "DATE",     "DEF",          "DEFINE",     "DELAY",        "DELETE",
    "DISABLE",  "DISPLAY",      "DWELL",      "ELSE",         "ENABLE",
    "ENDIF",    "ENDWHILE",     "FRAX",       "GATHER",       "GOSUB",
    "GOTO",     "HOME",         "HOMEZ",      "IDIS",         "IF",
    "INC",      "IROT",         "LEARN",      "LDS",          "LINEAR",
    "LINK",     "LIST",         "MACROAUX",   "MACROAUXREAD", "MACROAUXWRITE",
    "MFLUSH",   "NORMAL",       "OPEN",       "OR",           "MACROSLVWRITE",
    "PC",       "PE",           "PLC",        "PLCC",         "PMATCH",
    "PR",       "PRELUDE",      "PROGRAM",    "PSET",         "PVT",
    "RAPID",    "READ",         "RETURN",     "ROTARY",       "SAVE",
    "SEND",     "MACROSLVREAD", "TR",         "SPLINE",       "STOP",
    "TA",       "TBUF",         "TCOMP",      "TINIT",        "TM",
    "TRACE",    "TS",           "TSELECT",    "TYPE",         "UBUFFER",
    "UNDEFINE", "VERSION",      "WHILE",      "ENDW",         "WAIT",
    "CMD",      "LIN",          "RET",        "END",          "ENDI",
    "ENA",      "PROG",         "SIN",        "ASIN",         "COS",
    "ACOS",     "TAN",          "ATAN",       "SQRT",         "INCLUDE",
    "FORWARD",  "INVERSE",      "INT",        "DWE",          "HM",
    "HMZ",
};

namespace {

constexpr std::size_t kLongestKeyword = 32;

// Entries are upper case; a hashed set answers the same as comparing with each entry in turn.
const std::unordered_set<std::string_view>& KeywordSet() {
  static const std::unordered_set<std::string_view> set(kKeywordTable.begin(), kKeywordTable.end());
  return set;
}

}  // namespace

bool IsKeyword(std::string_view letters) {
  if (letters.empty() || letters.size() > kLongestKeyword) return false;
  char upper[kLongestKeyword];
  for (std::size_t i = 0; i < letters.size(); ++i) {
    const char c = letters[i];
    upper[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return KeywordSet().contains(std::string_view(upper, letters.size()));
}

}  // namespace bl::editor
