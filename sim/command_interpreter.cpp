#include "sim/command_interpreter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

namespace sim {

namespace {

constexpr int kOk = 0;

void AddLine(std::string& out, std::string_view text) {
  out += text;
  out += kCr;
}

bool IsAxisLetter(char c) {
  c = Upper(c);
  return c == 'X' || c == 'Y' || c == 'Z' || c == 'A' || c == 'B' || c == 'C' || c == 'U' ||
         c == 'V' || c == 'W';
}

// Several axes in one definition must come from one triplet, XYZ or UVW, each at most once.
bool ValidAxisTerms(const std::vector<AxisTerm>& terms) {
  if (terms.empty() || terms.size() > 3) return false;
  if (terms.size() == 1) return true;
  std::string_view triplet =
      std::string_view("XYZ").find(terms[0].axis) != std::string_view::npos ? "XYZ" : "UVW";
  for (std::size_t i = 0; i < terms.size(); ++i) {
    if (triplet.find(terms[i].axis) == std::string_view::npos) return false;
    for (std::size_t j = 0; j < i; ++j) {
      if (terms[j].axis == terms[i].axis) return false;
    }
  }
  return true;
}

std::string AxisText(const AxisDefinition& a) {
  if (a.inverse) return "I";
  std::string text;
  for (std::size_t i = 0; i < a.terms.size(); ++i) {
    double scale = a.terms[i].scale;
    if (i == 0) {
      text += FormatNumber(scale);
    } else {
      text += scale < 0 ? "-" : "+";
      text += FormatNumber(std::fabs(scale));
    }
    text += a.terms[i].axis;
  }
  if (a.offset != 0) {
    text += a.offset < 0 ? "-" : "+";
    text += FormatNumber(std::fabs(a.offset));
  }
  return text;
}

}  // namespace

Reply CommandInterpreter::ExecuteLine(std::string_view line) {
  Reply reply;
  if (line.size() > kMaxLineLength) {
    reply.error = kErrUnrecognized;
    reply.text = ErrorText(reply.error);
    return reply;
  }
  Scanner s(line);
  for (;;) {
    s.SkipBlanks();
    if (s.AtEnd() || s.Peek() == ';') break;
    if (IsControlCommand(s.Peek())) {
      char c = s.Peek();
      s.Advance();
      if (!Control(c, reply.text)) break;
      continue;
    }
    if (int error = ExecuteOne(s, reply.text); error != kOk) {
      reply.error = error;
      reply.text += ErrorText(error);
      return reply;
    }
  }
  reply.text += kAck;
  return reply;
}

Reply CommandInterpreter::ExecuteControl(char c) {
  Reply reply;
  if (!IsControlCommand(c) && c != '\t' && c != '\n' && c != '\r') {
    reply.error = kErrUnrecognized;
    reply.text = ErrorText(reply.error);
    return reply;
  }
  Control(c, reply.text);
  reply.text += kAck;
  return reply;
}

int CommandInterpreter::ExecuteOne(Scanner& s, std::string& out) {
  char c = s.Peek();
  if (c == '#') return MotorAddress(s, out);
  if (c == '&') return CoordinateSystemAddress(s, out);
  if (c == '$') return ResetCommand(s);
  if (c == '?') return StatusQuery(s, out);
  if (int result = CoordinateCommand(s); result != kNotHandled) return result;
  if (int result = MotorCommand(s); result != kNotHandled) return result;
  if (int result = GatherCommand(s); result != kNotHandled) return result;
  if (int result = BufferCommand(s, out); result != kNotHandled) return result;
  if (int result = ProgramStatement(s); result != kNotHandled) return result;
  if (IsDigit(c) || c == '.' || c == '-' || c == '+') return BareConstant(s);
  if (IsLetter(c)) return Word(s.ReadWord(), s, out);
  return kErrUnrecognized;
}

int CommandInterpreter::Word(const std::string& word, Scanner& s, std::string& out) {
  if (word.size() == 1) {
    char w = word[0];
    bool numbered = IsDigit(s.Peek());
    if (numbered && (w == 'I' || w == 'P' || w == 'Q' || w == 'M')) return Variables(w, s, out);
    if (!numbered && (w == 'P' || w == 'V' || w == 'F')) return MotorReport(w, s, out);
    return kErrUnrecognized;
  }
  if (word == "RX" || word == "RY" || word == "RP") return ReadMemory(word[1], false, s, out);
  if (word == "RHX" || word == "RHY" || word == "RHP") return ReadMemory(word[2], true, s, out);
  if (word == "WX" || word == "WY" || word == "WP") return WriteMemory(word[1], s);
  if (word == "UNDEFINE" || word == "UNDEF") return Undefine(s);
  if (word == "MS") return MacroCommand(s, out);

  std::string_view answer;
  if (word == "TYPE") {
    answer = m_.model().typeReply;
  } else if (word == "VERSION" || word == "VER") {
    answer = m_.model().versionReply;
  } else if (word == "DATE") {
    answer = m_.model().dateReply;
  } else {
    return kErrUnrecognized;
  }
  if (!s.AtCommandBoundary()) return kErrUnrecognized;
  AddLine(out, answer);
  return kOk;
}

int CommandInterpreter::MotorAddress(Scanner& s, std::string& out) {
  s.Advance();  // '#'
  if (s.Peek() == '#') {
    s.Advance();
    if (!m_.model().turbo) return kErrUnrecognized;
    if (!IsDigit(s.Peek())) {
      AddLine(out, std::to_string(m_.motorGroup));
      return kOk;
    }
    auto group = s.ReadUnsigned(false, m_.model().motorCount / Model::kGroupSize - 1);
    if (!group) return kErrUnrecognized;
    m_.motorGroup = static_cast<int>(*group);
    return kOk;
  }
  bool numbered = IsDigit(s.Peek());
  if (numbered) {
    auto motor = s.ReadUnsigned(false, static_cast<std::uint32_t>(m_.model().motorCount));
    if (!motor || *motor == 0) return kErrUnrecognized;
    m_.addressedMotor = static_cast<int>(*motor);
  }
  if (s.Match("->")) return AxisDefinition(m_.addressedMotor, s, out);
  if (!numbered) AddLine(out, std::to_string(m_.addressedMotor));
  return kOk;
}

int CommandInterpreter::CoordinateSystemAddress(Scanner& s, std::string& out) {
  s.Advance();  // '&'
  if (!IsDigit(s.Peek())) {
    AddLine(out, std::to_string(m_.addressedCoordinateSystem));
    return kOk;
  }
  auto cs = s.ReadUnsigned(false, static_cast<std::uint32_t>(m_.model().coordinateSystemCount));
  if (!cs || *cs == 0) return kErrUnrecognized;
  m_.addressedCoordinateSystem = static_cast<int>(*cs);
  return kOk;
}

int CommandInterpreter::AxisDefinition(int motor, Scanner& s, std::string& out) {
  sim::AxisDefinition& current = m_.Motor(motor).axis;
  const int cs = m_.addressedCoordinateSystem;
  if (s.AtArgumentEnd()) {
    AddLine(out, current.coordinateSystem == cs ? AxisText(current) : "0");
    return kOk;
  }

  sim::AxisDefinition next;
  next.coordinateSystem = cs;
  auto endOfDefinition = [&s] { return s.AtArgumentEnd() || s.Peek() == '#' || s.Peek() == '&'; };
  std::size_t start = s.Position();
  if (s.Match("0")) {
    if (endOfDefinition()) {
      if (current.coordinateSystem == cs) current = {};
      return kOk;
    }
    s.Reset(start);
  }
  if (Upper(s.Peek()) == 'I') {
    s.Advance();
    if (!endOfDefinition()) return kErrUnrecognized;
    next.inverse = true;
  } else {
    for (bool first = true; !endOfDefinition(); first = false) {
      double sign = 1;
      if (s.Peek() == '+' || s.Peek() == '-') {
        sign = s.Peek() == '-' ? -1 : 1;
        s.Advance();
      } else if (!first) {
        return kErrUnrecognized;
      }
      std::optional<double> number;
      if (IsDigit(s.Peek()) || s.Peek() == '.') {
        number = s.ReadValue();
        if (!number) return kErrUnrecognized;
      }
      if (IsAxisLetter(s.Peek())) {
        next.terms.push_back({Upper(s.Peek()), sign * number.value_or(1)});
        s.Advance();
      } else if (number && !next.terms.empty() && endOfDefinition()) {
        next.offset = sign * *number;  // the offset comes last
      } else {
        return kErrUnrecognized;
      }
    }
    if (!ValidAxisTerms(next.terms)) return kErrUnrecognized;
  }
  // A motor belongs to one coordinate system at a time.
  if (current.coordinateSystem != 0 && current.coordinateSystem != cs) return kErrUnrecognized;
  if (AnyProgramRunning(m_)) return kErrProgramRunning;
  current = std::move(next);
  return kOk;
}

int CommandInterpreter::Undefine(Scanner& s) {
  std::size_t afterWord = s.Position();
  s.SkipBlanks();
  bool all = s.ReadWord() == "ALL";
  if (!all) s.Reset(afterWord);
  if (!s.AtCommandBoundary()) return kErrUnrecognized;
  if (AnyProgramRunning(m_)) return kErrProgramRunning;
  for (int m = 1; m <= m_.model().motorCount; ++m) {
    sim::AxisDefinition& axis = m_.Motor(m).axis;
    if (all || axis.coordinateSystem == m_.addressedCoordinateSystem) axis = {};
  }
  return kOk;
}

int CommandInterpreter::ResetCommand(Scanner& s) {
  if (s.Match("$$$***")) {
    m_.FactoryReset();
  } else if (s.Match("$$$")) {
    m_.Reset();
  } else {
    return kErrUnrecognized;
  }
  return s.AtCommandBoundary() ? kOk : kErrUnrecognized;
}

int CommandInterpreter::BareConstant(Scanner& s) {
  // A constant on its own is an assignment to P0, as on the controller.
  auto value = s.ReadValue();
  if (!value || !s.AtCommandBoundary()) return kErrUnrecognized;
  m_.SetPvar(0, *value);
  return kOk;
}

int CommandInterpreter::Variables(char kind, Scanner& s, std::string& out) {
  const auto maxNumber = static_cast<std::uint32_t>(m_.model().variableCount - 1);
  auto first = s.ReadUnsigned(false, maxNumber);
  if (!first) return kErrUnrecognized;
  std::uint32_t last = *first;
  if (s.Match("..")) {
    auto end = s.ReadUnsigned(false, maxNumber);
    if (!end || *end < *first) return kErrUnrecognized;
    last = *end;
  }
  if (kind == 'M' && s.Match("->")) {
    return MDefinitions(static_cast<int>(*first), static_cast<int>(last), s, out);
  }

  std::size_t beforeBlanks = s.Position();
  s.SkipBlanks();
  if (s.Peek() == '=') {
    s.Advance();
    s.SkipBlanks();
    auto value = s.ReadValue();
    if (!value || !s.AtCommandBoundary()) return kErrUnrecognized;
    for (auto n = static_cast<int>(*first); n <= static_cast<int>(last); ++n) {
      switch (kind) {
        case 'I':
          m_.SetI(n, *value);
          break;
        case 'P':
          m_.SetPvar(n, *value);
          break;
        case 'Q':
          m_.SetQvar(n, *value);
          break;
        default:
          m_.SetMvar(n, *value);
          break;
      }
    }
    return kOk;
  }
  s.Reset(beforeBlanks);
  if (!s.AtCommandBoundary()) return kErrUnrecognized;
  for (auto n = static_cast<int>(*first); n <= static_cast<int>(last); ++n) {
    AddLine(out, VariableText(kind, n));
  }
  return kOk;
}

std::string CommandInterpreter::VariableText(char kind, int n) const {
  switch (kind) {
    case 'P':
      return FormatNumber(m_.Pvar(n));
    case 'Q':
      return FormatNumber(m_.Qvar(n));
    case 'M':
      return FormatNumber(m_.Mvar(n));
    default:
      break;
  }
  const int i9 = m_.IntegerI(9);
  double value = m_.I(n);
  std::string text = (i9 & 1) ? "I" + std::to_string(n) + "=" : std::string();
  if ((i9 & 2) && m_.IsAddressI(n)) {
    text += "$" + FormatHex(static_cast<std::uint32_t>(ToTwosComplement(value, 24)));
  } else {
    text += FormatNumber(value);
  }
  return text;
}

int CommandInterpreter::MDefinitions(int first, int last, Scanner& s, std::string& out) {
  if (s.AtArgumentEnd()) {
    for (int n = first; n <= last; ++n) AddLine(out, FormatMDefinition(m_.MDef(n)));
    return kOk;
  }
  auto definition = ParseMDefinition(s);
  if (!definition || !s.AtCommandBoundary()) return kErrUnrecognized;
  if (definition->kind != MDefinition::Kind::kSelf && !m_.ValidAddress(definition->address)) {
    return kErrUnrecognized;
  }
  for (int n = first; n <= last; ++n) m_.SetMDef(n, *definition);
  return kOk;
}

int CommandInterpreter::ReadMemory(char space, bool hex, Scanner& s, std::string& out) {
  s.Match(":");
  auto address = s.ReadUnsigned(true, 0xFFFFFF);
  if (!address) return kErrUnrecognized;
  std::uint32_t count = 1;
  if (s.Match(",")) {
    auto n = s.ReadUnsigned(true, 0xFFFFFFFFu);
    if (!n || *n == 0) return kErrUnrecognized;
    count = std::min(*n, kMaxReadCount);
  }
  if (!s.AtCommandBoundary()) return kErrUnrecognized;
  const std::uint32_t limit = space == 'P' ? m_.model().programWords : m_.model().memoryWords;
  if (*address >= limit) return kErrUnrecognized;
  count = std::min(count, limit - *address);

  std::string line;
  line.reserve(count * 8);
  for (std::uint32_t j = 0; j < count; ++j) {
    std::uint32_t a = *address + j;
    std::uint32_t word = space == 'X' ? m_.X(a) : space == 'Y' ? m_.Y(a) : m_.P(a);
    if (j > 0) line += ' ';
    line += hex ? FormatHex(word) : std::to_string(SignExtend(word, 24));
  }
  AddLine(out, line);
  return kOk;
}

int CommandInterpreter::WriteMemory(char space, Scanner& s) {
  s.Match(":");
  auto address = s.ReadUnsigned(true, 0xFFFFFF);
  if (!address || !s.Match(",")) return kErrUnrecognized;
  std::vector<std::uint32_t> words;
  do {
    auto value = s.ReadValue();
    if (!value || *value != std::trunc(*value) || *value < -8388608 || *value > 16777215) {
      return kErrUnrecognized;
    }
    words.push_back(static_cast<std::uint32_t>(ToTwosComplement(*value, 24)));
  } while (s.Match(","));
  if (!s.AtCommandBoundary()) return kErrUnrecognized;
  const std::uint32_t limit = space == 'P' ? m_.model().programWords : m_.model().memoryWords;
  if (*address >= limit || limit - *address < words.size()) return kErrUnrecognized;
  for (std::size_t j = 0; j < words.size(); ++j) {
    auto a = *address + static_cast<std::uint32_t>(j);
    if (space == 'X') {
      m_.SetX(a, words[j]);
    } else if (space == 'Y') {
      m_.SetY(a, words[j]);
    } else {
      m_.SetP(a, words[j]);
    }
  }
  return kOk;
}

std::string CommandInterpreter::ErrorText(int error) const {
  char text[32];
  switch (m_.IntegerI(6)) {
    case 1:
      std::snprintf(text, sizeof text, "\aERR%03d\r", error);
      return text;
    case 3:
      std::snprintf(text, sizeof text, "\a\rERR%03d\r", error);
      return text;
    default:
      return std::string(1, kBell);
  }
}

}  // namespace sim
