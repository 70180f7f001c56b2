#include "sim/program_statement.h"

#include <array>
#include <optional>
#include <string_view>

namespace sim {

namespace {

using Result = ParseOutcome::Result;
using Kind = StatementKind;

// Deepest nesting of brackets and signs in one statement; the controller's own limit is lower
// than a line can reach, and this keeps the parser's recursion small on hostile lines.
constexpr int kMaxDepth = 32;
// Line labels N0..N262143, the range the controller numbers them in.
constexpr std::uint32_t kMaxLabel = 262143;
// CALL n.m: program n (below 32768), label m.
constexpr double kCallLimit = 32768;
constexpr std::uint32_t kLastPlc = 31;

struct Keyword {
  std::string_view spelling;
  Kind kind;
  std::string_view canonical;
};

// Statement keywords; where one spelling begins another, the longest that fits wins. "END" is
// the first half of "END IF" / "END WHILE".
constexpr std::array kKeywords = {
    Keyword{"IF", Kind::kIf, "IF"},
    Keyword{"ELSE", Kind::kElse, "ELSE"},
    Keyword{"ENDIF", Kind::kEndIf, "ENDIF"},
    Keyword{"ENDI", Kind::kEndIf, "ENDIF"},
    Keyword{"WHILE", Kind::kWhile, "WHILE"},
    Keyword{"ENDWHILE", Kind::kEndWhile, "ENDWHILE"},
    Keyword{"ENDW", Kind::kEndWhile, "ENDWHILE"},
    Keyword{"END", Kind::kEndIf, ""},
    Keyword{"COMMAND", Kind::kCommand, "CMD"},
    Keyword{"CMD", Kind::kCommand, "CMD"},
    Keyword{"ENABLE", Kind::kEnablePlc, "ENABLE"},
    Keyword{"ENA", Kind::kEnablePlc, "ENABLE"},
    Keyword{"DISABLE", Kind::kDisablePlc, "DISABLE"},
    Keyword{"DIS", Kind::kDisablePlc, "DISABLE"},
    Keyword{"ABS", Kind::kAbs, "ABS"},
    Keyword{"INC", Kind::kInc, "INC"},
    Keyword{"LINEAR", Kind::kLinear, "LINEAR"},
    Keyword{"LIN", Kind::kLinear, "LINEAR"},
    Keyword{"RAPID", Kind::kRapid, "RAPID"},
    Keyword{"TA", Kind::kTa, "TA"},
    Keyword{"TS", Kind::kTs, "TS"},
    Keyword{"TM", Kind::kTm, "TM"},
    Keyword{"DWELL", Kind::kDwell, "DWELL"},
    Keyword{"DELAY", Kind::kDelay, "DELAY"},
    Keyword{"RETURN", Kind::kReturn, "RETURN"},
    Keyword{"RET", Kind::kReturn, "RETURN"},
    Keyword{"GOTO", Kind::kGoto, "GOTO"},
    Keyword{"GOSUB", Kind::kGosub, "GOSUB"},
    Keyword{"CALL", Kind::kCall, "CALL"},
};

constexpr std::array<std::string_view, 12> kFunctions = {
    "SIN", "COS", "TAN", "ASIN", "ACOS", "ATAN", "ATAN2", "SQRT", "ABS", "INT", "EXP", "LN"};

bool IsVariableLetter(char c) { return c == 'I' || c == 'P' || c == 'Q' || c == 'M'; }
bool IsAxis(char c) {
  return std::string_view("XYZABCUVW").find(Upper(c)) != std::string_view::npos;
}
bool StartsNumber(char c) { return IsDigit(c) || c == '.' || c == '$'; }
bool StartsValue(char c) { return StartsNumber(c) || c == '-' || c == '+' || c == '('; }
bool IsAlnum(char c) { return IsLetter(c) || IsDigit(c); }

bool MotionOnly(Kind kind) {
  switch (kind) {
    case Kind::kAssign:
    case Kind::kConstant:
    case Kind::kIf:
    case Kind::kElse:
    case Kind::kEndIf:
    case Kind::kWhile:
    case Kind::kEndWhile:
    case Kind::kCommand:
    case Kind::kEnablePlc:
    case Kind::kDisablePlc:
      return false;
    default:
      return true;
  }
}

// What the command at the cursor is, found without reading it.
struct Lead {
  bool statement = false;
  Kind kind = Kind::kConstant;
  bool refused = false;           // a form no buffer takes (a range assignment)
  std::size_t keywordLength = 0;  // characters of the leading keyword(s), blanks included
  std::string_view canonical;     // the keyword as listed
};

Lead StatementLead(Kind kind) {
  Lead lead;
  lead.statement = true;
  lead.kind = kind;
  return lead;
}

Lead LeadAt(Scanner s, BufferKind buffer) {
  const char c = s.Peek();
  if (IsDigit(c) || c == '.' || c == '-' || c == '+') return StatementLead(Kind::kConstant);
  if (!IsLetter(c)) return {};
  const std::size_t start = s.Position();
  const std::string word = s.ReadWord();
  if (word.size() == 1) {
    const char w = word[0];
    const char next = s.Peek();
    if (IsVariableLetter(w)) {
      if (next == '(') return StatementLead(Kind::kAssign);
      if (!IsDigit(next) || !s.ReadUnsigned(false, 0xFFFFFFFFu) || s.Match("->")) return {};
      if (s.Match("..")) {
        s.ReadUnsigned(false, 0xFFFFFFFFu);
        s.SkipBlanks();
        if (s.Peek() != '=') return {};  // a range of value reports
        Lead lead = StatementLead(Kind::kAssign);
        lead.refused = true;
        return lead;
      }
      s.SkipBlanks();
      if (s.Peek() == '=') return StatementLead(Kind::kAssign);
      if (w == 'M' && buffer == BufferKind::kMotion) return StatementLead(Kind::kMCode);
      return {};
    }
    if (IsAxis(w) && StartsValue(next)) return StatementLead(Kind::kMove);
    if (w == 'F' && (StartsNumber(next) || next == '(')) return StatementLead(Kind::kFeedrate);
    if ((w == 'N' || w == 'O') && IsDigit(next)) return StatementLead(Kind::kLabel);
    return {};
  }

  const Keyword* best = nullptr;
  for (const Keyword& k : kKeywords) {
    if (word.starts_with(k.spelling) && (!best || k.spelling.size() > best->spelling.size())) {
      best = &k;
    }
  }
  if (!best) return {};
  Lead lead = StatementLead(best->kind);
  lead.canonical = best->canonical;
  s.Reset(start + best->spelling.size());
  if (best->spelling == "END") {
    s.SkipBlanks();
    if (s.Match("WHILE")) {
      lead.kind = Kind::kEndWhile;
      lead.canonical = "ENDWHILE";
    } else if (s.Match("IF")) {
      lead.canonical = "ENDIF";
    } else {
      return {};  // END GATHER and the like are online commands
    }
  }
  lead.keywordLength = s.Position() - start;
  return lead;
}

// The constant as the listing prints it, and the value that text reads back as: a listing
// downloaded again must give the same text, so the stored value is rounded to what is printed.
std::optional<Token> ConstantToken(double value) {
  const std::string typed = FormatNumber(value);
  Scanner back(typed);
  const std::optional<double> read = back.ReadValue();
  if (!read || !back.AtEnd()) return std::nullopt;  // beyond what a constant may hold
  // The value read back from ten digits prints as text that reads back as that same value.
  Token token{Token::Kind::kNumber, FormatNumber(*read), *read};
  for (char& ch : token.text) ch = Upper(ch);
  return token;
}

// Recursive descent over one statement, appending its canonical tokens.
class Parser {
 public:
  Parser(Scanner& s, int variableCount) : s_(s), variableCount_(variableCount) {}

  bool Parse(const Lead& lead) {
    switch (lead.kind) {
      case Kind::kConstant:
        return Constant(true);
      case Kind::kAssign:
        if (!Variable()) return false;
        s_.SkipBlanks();
        if (!s_.Match("=")) return false;
        Symbol("=");
        return Expression();
      case Kind::kMCode:
        s_.Advance();
        Word("M");
        return Unsigned(static_cast<std::uint32_t>(variableCount_ - 1));
      case Kind::kMove:
        return Move();
      case Kind::kFeedrate:
        s_.Advance();
        Word("F");
        return Argument();
      case Kind::kLabel:
        Word(std::string(1, Upper(s_.Peek())));
        s_.Advance();
        return Unsigned(kMaxLabel);
      default:
        break;
    }
    s_.Advance(lead.keywordLength);
    Word(lead.canonical);
    switch (lead.kind) {
      case Kind::kIf:
      case Kind::kWhile:
        return Condition();
      case Kind::kCommand:
        return CommandText();
      case Kind::kEnablePlc:
      case Kind::kDisablePlc:
        return PlcList();
      case Kind::kAbs:
      case Kind::kInc:
        return AxisList();
      case Kind::kTa:
      case Kind::kTs:
      case Kind::kTm:
      case Kind::kDwell:
      case Kind::kDelay:
        return Argument();
      case Kind::kGoto:
      case Kind::kGosub:
        s_.SkipBlanks();
        return Unsigned(kMaxLabel);
      case Kind::kCall: {
        s_.SkipBlanks();
        if (!StartsNumber(s_.Peek())) return false;
        std::optional<double> target = s_.ReadValue();
        return target && *target < kCallLimit && Number(*target);
      }
      default:
        return true;  // ELSE, ENDIF, ENDWHILE, LINEAR, RAPID, RETURN stand alone
    }
  }

  std::vector<Token> tokens;

 private:
  void Word(std::string_view text) { tokens.push_back({Token::Kind::kWord, std::string(text)}); }
  void Symbol(std::string_view text) {
    tokens.push_back({Token::Kind::kSymbol, std::string(text)});
  }
  bool Number(double value) {
    std::optional<Token> token = ConstantToken(value);
    if (!token) return false;
    tokens.push_back(std::move(*token));
    return true;
  }
  bool Unsigned(std::uint32_t max) {
    std::optional<std::uint32_t> n = s_.ReadUnsigned(false, max);
    return n && Number(*n);
  }
  // A constant; with `signed_` a sign may lead it (moves, bare constants).
  bool Constant(bool signed_) {
    const char c = s_.Peek();
    if (!StartsNumber(c) && !(signed_ && (c == '-' || c == '+'))) return false;
    std::optional<double> value = s_.ReadValue();
    return value && Number(*value);
  }

  bool Bracketed(bool (Parser::*inner)()) {
    s_.SkipBlanks();
    if (!s_.Match("(") || ++depth_ > kMaxDepth) return false;
    Symbol("(");
    if (!(this->*inner)()) return false;
    s_.SkipBlanks();
    if (!s_.Match(")")) return false;
    Symbol(")");
    --depth_;
    return true;
  }

  bool Expression() { return Operation(&Parser::Term, "+-"); }
  bool Term() { return Operation(&Parser::Unary, "*/%"); }
  bool Operation(bool (Parser::*operand)(), std::string_view operators) {
    if (!(this->*operand)()) return false;
    for (;;) {
      const std::size_t before = s_.Position();
      s_.SkipBlanks();
      const char c = s_.Peek();
      if (c == '\0' || operators.find(c) == std::string_view::npos) {
        s_.Reset(before);
        return true;
      }
      s_.Advance();
      Symbol(std::string_view(&c, 1));
      if (!(this->*operand)()) return false;
    }
  }
  bool Unary() {
    s_.SkipBlanks();
    const char c = s_.Peek();
    if (c != '-' && c != '+') return Primary();
    if (++depth_ > kMaxDepth) return false;
    s_.Advance();
    if (c == '-') Symbol("-");  // a plus sign changes nothing and is not kept
    const bool ok = Unary();
    --depth_;
    return ok;
  }
  bool Primary() {
    s_.SkipBlanks();
    const char c = s_.Peek();
    if (StartsNumber(c)) return Constant(false);
    if (c == '(') return Bracketed(&Parser::Expression);
    if (!IsLetter(c)) return false;
    Scanner look = s_;
    std::string name = look.ReadWord();
    if (name.size() == 1 && IsVariableLetter(name[0]) &&
        (IsDigit(look.Peek()) || look.Peek() == '(')) {
      return Variable();
    }
    if (name == "ATAN" && look.Peek() == '2') {
      name = "ATAN2";
      look.Advance();
    }
    bool known = false;
    for (std::string_view f : kFunctions) known = known || f == name;
    if (!known) return false;
    s_.Reset(look.Position());
    Word(name);
    return Bracketed(&Parser::Expression);
  }
  bool Variable() {
    const char letter = Upper(s_.Peek());
    s_.Advance();
    if (s_.Peek() == '(') {
      tokens.push_back({Token::Kind::kVariable, std::string(1, letter), -1});
      return Bracketed(&Parser::Expression);
    }
    auto n = s_.ReadUnsigned(false, static_cast<std::uint32_t>(variableCount_ - 1));
    if (!n) return false;
    tokens.push_back(
        {Token::Kind::kVariable, letter + std::to_string(*n), static_cast<double>(*n)});
    return true;
  }

  // IF and WHILE: a bracketed condition, maybe joined to more by AND / OR.
  bool Condition() {
    if (!Bracketed(&Parser::Conditions)) return false;
    for (;;) {
      const std::size_t before = s_.Position();
      s_.SkipBlanks();
      const std::string_view joint = s_.Match("AND") ? "AND" : s_.Match("OR") ? "OR" : "";
      s_.SkipBlanks();
      if (joint.empty() || s_.Peek() != '(') {
        s_.Reset(before);
        return true;
      }
      Word(joint);
      if (!Bracketed(&Parser::Conditions)) return false;
    }
  }
  bool Conditions() {
    if (!Comparison()) return false;
    for (;;) {
      const std::size_t before = s_.Position();
      s_.SkipBlanks();
      const std::string_view joint = s_.Match("AND") ? "AND" : s_.Match("OR") ? "OR" : "";
      if (joint.empty()) {
        s_.Reset(before);
        return true;
      }
      Word(joint);
      if (!Comparison()) return false;
    }
  }
  bool Comparison() {
    s_.SkipBlanks();
    if (s_.Peek() == '(') {
      // A bracket opens either a group of comparisons or the first operand.
      const std::size_t position = s_.Position();
      const std::size_t count = tokens.size();
      const int depth = depth_;
      if (Bracketed(&Parser::Conditions)) return true;
      s_.Reset(position);
      tokens.resize(count);
      depth_ = depth;
    }
    if (!Expression()) return false;
    s_.SkipBlanks();
    for (std::string_view op : {"!=", "!<", "!>", "<=", ">=", "=", "<", ">"}) {
      if (s_.Match(op)) {
        Symbol(op);
        return Expression();
      }
    }
    return false;
  }

  // A constant or a bracketed expression, after optional blanks.
  bool Argument() {
    s_.SkipBlanks();
    return s_.Peek() == '(' ? Bracketed(&Parser::Expression) : Constant(false);
  }
  // One or more axes, each at most once: X1000 Y(P1) Z-5.
  bool Move() {
    std::string seen;
    for (;;) {
      const char axis = Upper(s_.Peek());
      if (seen.find(axis) != std::string::npos) return false;
      seen += axis;
      s_.Advance();
      Word(std::string(1, axis));
      if (!(s_.Peek() == '(' ? Bracketed(&Parser::Expression) : Constant(true))) return false;
      const std::size_t before = s_.Position();
      s_.SkipBlanks();
      if (!IsAxis(s_.Peek()) || !StartsValue(s_.Peek(1))) {
        s_.Reset(before);
        return true;
      }
    }
  }
  // ABS / INC with an optional axis list: ABS(X,Y).
  bool AxisList() {
    const std::size_t before = s_.Position();
    s_.SkipBlanks();
    if (!s_.Match("(")) {
      s_.Reset(before);
      return true;
    }
    Symbol("(");
    for (;;) {
      s_.SkipBlanks();
      if (!IsAxis(s_.Peek())) return false;
      Word(std::string(1, Upper(s_.Peek())));
      s_.Advance();
      s_.SkipBlanks();
      if (s_.Match(")")) {
        Symbol(")");
        return true;
      }
      if (!s_.Match(",")) return false;
      Symbol(",");
    }
  }
  // PLC a[..b][,c[..d]...], numbers 0..31.
  bool PlcList() {
    s_.SkipBlanks();
    if (!s_.Match("PLC") || IsLetter(s_.Peek())) return false;
    Word("PLC");
    for (;;) {
      s_.SkipBlanks();
      auto first = s_.ReadUnsigned(false, kLastPlc);
      if (!first || !Number(*first)) return false;
      std::size_t before = s_.Position();
      s_.SkipBlanks();
      if (s_.Match("..")) {
        Symbol("..");
        s_.SkipBlanks();
        auto last = s_.ReadUnsigned(false, kLastPlc);
        if (!last || *last < *first || !Number(*last)) return false;
        before = s_.Position();
        s_.SkipBlanks();
      }
      if (!s_.Match(",")) {
        s_.Reset(before);
        return true;
      }
      Symbol(",");
    }
  }
  // CMD"text" (printable characters only) or CMD^K.
  bool CommandText() {
    s_.SkipBlanks();
    if (s_.Match("^")) {
      if (!IsLetter(s_.Peek())) return false;
      tokens.push_back({Token::Kind::kString, std::string{'^', Upper(s_.Peek())}});
      s_.Advance();
      return true;
    }
    if (!s_.Match("\"")) return false;
    std::string text = "\"";
    for (;;) {
      const char c = s_.Peek();
      if (s_.AtEnd() || c < ' ' || c > '~') return false;
      s_.Advance();
      text += c;
      if (c == '"') break;
    }
    tokens.push_back({Token::Kind::kString, std::move(text)});
    return true;
  }

  Scanner& s_;
  int variableCount_;
  int depth_ = 0;
};

// The listing line: tokens side by side, one blank where a word would run into the word or
// number before it.
std::string Join(const std::vector<Token>& tokens) {
  std::string text;
  for (const Token& t : tokens) {
    if (!text.empty() && IsAlnum(text.back()) && IsLetter(t.text.front())) text += ' ';
    text += t.text;
  }
  return text;
}

// Program memory a statement takes: a word for each element, two for a constant (a 48-bit
// value), and for a CMD text one word per three characters besides.
int Words(const std::vector<Token>& tokens) {
  int words = 0;
  for (const Token& t : tokens) {
    switch (t.kind) {
      case Token::Kind::kNumber:
        words += 2;
        break;
      case Token::Kind::kString:
        words += 1 + static_cast<int>(t.text.size()) / 3;
        break;
      default:
        words += 1;
        break;
    }
  }
  return words;
}

}  // namespace

ParseOutcome ParseStatement(Scanner& scanner, BufferKind buffer, int variableCount) {
  ParseOutcome outcome;
  const Lead lead = LeadAt(scanner, buffer);
  if (!lead.statement) return outcome;
  outcome.result = Result::kError;
  if (lead.refused || (buffer == BufferKind::kPlc && MotionOnly(lead.kind))) return outcome;
  Parser parser(scanner, variableCount);
  if (!parser.Parse(lead) || !scanner.AtCommandBoundary()) return outcome;
  Statement& st = outcome.statement;
  st.kind = lead.kind;
  st.text = Join(parser.tokens);
  if (st.text.size() > kMaxStatementText) return outcome;
  st.words = Words(parser.tokens);
  st.tokens = std::move(parser.tokens);
  outcome.result = Result::kStatement;
  return outcome;
}

bool StatementKindAt(Scanner scanner, BufferKind buffer, StatementKind& kind) {
  const Lead lead = LeadAt(scanner, buffer);
  kind = lead.kind;
  return lead.statement;
}

std::vector<int> PlcNumbers(const Statement& statement) {
  std::vector<int> numbers;
  const std::vector<Token>& t = statement.tokens;
  for (std::size_t i = 2; i < t.size(); ++i) {
    if (t[i].kind == Token::Kind::kNumber) {
      numbers.push_back(static_cast<int>(t[i].value));
    } else if (t[i].text == ".." && i + 1 < t.size() && !numbers.empty()) {
      for (int n = numbers.back() + 1; n <= static_cast<int>(t[i + 1].value); ++n) {
        numbers.push_back(n);
      }
      ++i;
    }
  }
  return numbers;
}

}  // namespace sim
