// Expressions and conditions of stored statements, evaluated on the machine's variables.
#include <cmath>
#include <numbers>

#include "sim/machine.h"
#include "sim/program_runner.h"

namespace sim {

namespace {

// Stored statements are nested at most this deep (the parser's own limit is lower); the
// evaluator checks again so that it never depends on that.
constexpr int kMaxDepth = 64;

double Finite(double v) { return std::isfinite(v) ? v : 0; }

}  // namespace

bool Evaluator::IsSymbol(std::string_view text) const {
  if (i_ >= t_.size()) return false;
  const Token& t = t_[i_];
  return (t.kind == Token::Kind::kSymbol || t.kind == Token::Kind::kWord) &&
         t.text.size() == text.size() && t.text.front() == text.front() && t.text == text;
}

double Evaluator::Read(char letter, int n) const {
  if (n < 0 || n >= m_.model().variableCount) return 0;
  switch (letter) {
    case 'I':
      return m_.I(n);
    case 'P':
      return m_.Pvar(n);
    case 'Q':
      return m_.Qvar(n);
    default:
      return m_.Mvar(n);
  }
}

void Evaluator::Write(char letter, int n, double value) {
  if (n < 0 || n >= m_.model().variableCount) return;
  value = Finite(value);
  switch (letter) {
    case 'I':
      m_.SetI(n, value);
      break;
    case 'P':
      m_.SetPvar(n, value);
      break;
    case 'Q':
      m_.SetQvar(n, value);
      break;
    default:
      m_.SetMvar(n, value);
      break;
  }
}

std::optional<std::pair<char, int>> Evaluator::VariableRef() {
  if (i_ >= t_.size() || t_[i_].kind != Token::Kind::kVariable) return std::nullopt;
  const Token& v = t_[i_++];
  const char letter = v.text.front();
  if (v.value >= 0) return std::make_pair(letter, static_cast<int>(v.value));
  std::optional<double> index = Bracketed(0);
  if (!index) return std::nullopt;
  // A computed index is rounded: P(10*0.3*10) means P3 although the product is a hair below.
  const double rounded = std::round(*index);
  const int n = std::fabs(rounded) < 1e9 ? static_cast<int>(rounded) : -1;
  return std::make_pair(letter, n);
}

std::optional<double> Evaluator::Expression() {
  std::optional<double> value = Term();
  while (value && (IsSymbol("+") || IsSymbol("-"))) {
    const bool add = t_[i_++].text == "+";
    std::optional<double> rhs = Term();
    if (!rhs) return std::nullopt;
    value = Finite(add ? *value + *rhs : *value - *rhs);
  }
  return value;
}

std::optional<double> Evaluator::Term() {
  std::optional<double> value = Unary(0);
  while (value && (IsSymbol("*") || IsSymbol("/") || IsSymbol("%"))) {
    const char op = t_[i_++].text.front();
    std::optional<double> rhs = Unary(0);
    if (!rhs) return std::nullopt;
    if (op == '*') {
      value = Finite(*value * *rhs);
    } else if (*rhs == 0) {
      value = 0;  // no exception and no infinity: the program goes on with 0
    } else {
      value = Finite(op == '/' ? *value / *rhs : std::fmod(*value, *rhs));
    }
  }
  return value;
}

std::optional<double> Evaluator::Unary(int depth) {
  if (depth > kMaxDepth) return std::nullopt;
  if (IsSymbol("-")) {
    ++i_;
    std::optional<double> v = Unary(depth + 1);
    if (!v) return std::nullopt;
    return -*v;
  }
  return Primary(depth);
}

std::optional<double> Evaluator::Bracketed(int depth) {
  if (!IsSymbol("(") || ++depth_ > kMaxDepth) return std::nullopt;
  ++i_;
  std::optional<double> v = Expression();
  --depth_;
  if (!v || !IsSymbol(")")) return std::nullopt;
  ++i_;
  (void)depth;
  return v;
}

std::optional<double> Evaluator::Primary(int depth) {
  if (i_ >= t_.size()) return std::nullopt;
  const Token& t = t_[i_];
  switch (t.kind) {
    case Token::Kind::kNumber:
      ++i_;
      return t.value;
    case Token::Kind::kVariable: {
      auto ref = VariableRef();
      if (!ref) return std::nullopt;
      return Finite(Read(ref->first, ref->second));
    }
    case Token::Kind::kWord: {
      ++i_;
      std::optional<double> arg = Bracketed(depth);
      if (!arg) return std::nullopt;
      // ATAN2 takes its second argument (the cosine side) from Q0, as the controller does.
      return Finite(Function(t.text, *arg, m_.Qvar(0)));
    }
    default:
      return IsSymbol("(") ? Bracketed(depth) : std::nullopt;
  }
}

double Evaluator::Function(const std::string& name, double a, double b) const {
  // I15 = 0: angles in degrees, 1: radians.
  const double toRadians = m_.IntegerI(15) == 1 ? 1 : std::numbers::pi / 180;
  if (name == "SIN") return std::sin(a * toRadians);
  if (name == "COS") return std::cos(a * toRadians);
  if (name == "TAN") return std::tan(a * toRadians);
  if (name == "ASIN") return std::asin(a) / toRadians;
  if (name == "ACOS") return std::acos(a) / toRadians;
  if (name == "ATAN") return std::atan(a) / toRadians;
  if (name == "ATAN2") return std::atan2(a, b) / toRadians;
  if (name == "SQRT") return std::sqrt(a);
  if (name == "ABS") return std::fabs(a);
  if (name == "INT") return std::floor(a);
  if (name == "EXP") return std::exp(a);
  if (name == "LN") return std::log(a);
  return 0;
}

std::optional<bool> Evaluator::Condition() {
  // IF (c) [AND|OR (c)]...: the same joining as inside a bracket.
  return Conditions(-1);
}

// Comparisons joined by AND and OR; AND binds more tightly. With depth -1 each operand is a
// bracketed group (the joints of a whole IF / WHILE line).
std::optional<bool> Evaluator::Conditions(int depth) {
  if (depth > kMaxDepth) return std::nullopt;
  bool any = false;
  bool all = true;
  for (bool first = true;; first = false) {
    if (!first) {
      if (!IsSymbol("AND") && !IsSymbol("OR")) break;
      if (t_[i_++].text == "OR") {
        any = any || all;
        all = true;
      }
    }
    std::optional<bool> c;
    if (depth < 0) {
      if (!IsSymbol("(")) return std::nullopt;
      ++i_;
      c = Conditions(0);
      if (!c || !IsSymbol(")")) return std::nullopt;
      ++i_;
    } else {
      c = Comparison(depth);
    }
    if (!c) return std::nullopt;
    all = all && *c;
  }
  return any || all;
}

std::optional<bool> Evaluator::Comparison(int depth) {
  if (IsSymbol("(")) {
    // A bracket opens either a group of comparisons or the first operand.
    const std::size_t start = i_;
    ++i_;
    std::optional<bool> group = Conditions(depth + 1);
    if (group && IsSymbol(")")) {
      ++i_;
      return group;
    }
    i_ = start;
  }
  std::optional<double> a = Expression();
  if (!a || i_ >= t_.size()) return std::nullopt;
  const std::string op = t_[i_++].text;
  std::optional<double> b = Expression();
  if (!b) return std::nullopt;
  if (op == "=") return *a == *b;
  if (op == "!=") return *a != *b;
  if (op == "<") return *a < *b;
  if (op == ">") return *a > *b;
  if (op == "<=" || op == "!>") return *a <= *b;
  if (op == ">=" || op == "!<") return *a >= *b;
  return std::nullopt;
}

void RunAssignment(Machine& machine, const Statement& statement) {
  if (statement.kind == StatementKind::kConstant) {
    if (!statement.tokens.empty()) machine.SetPvar(0, Finite(statement.tokens.back().value));
    return;
  }
  Evaluator e(machine, statement.tokens, 0);
  auto ref = e.VariableRef();
  if (!ref || !e.IsSymbol("=")) return;
  Evaluator rhs(machine, statement.tokens, e.Position() + 1);
  if (std::optional<double> value = rhs.Expression()) e.Write(ref->first, ref->second, *value);
}

}  // namespace sim
