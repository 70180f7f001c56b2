#include "tools/config_diff.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>

#include "definitions/definition_table.h"
#include "link/pmac_link.h"
#include "platform/files.h"
#include "platform/text_format.h"

namespace bl::tools {

namespace {

constexpr int kMaxVariable = DefinitionTable::kMaxSlots - 1;
constexpr int kMaxProgramNumber = 65535;
constexpr int kMaxPlc = 31;
constexpr int kMaxCoordinateSystem = 16;
constexpr int kMaxMotor = 32;
constexpr unsigned kMaxAddress = 0xFFFFFF;
// "WP:$a,w1..w8" is what a backup writes; a hand-made line may hold a few more.
constexpr std::size_t kMaxWordsPerLine = 32;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

// Decimal digits only, at most max; nothing otherwise.
std::optional<int> Number(std::string_view s, int max) {
  if (s.empty() || s.size() > 9) return std::nullopt;
  int value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || value < 0 || value > max)
    return std::nullopt;
  return value;
}

// One to six hexadecimal digits, with or without a leading "$".
std::optional<unsigned> HexNumber(std::string_view s) {
  if (!s.empty() && s.front() == '$') s.remove_prefix(1);
  if (s.empty() || s.size() > 6) return std::nullopt;
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, 16);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

// A number as the controller writes one: decimal, or "$" and hexadecimal digits.
std::optional<double> NumericValue(std::string_view s) {
  s = Trim(s);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return std::nullopt;
  double value = 0;
  if (s.front() == '$') {
    s.remove_prefix(1);
    std::uint64_t hex = 0;
    if (s.empty() || s.size() > 16) return std::nullopt;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), hex, 16);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    value = static_cast<double>(hex);
  } else {
    // Digits and a point only: from_chars would also take "inf" and "nan".
    if (s.find_first_not_of("0123456789.eE+-") != std::string_view::npos) return std::nullopt;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  }
  return negative ? -value : value;
}

// Reads one backup text line by line, keeping the open program and the memory block.
class Parser {
 public:
  Parser(ConfigModel& model) : m_(model) {}

  void Line(std::string_view raw, int number) {
    line_ = number;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    if (raw.size() > kMaxConfigLine) return Problem("a line longer than any a backup writes");
    for (char c : raw) {
      const auto u = static_cast<unsigned char>(c);
      if ((u < 32 && c != '\t') || u == 127)
        return Problem("a control character: this is no backup text");
    }
    const std::string_view line = Trim(raw);
    if (open_) return ProgramLine(line);
    if (line.empty()) return;
    if (line.front() == ';') return Comment(Trim(line.substr(1)));
    const std::string upper = Upper(line);
    if (upper == "DELETE GATHER" || upper == "DISABLE PLC 0..31" || upper == "UNDEFINE ALL") return;
    if (upper.starts_with("OPEN PROG "))
      return Open(m_.programs, line.substr(10), kMaxProgramNumber);
    if (upper.starts_with("OPEN PLC ")) return Open(m_.plcs, line.substr(9), kMaxPlc);
    if (upper == "CLOSE") return Problem("CLOSE without an OPEN before it");
    if (upper.starts_with("ENABLE PLC ") || upper.starts_with("DISABLE PLC ")) {
      const bool enable = upper.front() == 'E';
      const auto n = Number(Trim(line.substr(enable ? 11 : 12)), kMaxPlc);
      if (!n) return Problem("no PLC number 0..31");
      m_.plcEnabled[*n] = enable;
      return;
    }
    if (upper.front() == '&') {
      const auto c = Number(Trim(line.substr(1)), kMaxCoordinateSystem);
      if (!c) return Problem("no coordinate system number 1..16");
      system_ = *c;
      return;
    }
    if (upper.front() == '#') return Axis(line);
    if (upper.size() > 2 && upper[0] == 'W' && upper[2] == ':' &&
        std::string_view("XYLP").find(upper[1]) != std::string_view::npos)
      return Words(line, upper[1]);
    if (upper.starts_with("MS")) return Macro(line);
    if (Variable(line)) return;
    m_.other.emplace_back(line);
  }

  void End() {
    if (open_) {
      line_ = openLine_;
      Problem("OPEN without a CLOSE after it");
    }
  }

 private:
  void Problem(const std::string& what) {
    if (m_.problems.size() < kMaxConfigProblems)
      m_.problems.push_back(platform::Format("%s:%d: ", m_.label.c_str(), line_) + what);
  }

  void Open(std::map<int, ConfigProgram>& programs, std::string_view number, int max) {
    const auto n = Number(Trim(number), max);
    if (!n) return Problem("no program number after OPEN");
    // A program stored twice is stored anew: the later one is what the controller keeps.
    open_ = &programs[*n];
    *open_ = ConfigProgram{{}, line_};
    openLine_ = line_;
    cleared_ = false;
  }

  void ProgramLine(std::string_view line) {
    if (line.empty()) return;
    const std::string upper = Upper(line);
    if (upper == "CLOSE") {
      open_ = nullptr;
      return;
    }
    if (upper.starts_with("OPEN ")) {
      Problem("OPEN before the CLOSE of the program opened at line " + std::to_string(openLine_));
      open_ = nullptr;
      Line(line, line_);
      return;
    }
    if (upper == "CLEAR" && !cleared_ && open_->lines.empty()) {
      cleared_ = true;
      return;
    }
    open_->lines.emplace_back(line);
  }

  void Comment(std::string_view text) {
    const std::string upper = Upper(text);
    if (upper.starts_with("UPLOAD OF PLCC ")) {
      const auto n = Number(Trim(text.substr(15)), kMaxPlc);
      if (!n) return Problem("no compiled PLC number 0..31");
      block_ = "PLCC " + std::to_string(*n);
    } else if (upper == "PLCC TABLE") {
      block_ = "PLCC table";
    } else if (upper.size() > 1 && upper[0] == 'M' &&
               std::isdigit(static_cast<unsigned char>(upper[1]))) {
      // "; M1=0": the value an M-variable had, kept as a comment.
      const std::size_t equals = text.find('=');
      if (equals == std::string_view::npos) return;  // a comment of the user's
      const auto n = Number(Trim(text.substr(1, equals - 1)), kMaxVariable);
      if (!n) return Problem("no M-variable number 0..8191");
      const std::string_view value = Trim(text.substr(equals + 1));
      if (value.empty()) return Problem("M" + std::to_string(*n) + " has no value");
      m_.values[static_cast<std::size_t>(VariableKind::M)][*n] = value;
    }
    // Any other comment is the user's, not the controller's.
  }

  void Axis(std::string_view line) {
    const std::size_t arrow = line.find("->");
    if (arrow == std::string_view::npos) {
      m_.other.emplace_back(line);
      return;
    }
    const auto motor = Number(Trim(line.substr(1, arrow - 1)), kMaxMotor);
    if (!motor || *motor == 0) return Problem("no motor number 1..32 before ->");
    if (system_ == 0) return Problem("an axis definition before any coordinate system (&n)");
    const std::string_view definition = Trim(line.substr(arrow + 2));
    if (definition.empty()) return Problem("an axis definition without its axes");
    m_.axes[{system_, *motor}] = definition;
  }

  void Words(std::string_view line, char region) {
    std::vector<std::string_view> fields;
    std::string_view rest = line.substr(3);
    while (true) {
      if (fields.size() > kMaxWordsPerLine)
        return Problem("a memory write needs an address and 1 to 32 words");
      const std::size_t comma = rest.find(',');
      fields.push_back(Trim(rest.substr(0, comma)));
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
    if (fields.size() < 2) return Problem("a memory write needs an address and 1 to 32 words");
    const auto address = HexNumber(fields[0]);
    if (!address || *address + fields.size() - 2 > kMaxAddress)
      return Problem("no memory address $0..$FFFFFF");
    const std::string block = region == 'Y' ? "Encoder table" : block_;
    for (std::size_t k = 1; k < fields.size(); ++k) {
      const auto word = HexNumber(fields[k]);
      if (!word) return Problem("a memory word that is not 1 to 6 hexadecimal digits");
      const unsigned at = *address + static_cast<unsigned>(k - 1);
      m_.memory[{block, platform::Format("%c:$%.6X", region, at)}] =
          platform::Format("$%.6X", *word);
    }
  }

  void Macro(std::string_view line) {
    int node = 0;
    int number = 0;
    char digits[16] = {};
    const std::string upper = Upper(line);
    if (platform::Scan(upper, 64, "MS%d,MI%d=$%15[0-9A-F]", &node, &number, digits) != 3 ||
        node < 0 || node > 63 || number < 0 || number > 9999) {
      m_.other.emplace_back(line);
      return;
    }
    m_.macro[{node, number}] = std::string("$") + digits;
  }

  // "P1=12.5", "I130=3000", "M1->X:$C000,0,24,S".
  bool Variable(std::string_view line) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(line.front())));
    const std::size_t digitsEnd = line.find_first_not_of("0123456789", 1);
    if (digitsEnd == 1 || digitsEnd == std::string_view::npos) return false;
    // Blanks around "=" and "->" as a hand-edited file may have them.
    const std::string_view rest = Trim(line.substr(digitsEnd));
    const bool definition = letter == 'M' && rest.starts_with("->");
    const bool value = (letter == 'P' || letter == 'Q' || letter == 'I') && rest.starts_with("=");
    if (!definition && !value) return false;
    const auto n = Number(line.substr(1, digitsEnd - 1), kMaxVariable);
    if (!n) {
      Problem(std::string(1, letter) + std::string(line.substr(1, digitsEnd - 1)) +
              " is no variable (0..8191)");
      return true;
    }
    const std::string_view text = Trim(rest.substr(definition ? 2 : 1));
    if (text.empty()) {
      Problem(std::string(1, letter) + std::to_string(*n) +
              (definition ? "-> has no definition" : " has no value"));
      return true;
    }
    if (definition) {
      m_.mDefinitions[*n] = text;
    } else {
      const VariableKind kind = letter == 'P'   ? VariableKind::P
                                : letter == 'Q' ? VariableKind::Q
                                                : VariableKind::I;
      m_.values[static_cast<std::size_t>(kind)][*n] = text;
    }
    return true;
  }

  ConfigModel& m_;
  int line_ = 0;
  ConfigProgram* open_ = nullptr;
  int openLine_ = 0;
  bool cleared_ = false;
  int system_ = 0;
  std::string block_ = "Memory";
};

// N as a file shows it: the highest variable number it holds.
int VariableCountSeen(const ConfigModel& m) {
  int highest = -1;
  for (const auto& values : m.values)
    if (!values.empty()) highest = std::max(highest, values.rbegin()->first);
  if (!m.mDefinitions.empty()) highest = std::max(highest, m.mDefinitions.rbegin()->first);
  if (highest >= 1024) return 8192;
  if (highest == 1023) return 1024;
  return 0;
}

class Comparer {
 public:
  Comparer(const DefinitionTable* names, bool withSame, ConfigDiff& out)
      : names_(names), withSame_(withSame), out_(out) {}

  void Add(std::string section, std::string item, std::string a, std::string b, DiffKind kind,
           std::string name = {}) {
    if (kind == DiffKind::kSame && !withSame_) return;
    if (kind == DiffKind::kChanged) ++out_.changed;
    if (kind == DiffKind::kOnlyInA) ++out_.onlyInA;
    if (kind == DiffKind::kOnlyInB) ++out_.onlyInB;
    out_.entries.push_back(
        {std::move(section), std::move(item), std::move(a), std::move(b), std::move(name), kind});
  }

  // Two sorted maps walked side by side; item and name make the texts of a key.
  template <typename Key, typename ItemText, typename NameText>
  void Maps(const std::string& section, const std::map<Key, std::string>& a,
            const std::map<Key, std::string>& b, ItemText item, NameText name) {
    auto i = a.begin();
    auto j = b.begin();
    while (i != a.end() || j != b.end()) {
      if (j == b.end() || (i != a.end() && i->first < j->first)) {
        Add(section, item(i->first), i->second, {}, DiffKind::kOnlyInA, name(i->first));
        ++i;
      } else if (i == a.end() || j->first < i->first) {
        Add(section, item(j->first), {}, j->second, DiffKind::kOnlyInB, name(j->first));
        ++j;
      } else {
        Add(section, item(i->first), i->second, j->second,
            SameValue(i->second, j->second) ? DiffKind::kSame : DiffKind::kChanged, name(i->first));
        ++i;
        ++j;
      }
    }
  }

  void Variables(const std::string& section, VariableKind kind, const char* format,
                 const std::map<int, std::string>& a, const std::map<int, std::string>& b) {
    Maps(
        section, a, b, [format](int n) { return platform::Format(format, n); },
        [this, kind](int n) {
          return names_ ? std::string(names_->NameOf(kind, n)) : std::string();
        });
  }

  // A line diff, a removed line and an added one side by side read as one changed line.
  void Lines(const std::string& section, const std::string& prefix,
             const std::vector<std::string>& a, const std::vector<std::string>& b) {
    const std::vector<LineEdit> edits = DiffLines(a, b);
    const auto label = [&prefix](std::size_t index) {
      return prefix + "line " + std::to_string(index + 1);
    };
    std::size_t k = 0;
    while (k < edits.size()) {
      if (edits[k].op == LineEdit::kKeep) {
        Add(section, label(edits[k].a), a[edits[k].a], b[edits[k].b], DiffKind::kSame);
        ++k;
        continue;
      }
      std::vector<std::size_t> removed;
      std::vector<std::size_t> added;
      for (; k < edits.size() && edits[k].op != LineEdit::kKeep; ++k)
        (edits[k].op == LineEdit::kRemove ? removed : added)
            .push_back(edits[k].op == LineEdit::kRemove ? edits[k].a : edits[k].b);
      const std::size_t pairs = std::min(removed.size(), added.size());
      for (std::size_t p = 0; p < pairs; ++p)
        Add(section, label(removed[p]), a[removed[p]], b[added[p]], DiffKind::kChanged);
      for (std::size_t p = pairs; p < removed.size(); ++p)
        Add(section, label(removed[p]), a[removed[p]], {}, DiffKind::kOnlyInA);
      for (std::size_t p = pairs; p < added.size(); ++p)
        Add(section, label(added[p]), {}, b[added[p]], DiffKind::kOnlyInB);
    }
  }

  void Programs(const std::string& section, const char* kind, const std::map<int, ConfigProgram>& a,
                const std::map<int, ConfigProgram>& b) {
    const auto size = [](const ConfigProgram& p) {
      return std::to_string(p.lines.size()) + (p.lines.size() == 1 ? " line" : " lines");
    };
    auto i = a.begin();
    auto j = b.begin();
    while (i != a.end() || j != b.end()) {
      if (j == b.end() || (i != a.end() && i->first < j->first)) {
        Add(section, platform::Format("%s %d", kind, i->first), size(i->second), {},
            DiffKind::kOnlyInA);
        ++i;
      } else if (i == a.end() || j->first < i->first) {
        Add(section, platform::Format("%s %d", kind, j->first), {}, size(j->second),
            DiffKind::kOnlyInB);
        ++j;
      } else {
        Lines(section, platform::Format("%s %d ", kind, i->first), i->second.lines,
              j->second.lines);
        ++i;
        ++j;
      }
    }
  }

 private:
  const DefinitionTable* names_;
  bool withSame_;
  ConfigDiff& out_;
};

const auto kNoName = [](const auto&) { return std::string(); };

}  // namespace

ConfigModel ParseConfig(std::string_view text, const std::string& label) {
  ConfigModel model;
  model.label = label;
  Parser parser(model);
  int number = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    parser.Line(text.substr(at, end - at), ++number);
    at = end + 1;
  }
  parser.End();
  model.variableCount = VariableCountSeen(model);
  if (model.variableCount == 1024) model.typeName = "PMAC (1024 variables)";
  if (model.variableCount == 8192) model.typeName = "Turbo PMAC (8192 variables)";
  return model;
}

ConfigModel ReadConfigFile(const std::string& path) {
  std::string bytes;
  std::string error;
  bool tooLong = false;
  if (!platform::ReadFileBounded(path, kMaxConfigText, bytes, tooLong, error)) {
    ConfigModel model;
    model.label = path;
    model.problems.push_back(error);
    return model;
  }
  if (tooLong) {
    ConfigModel model;
    model.label = path;
    model.problems.push_back(path + ": larger than 64 MB, which no backup is");
    return model;
  }
  return ParseConfig(bytes, path);
}

bool BackupToText(PmacLink& link, const BackupTarget& target, const BackupSwitches& switches,
                  const std::function<void(int step)>& progress, std::string& text,
                  std::string& error) {
  text.clear();
  bool gatherDeleted = false;
  for (int step = 2; step < kBackupCloseStep; ++step) {
    if (!switches.on[static_cast<std::size_t>(SwitchOfStep(step))]) continue;
    // Without a controller every reply is the link's own complaint, no value to compare.
    if (link.PmacDevice() == -1) {
      error = "the controller is not connected";
      return false;
    }
    if (progress) progress(step);
    text += BackupSectionText(link, target, step, gatherDeleted);
  }
  return true;
}

BackupSwitches SwitchesToCompareWith(const ConfigModel& file) {
  BackupSwitches switches;
  if (!file.macro.empty()) switches.on[kBackupMacro] = true;
  return switches;
}

ConfigModel ControllerConfig(std::string_view text, int typeCode, std::string typeName,
                             int variableCount) {
  ConfigModel model = ParseConfig(text, "controller");
  model.typeCode = typeCode;
  model.typeName = std::move(typeName);
  model.variableCount = variableCount;
  return model;
}

bool SameValue(std::string_view a, std::string_view b) {
  a = Trim(a);
  b = Trim(b);
  if (EqualNoCase(a, b)) return true;
  const auto x = NumericValue(a);
  const auto y = NumericValue(b);
  return x && y && *x == *y;
}

ConfigDiff CompareConfigs(const ConfigModel& a, const ConfigModel& b, const DefinitionTable* names,
                          bool withSame) {
  ConfigDiff out;
  Comparer c(names, withSame, out);
  const bool typesKnown =
      (a.typeCode != 0 && b.typeCode != 0) || (a.variableCount != 0 && b.variableCount != 0);
  const bool typesDiffer = a.typeCode != 0 && b.typeCode != 0 ? a.typeCode != b.typeCode
                                                              : a.variableCount != b.variableCount;
  if (typesKnown)
    c.Add("Controller", "controller type", a.typeName, b.typeName,
          typesDiffer ? DiffKind::kChanged : DiffKind::kSame);
  const auto values = [&a, &b](VariableKind kind)
      -> std::pair<const std::map<int, std::string>&, const std::map<int, std::string>&> {
    const auto k = static_cast<std::size_t>(kind);
    return {a.values[k], b.values[k]};
  };
  c.Variables("P-Variables", VariableKind::P, "P%d", values(VariableKind::P).first,
              values(VariableKind::P).second);
  c.Variables("Q-Variables", VariableKind::Q, "Q%d", values(VariableKind::Q).first,
              values(VariableKind::Q).second);
  c.Variables("M-Variables", VariableKind::M, "M%d->", a.mDefinitions, b.mDefinitions);
  c.Variables("M-Variable Values", VariableKind::M, "M%d", values(VariableKind::M).first,
              values(VariableKind::M).second);
  c.Variables("I-Variables", VariableKind::I, "I%d", values(VariableKind::I).first,
              values(VariableKind::I).second);
  c.Programs("Motion Programs", "PROG", a.programs, b.programs);
  c.Programs("PLC Programs", "PLC", a.plcs, b.plcs);
  const auto enabled = [](const std::map<int, bool>& m) {
    std::map<int, std::string> out;
    for (const auto& [n, on] : m) out[n] = on ? "enabled" : "disabled";
    return out;
  };
  c.Maps(
      "PLC Programs", enabled(a.plcEnabled), enabled(b.plcEnabled),
      [](int n) { return platform::Format("PLC %d state", n); }, kNoName);
  c.Maps(
      "Memory", a.memory, b.memory,
      [](const std::pair<std::string, std::string>& key) { return key.first + " " + key.second; },
      kNoName);
  c.Maps(
      "Coordinate Systems", a.axes, b.axes,
      [](std::pair<int, int> key) { return platform::Format("&%d #%d->", key.first, key.second); },
      kNoName);
  c.Maps(
      "MACRO", a.macro, b.macro,
      [](std::pair<int, int> key) { return platform::Format("MS%d,MI%d", key.first, key.second); },
      kNoName);
  c.Lines("Other", "other ", a.other, b.other);
  return out;
}

std::string DiffLine(const DiffEntry& e) {
  std::string line = e.item + ": ";
  switch (e.kind) {
    case DiffKind::kSame:
      line += e.a;
      break;
    case DiffKind::kChanged:
      line += e.a + " -> " + e.b;
      break;
    case DiffKind::kOnlyInA:
      line += "only in A: " + e.a;
      break;
    case DiffKind::kOnlyInB:
      line += "only in B: " + e.b;
      break;
  }
  if (!e.name.empty()) line += " (" + e.name + ")";
  return line;
}

std::vector<LineEdit> DiffLines(const std::vector<std::string>& a,
                                const std::vector<std::string>& b, std::size_t maxCells) {
  std::vector<LineEdit> edits;
  std::size_t head = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
  std::size_t tail = 0;
  while (tail < a.size() - head && tail < b.size() - head &&
         a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
    ++tail;
  for (std::size_t k = 0; k < head; ++k) edits.push_back({LineEdit::kKeep, k, k});

  const std::size_t n = a.size() - head - tail;
  const std::size_t m = b.size() - head - tail;
  if (n != 0 && m != 0 && n <= maxCells / m) {
    // LCS over the middle, lengths from the end so that the walk goes forward. One byte per
    // pair tells the walk which way to go; two rows of lengths suffice.
    enum : std::uint8_t { kMatch, kSkipA, kSkipB };
    std::vector<std::uint8_t> way(n * m);
    std::vector<std::uint32_t> below(m + 1, 0);
    std::vector<std::uint32_t> row(m + 1, 0);
    for (std::size_t i = n; i-- > 0;) {
      row[m] = 0;
      for (std::size_t j = m; j-- > 0;) {
        std::uint8_t w;
        if (a[head + i] == b[head + j]) {
          row[j] = below[j + 1] + 1;
          w = kMatch;
        } else if (below[j] >= row[j + 1]) {
          row[j] = below[j];
          w = kSkipA;
        } else {
          row[j] = row[j + 1];
          w = kSkipB;
        }
        way[i * m + j] = w;
      }
      std::swap(row, below);
    }
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < n && j < m) {
      const std::uint8_t w = way[i * m + j];
      if (w == kMatch) {
        edits.push_back({LineEdit::kKeep, head + i++, head + j++});
      } else if (w == kSkipA) {
        edits.push_back({LineEdit::kRemove, head + i++, 0});
      } else {
        edits.push_back({LineEdit::kAdd, 0, head + j++});
      }
    }
    for (; i < n; ++i) edits.push_back({LineEdit::kRemove, head + i, 0});
    for (; j < m; ++j) edits.push_back({LineEdit::kAdd, 0, head + j});
  } else {
    // Nothing to match, or too much to match line by line: one block out, the other in.
    for (std::size_t i = 0; i < n; ++i) edits.push_back({LineEdit::kRemove, head + i, 0});
    for (std::size_t j = 0; j < m; ++j) edits.push_back({LineEdit::kAdd, 0, head + j});
  }
  for (std::size_t k = 0; k < tail; ++k)
    edits.push_back({LineEdit::kKeep, a.size() - tail + k, b.size() - tail + k});
  return edits;
}

}  // namespace bl::tools
