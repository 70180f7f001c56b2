#include <bit>
#include <bitset>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "diagnostics/script_source.h"
#include "diagnostics/script_words.h"
#include "platform/text_format.h"

namespace bl::diagnostics {

DiagnosticItem DefaultSourceItem(int kind) {
  DiagnosticItem item;
  item.kind = kind;
  item.scaleA = 1;
  item.scaleB = 1;
  item.fillNormal = kind == kKindPage ? 3 : 15;
  item.fillActive = 15;
  return item;
}

namespace {

struct Token {
  std::string key;  // empty for a bare word
  std::string value;
  bool quoted = false;
  int line = 0;
};

struct Statement {
  int line = 0;
  std::vector<Token> tokens;
};

// The fields of an item record, to refuse a statement that sets one twice.
enum Slot {
  kSlotKind,
  kSlotStyle,
  kSlotX1,
  kSlotY1,
  kSlotX2,
  kSlotY2,
  kSlotAngle,
  kSlotMode,
  kSlotP1,
  kSlotP2,
  kSlotOutline,
  kSlotOutlineActive,
  kSlotFill,
  kSlotFillActive,
  kSlotFont,
  kSlotAlign,
  kSlotLink,
  kSlotArgument,
  kSlotMotionStart,
  kSlotVarA,
  kSlotVarB,
  kSlotBitsA,
  kSlotBitsB,
  kSlotScaleA,
  kSlotScaleB,
  kSlotOperation,
  kSlotMaximum,
  kSlotMinimum,
  kSlotText1,
  kSlotText2,
  kSlotCommand,
  kSlotType,
  kSlotNumber,
  kSlotIndex,
  kSlotMultiplier,
  kSlotValue,
  kSlotCount
};

// A reference by name or "@index", resolved when every statement has been read.
struct Reference {
  bool toItem = false;
  bool quoted = false;
  int* target = nullptr;
  std::string name;
  int line = 0;
};

bool IsIdentifier(std::string_view s) {
  if (s.empty() || (s[0] >= '0' && s[0] <= '9')) return false;
  for (char c : s)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
      return false;
  return true;
}

std::optional<int> ParseInt(std::string_view s) {
  if (s.starts_with('$')) {
    s.remove_prefix(1);
    if (s.empty() || s.size() > 8) return std::nullopt;
    std::uint32_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return static_cast<std::int32_t>(v);
  }
  std::int64_t v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || v < std::numeric_limits<int>::min() ||
      v > std::numeric_limits<int>::max())
    return std::nullopt;
  return static_cast<int>(v);
}

std::optional<double> ParseDouble(std::string_view s) {
  if (s.starts_with("bits:")) {
    s.remove_prefix(5);
    std::uint64_t bits = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), bits, 16);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return std::bit_cast<double>(bits);
  }
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Compiler {
 public:
  Compiler(std::string_view fileName, DiagnosticTables& tables)
      : fileName_(fileName), tables_(tables) {}

  bool Run(std::string_view source) {
    tables_ = DiagnosticTables();
    if (source.size() > kMaxScriptSourceBytes) return Fail(1, "the source is larger than 4 MiB");
    std::vector<Statement> statements;
    if (!Tokenize(source, statements)) return false;
    for (const Statement& s : statements)
      if (!Build(s)) return false;
    return Resolve();
  }

  const std::string& Error() const { return error_; }

 private:
  bool Fail(int line, const std::string& reason) {
    error_ = std::string(fileName_) + ":" + std::to_string(line) + ": " + reason;
    return false;
  }

  // --- Lines to tokens ---

  bool Tokenize(std::string_view source, std::vector<Statement>& statements) {
    int lineNumber = 0;
    std::size_t at = 0;
    while (at < source.size()) {
      std::size_t end = source.find('\n', at);
      if (end == std::string_view::npos) end = source.size();
      std::string_view line = source.substr(at, end - at);
      at = end + 1;
      ++lineNumber;
      if (line.ends_with('\r')) line.remove_suffix(1);
      const std::size_t first = line.find_first_not_of(" \t");
      if (first == std::string_view::npos || line[first] == '#') continue;
      if (first == 0) {
        statements.push_back({lineNumber, {}});
      } else if (statements.empty()) {
        return Fail(lineNumber, "an indented line continues no statement");
      }
      if (!TokenizeLine(line.substr(first), lineNumber, statements.back().tokens)) return false;
    }
    return true;
  }

  bool TokenizeLine(std::string_view line, int lineNumber, std::vector<Token>& tokens) {
    std::size_t i = 0;
    while (true) {
      while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
      if (i >= line.size() || line[i] == '#') return true;
      Token token;
      token.line = lineNumber;
      if (line[i] != '"') {
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '=' &&
               line[i] != '"')
          ++i;
        if (i < line.size() && line[i] == '=') {
          token.key.assign(line.substr(start, i - start));
          if (token.key.empty()) return Fail(lineNumber, "'=' without a field name before it");
          ++i;
        } else if (i < line.size() && line[i] == '"') {
          return Fail(lineNumber, "a quote inside a word");
        } else {
          token.value.assign(line.substr(start, i - start));
          tokens.push_back(std::move(token));
          continue;
        }
      }
      if (i < line.size() && line[i] == '"') {
        token.quoted = true;
        if (!ReadQuoted(line, i, lineNumber, token.value)) return false;
        if (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '#')
          return Fail(lineNumber, "text after a closing quote");
      } else {
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '"') ++i;
        if (i < line.size() && line[i] == '"') return Fail(lineNumber, "a quote inside a value");
        token.value.assign(line.substr(start, i - start));
        if (token.value.empty()) return Fail(lineNumber, "no value after " + token.key + "=");
      }
      tokens.push_back(std::move(token));
    }
  }

  // A quoted text: \" a quote, \\ a backslash, \xHH any byte but NUL; a backslash before
  // anything else stands for itself (so the two characters \n reach the text as written).
  bool ReadQuoted(std::string_view line, std::size_t& i, int lineNumber, std::string& out) {
    ++i;
    while (true) {
      if (i >= line.size()) return Fail(lineNumber, "a quoted text without its closing quote");
      const char c = line[i];
      if (c == '"') {
        ++i;
        return true;
      }
      if (c == '\\' && i + 1 < line.size()) {
        const char next = line[i + 1];
        if (next == '"' || next == '\\') {
          out += next;
          i += 2;
          continue;
        }
        if (next == 'x') {
          const int high = i + 2 < line.size() ? HexDigit(line[i + 2]) : -1;
          const int low = i + 3 < line.size() ? HexDigit(line[i + 3]) : -1;
          if (high < 0 || low < 0) return Fail(lineNumber, "\\x needs two hexadecimal digits");
          if (high == 0 && low == 0) return Fail(lineNumber, "a text cannot hold a NUL byte");
          out += static_cast<char>(high * 16 + low);
          i += 4;
          continue;
        }
      }
      out += c;
      ++i;
    }
  }

  // --- Statements to records ---

  bool Build(const Statement& s) {
    const Token& head = s.tokens.front();
    if (!head.key.empty() || head.quoted) return Fail(s.line, "a statement begins with its kind");
    std::size_t next = 1;
    std::string name;
    bool named = false;
    if (next < s.tokens.size() && s.tokens[next].key.empty()) {
      name = s.tokens[next].value;
      named = true;
      if (!s.tokens[next].quoted && !IsIdentifier(name))
        return Fail(s.line, "'" + name + "' is not a name (letters, digits and _)");
      ++next;
    }
    std::bitset<kSlotCount> claimed;
    if (head.value == "variable") {
      if (variables_ >= kDiagnosticTableSize) return Fail(s.line, "more than 1000 variables");
      if (name.size() > kVariableNameLimit)
        return Fail(s.line, "a variable name has at most 35 characters");
      DiagnosticVariable& v = tables_.variables[variables_];
      v.name = name;
      for (std::size_t t = next; t < s.tokens.size(); ++t)
        if (!VariableField(v, s.tokens[t], claimed)) return false;
      if (!claimed[kSlotType]) return Fail(s.line, "a variable needs its type=");
      // An index variable steps by one unless told otherwise.
      if (!claimed[kSlotMultiplier]) v.multiplier = claimed[kSlotIndex] ? 1 : 0;
      ++variables_;
      return true;
    }
    std::optional<int> kind;
    const bool generic = head.value == "item";
    if (!generic) {
      kind = WordValue(kKindWords, head.value);
      if (!kind) return Fail(s.line, "unknown statement '" + head.value + "'");
    }
    if (items_ >= kDiagnosticTableSize) return Fail(s.line, "more than 1000 items");
    if (named && !IsIdentifier(name)) return Fail(s.line, "an item's name is a plain word");
    if (named) {
      for (const auto& [other, index] : itemNames_)
        if (other == name) return Fail(s.line, "a second item named " + name);
      itemNames_.emplace_back(name, items_);
    }
    if (generic) {
      // The kind must be known before any word that depends on it.
      for (std::size_t t = next; t < s.tokens.size(); ++t)
        if (s.tokens[t].key == "kind") {
          kind = ParseInt(s.tokens[t].value);
          if (!kind || s.tokens[t].quoted) return Fail(s.tokens[t].line, "kind= takes a number");
        }
      if (!kind) return Fail(s.line, "an item statement needs its kind=");
    }
    DiagnosticItem& item = tables_.items[items_];
    item = DefaultSourceItem(*kind);
    for (std::size_t t = next; t < s.tokens.size(); ++t) {
      if (s.tokens[t].key.empty()) return Fail(s.tokens[t].line, "a word without a field name");
      if (s.tokens[t].key == "kind" && generic) {
        if (claimed[kSlotKind]) return Fail(s.tokens[t].line, "kind= given twice");
        claimed.set(kSlotKind);
        continue;
      }
      if (!ItemField(item, s.tokens[t], claimed)) return false;
    }
    ++items_;
    return true;
  }

  bool Claim(std::bitset<kSlotCount>& claimed, std::initializer_list<Slot> slots, const Token& t) {
    for (Slot slot : slots) {
      if (claimed[slot]) return Fail(t.line, "the field of " + t.key + "= is given twice");
      claimed.set(slot);
    }
    return true;
  }

  bool Int(const Token& t, int& out) {
    const auto v = ParseInt(t.value);
    if (!v || t.quoted)
      return Fail(t.line, t.key + "= takes a whole number, not '" + t.value + "'");
    out = *v;
    return true;
  }

  bool Ints(const Token& t, std::initializer_list<int*> out) {
    std::string_view rest = t.value;
    std::size_t n = 0;
    for (int* target : out) {
      const std::size_t comma = rest.find(',');
      const auto v = ParseInt(rest.substr(0, comma));
      if (!v || t.quoted)
        return Fail(t.line, t.key + "= takes " + std::to_string(out.size()) +
                                " whole numbers separated by commas");
      *target = *v;
      ++n;
      if (n == out.size() ? comma != std::string_view::npos : comma == std::string_view::npos)
        return Fail(t.line, t.key + "= takes " + std::to_string(out.size()) +
                                " whole numbers separated by commas");
      if (comma != std::string_view::npos) rest.remove_prefix(comma + 1);
    }
    return true;
  }

  bool Double(const Token& t, double& out) {
    const auto v = ParseDouble(t.value);
    if (!v || t.quoted) return Fail(t.line, t.key + "= takes a number, not '" + t.value + "'");
    out = *v;
    return true;
  }

  bool Word(const Token& t, std::span<const ScriptWord> words, int& out) {
    if (const auto w = WordValue(words, t.value); w && !t.quoted) {
      out = *w;
      return true;
    }
    if (const auto v = ParseInt(t.value); v && !t.quoted) {
      out = *v;
      return true;
    }
    return Fail(t.line, "'" + t.value + "' is not a value of " + t.key + "=");
  }

  // An outline: a colour and, after "/", a pen width of 1 to 3 ("red/2").
  bool Outline(const Token& t, int& out) {
    const std::size_t slash = t.value.find('/');
    if (slash == std::string::npos) return Word(t, kColourWords, out);
    const auto colour = WordValue(kColourWords, std::string_view(t.value).substr(0, slash));
    const auto width = ParseInt(std::string_view(t.value).substr(slash + 1));
    if (!colour || !width || *width < 1 || *width > 3 || t.quoted)
      return Fail(t.line, "'" + t.value + "' is not an outline (colour/width 1 to 3)");
    out = *colour + 16 * (*width - 1);
    return true;
  }

  bool Text(const Token& t, std::string& out) {
    if (!t.quoted) return Fail(t.line, t.key + "= takes a quoted text");
    if (t.value.size() > kItemTextLimit)
      return Fail(t.line, t.key + "= text is longer than 255 characters");
    out = t.value;
    return true;
  }

  void Refer(const Token& t, bool toItem, int& target) {
    references_.push_back({toItem, t.quoted, &target, t.value, t.line});
  }

  bool ItemField(DiagnosticItem& item, const Token& t, std::bitset<kSlotCount>& claimed) {
    const std::string& k = t.key;
    const auto is = [&k](std::initializer_list<std::string_view> keys) {
      for (std::string_view key : keys)
        if (k == key) return true;
      return false;
    };
    if (k == "style" || (is({"shape"}) && !StyleWords(item.kind).empty()))
      return Claim(claimed, {kSlotStyle}, t) && Word(t, StyleWords(item.kind), item.style);
    if (k == "box")
      return Claim(claimed, {kSlotX1, kSlotY1, kSlotX2, kSlotY2}, t) &&
             Ints(t, {&item.x1, &item.y1, &item.x2, &item.y2});
    if (k == "size") return Claim(claimed, {kSlotX1, kSlotY1}, t) && Ints(t, {&item.x1, &item.y1});
    if (k == "x1") return Claim(claimed, {kSlotX1}, t) && Int(t, item.x1);
    if (k == "y1") return Claim(claimed, {kSlotY1}, t) && Int(t, item.y1);
    if (k == "x2") return Claim(claimed, {kSlotX2}, t) && Int(t, item.x2);
    if (k == "y2") return Claim(claimed, {kSlotY2}, t) && Int(t, item.y2);
    if (k == "angle") return Claim(claimed, {kSlotAngle}, t) && Int(t, item.angle);
    if (is({"mode", "motion", "action"}))
      return Claim(claimed, {kSlotMode}, t) && Word(t, ModeWords(item.kind), item.mode);
    if (is({"p1", "ticks", "gap"})) return Claim(claimed, {kSlotP1}, t) && Int(t, item.parameter1);
    if (is({"p2", "grid"})) return Claim(claimed, {kSlotP2}, t) && Int(t, item.parameter2);
    if (k == "outline") return Claim(claimed, {kSlotOutline}, t) && Outline(t, item.outlineNormal);
    if (k == "outline-active")
      return Claim(claimed, {kSlotOutlineActive}, t) && Outline(t, item.outlineActive);
    if (k == "fill")
      return Claim(claimed, {kSlotFill}, t) && Word(t, kColourWords, item.fillNormal);
    if (k == "fill-active")
      return Claim(claimed, {kSlotFillActive}, t) && Word(t, kColourWords, item.fillActive);
    if (k == "font") return Claim(claimed, {kSlotFont}, t) && Word(t, kFontWords, item.font);
    if (k == "align")
      return Claim(claimed, {kSlotAlign}, t) && Word(t, kAlignWords, item.alignment);
    if (k == "precision") return Claim(claimed, {kSlotLink}, t) && Int(t, item.precision);
    if (k == "parent") {
      if (!Claim(claimed, {kSlotLink}, t)) return false;
      Refer(t, true, item.precision);
      return true;
    }
    if (k == "target") {
      if (!Claim(claimed, {kSlotLink}, t)) return false;
      Refer(t, false, item.precision);
      return true;
    }
    if (is({"argument", "motion-end", "set", "page"}))
      return Claim(claimed, {kSlotArgument}, t) && Int(t, item.argument);
    if (k == "motion-start")
      return Claim(claimed, {kSlotMotionStart}, t) && Int(t, item.motionStart);
    if (k == "var" || k == "var-b") {
      if (!Claim(claimed, {k == "var" ? kSlotVarA : kSlotVarB}, t)) return false;
      Refer(t, false, k == "var" ? item.variableA : item.variableB);
      return true;
    }
    if (k == "bits")
      return Claim(claimed, {kSlotBitsA}, t) && Ints(t, {&item.startBitA, &item.bitCountA});
    if (k == "bits-b")
      return Claim(claimed, {kSlotBitsB}, t) && Ints(t, {&item.startBitB, &item.bitCountB});
    if (k == "scale") return Claim(claimed, {kSlotScaleA}, t) && Double(t, item.scaleA);
    if (k == "scale-b") return Claim(claimed, {kSlotScaleB}, t) && Double(t, item.scaleB);
    if (k == "op")
      return Claim(claimed, {kSlotOperation}, t) && Word(t, kOperationWords, item.operation);
    if (k == "max") return Claim(claimed, {kSlotMaximum}, t) && Double(t, item.maximum);
    if (k == "min") return Claim(claimed, {kSlotMinimum}, t) && Double(t, item.minimum);
    if (is({"text", "title"})) return Claim(claimed, {kSlotText1}, t) && Text(t, item.text1);
    if (is({"text-active", "description"}))
      return Claim(claimed, {kSlotText2}, t) && Text(t, item.text2);
    if (is({"command", "script"}))
      return Claim(claimed, {kSlotCommand}, t) && Text(t, item.command);
    return Fail(t.line, "unknown field " + k + "=");
  }

  bool VariableField(DiagnosticVariable& v, const Token& t, std::bitset<kSlotCount>& claimed) {
    const std::string& k = t.key;
    if (k.empty()) return Fail(t.line, "a word without a field name");
    if (k == "type") return Claim(claimed, {kSlotType}, t) && Word(t, kTypeWords, v.type);
    if (k == "number") return Claim(claimed, {kSlotNumber}, t) && Int(t, v.number);
    if (k == "index") {
      if (!Claim(claimed, {kSlotIndex}, t)) return false;
      Refer(t, false, v.indexVariable);
      return true;
    }
    if (k == "multiplier") return Claim(claimed, {kSlotMultiplier}, t) && Int(t, v.multiplier);
    if (k == "value") return Claim(claimed, {kSlotValue}, t) && Double(t, v.value);
    return Fail(t.line, "unknown field " + k + "=");
  }

  bool Resolve() {
    for (const Reference& r : references_) {
      if (!r.quoted && r.name.starts_with('@')) {
        const auto index = ParseInt(std::string_view(r.name).substr(1));
        if (!index) return Fail(r.line, "'" + r.name + "' is not an index");
        *r.target = *index;
        continue;
      }
      if (r.toItem) {
        bool found = false;
        for (const auto& [name, index] : itemNames_)
          if (name == r.name) {
            *r.target = index;
            found = true;
          }
        if (!found) return Fail(r.line, "no item is named " + r.name);
        continue;
      }
      int found = -1;
      for (int i = 0; i < variables_; ++i) {
        if (tables_.variables[i].name != r.name) continue;
        if (found != -1) return Fail(r.line, "more than one variable is named " + r.name);
        found = i;
      }
      if (found == -1) return Fail(r.line, "no variable is named " + r.name);
      *r.target = found;
    }
    tables_.itemCount = items_;
    tables_.variableCount = variables_;
    return true;
  }

  std::string_view fileName_;
  DiagnosticTables& tables_;
  std::string error_;
  int items_ = 0;
  int variables_ = 0;
  std::vector<std::pair<std::string, int>> itemNames_;
  std::vector<Reference> references_;
};

}  // namespace

bool CompileScriptSource(std::string_view source, std::string_view fileName,
                         DiagnosticTables& tables, std::string& error) {
  Compiler compiler(fileName, tables);
  if (compiler.Run(source)) return true;
  error = compiler.Error();
  return false;
}

}  // namespace bl::diagnostics
