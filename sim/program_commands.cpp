// Program buffers from the command line: OPEN, CLEAR, CLOSE, LIST, statements typed into an open
// buffer, ENABLE / DISABLE PLC, and DEFINE / DELETE GATHER, which take user memory from the
// programs or give it back.
#include <initializer_list>
#include <optional>

#include "sim/command_interpreter.h"

namespace sim {

namespace {

constexpr std::uint32_t kGatheringBit = 0x80000;    // global status X19
constexpr std::uint32_t kGatherWrapBit = 0x400000;  // bit 22 of the gather start register

// Consumes the first of the spellings (compared without regard to case) that comes next after
// optional blanks; longer spellings must come first.
bool MatchWord(Scanner& s, std::initializer_list<std::string_view> spellings) {
  const std::size_t start = s.Position();
  s.SkipBlanks();
  for (std::string_view spelling : spellings) {
    if (s.Match(spelling)) return true;
  }
  s.Reset(start);
  return false;
}

// "PROGRAM 5", "PROG5", "PLC 3" after OPEN and LIST: the buffer and its number.
std::optional<std::pair<BufferKind, int>> BufferName(Scanner& s) {
  BufferKind kind = BufferKind::kMotion;
  if (MatchWord(s, {"PLC"})) {
    kind = BufferKind::kPlc;
  } else if (!MatchWord(s, {"PROGRAM", "PROG"})) {
    return std::nullopt;
  }
  s.SkipBlanks();
  std::optional<std::uint32_t> number = s.ReadUnsigned(false, 0xFFFFFF);
  if (!number || !s.AtCommandBoundary()) return std::nullopt;
  return std::make_pair(kind, static_cast<int>(*number));
}

}  // namespace

int CommandInterpreter::BufferCommand(Scanner& s, std::string& out) {
  const std::size_t start = s.Position();
  if (MatchWord(s, {"OPEN"})) return hostBufferOpen_ ? kErrBufferInUse : OpenBuffer(s);
  if (MatchWord(s, {"LIST"})) return ListProgram(s, out);
  if (MatchWord(s, {"CLOSE"})) {
    if (hostBufferOpen_) return kErrBufferInUse;
    return s.AtCommandBoundary() ? m_.programs.Close(m_) : kErrUnrecognized;
  }
  if (MatchWord(s, {"CLEAR"})) {
    if (hostBufferOpen_) return kErrBufferInUse;
    return s.AtCommandBoundary() ? m_.programs.Clear(m_) : kErrUnrecognized;
  }
  if (MatchWord(s, {"DEFINE", "DEF"}) && MatchWord(s, {"GATHER", "GAT"})) return DefineGather(s);
  s.Reset(start);
  if (MatchWord(s, {"DELETE", "DEL"}) && MatchWord(s, {"GATHER", "GAT"})) return DeleteGather(s);
  s.Reset(start);  // DELAY, DEFINE LOOKAHEAD, ...
  return kNotHandled;
}

int CommandInterpreter::OpenBuffer(Scanner& s) {
  auto name = BufferName(s);
  if (!name) return kErrUnrecognized;
  if (name->first == BufferKind::kMotion) {
    if (m_.programs.IsOpen()) return kErrBufferInUse;
    if (AnyProgramRunning(m_)) return kErrProgramRunning;
  }
  const int error = m_.programs.Open(m_, name->first, name->second);
  // After a motion program is opened every coordinate system must be pointed again with B.
  if (error == 0 && name->first == BufferKind::kMotion) {
    for (CoordinateSystemRun& r : m_.runner.systems) r.pointed = false;
  }
  return error;
}

int CommandInterpreter::ListProgram(Scanner& s, std::string& out) {
  auto name = BufferName(s);
  const ProgramBuffers::Program* program =
      name ? m_.programs.Find(name->first, name->second) : nullptr;
  if (!program) return kErrUnrecognized;
  // A program's listing would only be dropped: a PLC listing a long program every pass would
  // spend its scans on text nobody reads.
  if (fromProgram_) return 0;
  for (const Statement& statement : program->statements) {
    out += statement.text;
    out += kCr;
  }
  return 0;
}

int CommandInterpreter::ProgramStatement(Scanner& s) {
  const int variables = m_.model().variableCount;
  if (m_.programs.IsOpen() && !hostBufferOpen_) {
    ParseOutcome parsed = ParseStatement(s, m_.programs.OpenKind(), variables);
    switch (parsed.result) {
      case ParseOutcome::Result::kNotStatement:
        return kNotHandled;  // value reports and other online commands answer at once
      case ParseOutcome::Result::kError:
        return kErrUnrecognized;
      case ParseOutcome::Result::kStatement:
        break;
    }
    return m_.programs.Store(m_, std::move(parsed.statement));
  }

  StatementKind kind;
  if (!StatementKindAt(s, BufferKind::kMotion, kind)) return kNotHandled;
  switch (kind) {
    case StatementKind::kAssign:
    case StatementKind::kConstant:
    case StatementKind::kMCode:
      return kNotHandled;  // online: assignments and value reports
    case StatementKind::kEnablePlc:
    case StatementKind::kDisablePlc: {
      ParseOutcome parsed = ParseStatement(s, BufferKind::kPlc, variables);
      if (parsed.result != ParseOutcome::Result::kStatement) return kErrUnrecognized;
      m_.programs.SetPlcsEnabled(m_, PlcNumbers(parsed.statement),
                                 kind == StatementKind::kEnablePlc);
      return 0;
    }
    case StatementKind::kMove:
      // A{n} and B{n} are online commands of their own (abort, begin), not moves.
      if (Upper(s.Peek()) == 'A' || Upper(s.Peek()) == 'B') return kNotHandled;
      return kErrNoBufferOpen;
    default:
      return kErrNoBufferOpen;
  }
}

int CommandInterpreter::DefineGather(Scanner& s) {
  const std::size_t afterWords = s.Position();
  s.SkipBlanks();
  std::optional<std::uint32_t> size = s.ReadUnsigned(true, 0xFFFFFF);
  if (!size) s.Reset(afterWords);
  if (!s.AtCommandBoundary() || size == 0u) return kErrUnrecognized;

  const Model& model = m_.model();
  if (m_.X(model.globalStatus) & kGatheringBit) return kErrUnrecognized;
  // Gathering to dual-ported RAM (modes 2 and 3) is not built.
  const int mode = m_.IntegerI(model.turbo ? 5000 : 45);
  if (mode == 2 || mode == 3) return kErrUnrecognized;
  const std::uint32_t end = model.endOfUserMemory;
  const std::uint32_t programsEnd = m_.programs.ProgramsEnd(model);
  const std::uint32_t free = end > programsEnd ? end - programsEnd : 0;
  const std::uint32_t words = size.value_or(free);
  if (words == 0 || words > free) return kErrBufferFull;
  const std::uint32_t first = end - words;
  m_.SetX(model.gatherRegisters, first | ((mode & 1) != 0 ? kGatherWrapBit : 0));
  m_.SetY(model.gatherRegisters, first);
  return 0;
}

int CommandInterpreter::DeleteGather(Scanner& s) {
  if (!s.AtCommandBoundary()) return kErrUnrecognized;
  const Model& model = m_.model();
  if (m_.X(model.globalStatus) & kGatheringBit) return kErrUnrecognized;
  m_.SetX(model.gatherRegisters, model.endOfUserMemory);
  m_.SetY(model.gatherRegisters, model.endOfUserMemory);
  return 0;
}

}  // namespace sim
