#include "sim/program_buffers.h"

#include <algorithm>
#include <string_view>

#include "sim/errors.h"
#include "sim/machine.h"

namespace sim {

namespace {

using Kind = StatementKind;

constexpr std::uint32_t kAddressBits = 0x7FFFF;          // low 19 bits of a table word
constexpr std::uint32_t kPlcDisabledBit = 0x400000;      // bit 22 of a PLC table word
constexpr std::uint32_t kMotionBufferOpenBit = 0x80000;  // global status Y19
constexpr std::uint32_t kPlcBufferOpenBit = 0x20000;     // global status Y17

}  // namespace

bool ProgramBuffers::Fits(const std::vector<Statement>& program, const std::vector<Block>& blocks,
                          const Statement& next) {
  const Kind open = blocks.empty() ? Kind::kConstant
                                   : program[static_cast<std::size_t>(blocks.back().opener)].kind;
  switch (next.kind) {
    case Kind::kElse:
      return open == Kind::kIf && blocks.back().last == blocks.back().opener;
    case Kind::kEndIf:
      return open == Kind::kIf;
    case Kind::kEndWhile:
      return open == Kind::kWhile;
    default:
      return true;
  }
}

void ProgramBuffers::Link(std::vector<Statement>& program, int index, std::vector<Block>& blocks) {
  Statement& s = program[static_cast<std::size_t>(index)];
  switch (s.kind) {
    case Kind::kIf:
    case Kind::kWhile:
      blocks.push_back({index, index});
      break;
    case Kind::kElse:
      program[static_cast<std::size_t>(blocks.back().last)].match = index;
      blocks.back().last = index;
      break;
    case Kind::kEndIf:
    case Kind::kEndWhile:
      program[static_cast<std::size_t>(blocks.back().last)].match = index;
      s.match = blocks.back().opener;
      blocks.pop_back();
      break;
    default:
      break;
  }
}

std::vector<ProgramBuffers::Block> ProgramBuffers::Replay(std::vector<Statement>& program) {
  std::vector<Block> blocks;
  for (std::size_t i = 0; i < program.size(); ++i) Link(program, static_cast<int>(i), blocks);
  return blocks;
}

ProgramBuffers::Program& ProgramBuffers::OpenProgram() {
  if (open_->kind == BufferKind::kPlc) return plcs_[static_cast<std::size_t>(open_->number)];
  return *std::find_if(motion_.begin(), motion_.end(),
                       [this](const Program& p) { return p.number == open_->number; });
}

int ProgramBuffers::Open(Machine& machine, BufferKind kind, int number) {
  if (open_) return kErrBufferInUse;
  const bool valid = kind == BufferKind::kMotion ? number >= 1 && number <= kMaxProgramNumber
                                                 : number >= 0 && number < kPlcCount;
  if (!valid) return kErrUnrecognized;
  if (kind == BufferKind::kMotion &&
      std::none_of(motion_.begin(), motion_.end(),
                   [number](const Program& p) { return p.number == number; })) {
    motion_.push_back({number, {}, 0});
  }
  open_ = OpenBuffer{kind, number, {}};
  open_->blocks = Replay(OpenProgram().statements);
  // A PLC does not run while it is being changed.
  if (kind == BufferKind::kPlc) plcEnabled_[static_cast<std::size_t>(number)] = false;
  WriteTables(machine);
  return 0;
}

int ProgramBuffers::Clear(Machine& machine) {
  if (!open_) return kErrNoBufferOpen;
  Program& p = OpenProgram();
  p.statements.clear();
  p.words = 0;
  open_->blocks.clear();
  WriteTables(machine);
  return 0;
}

int ProgramBuffers::Store(Machine& machine, Statement statement) {
  if (!open_) return kErrNoBufferOpen;
  Program& p = OpenProgram();
  if (!Fits(p.statements, open_->blocks, statement)) return kErrStructure;

  const Model& model = machine.model();
  const std::uint32_t end = model.endOfUserMemory;
  // While a gather buffer is defined no program text is added, whatever room is left.
  const bool gatherDefined = (machine.X(model.gatherRegisters) & kAddressBits) < end;
  const bool newInDirectory = open_->kind == BufferKind::kMotion && p.statements.empty();
  if (gatherDefined || ProgramsEnd(model) + static_cast<std::uint32_t>(statement.words) > end ||
      (newInDirectory && ProgramsInDirectory() >= kDirectoryEntries)) {
    return kErrBufferFull;
  }
  p.words += static_cast<std::uint32_t>(statement.words);
  p.statements.push_back(std::move(statement));
  Link(p.statements, static_cast<int>(p.statements.size() - 1), open_->blocks);
  WriteTables(machine);
  return 0;
}

int ProgramBuffers::Close(Machine& machine) {
  if (!open_) return 0;
  Program& p = OpenProgram();
  if (open_->kind == BufferKind::kMotion &&
      (p.statements.empty() || p.statements.back().kind != Kind::kReturn)) {
    Scanner returnText("RETURN");
    // Without room the program stays as it is: leaving the buffer must always work.
    Store(machine, ParseStatement(returnText, BufferKind::kMotion, 1).statement);
  }
  const bool wellFormed = open_->blocks.empty();
  if (open_->kind == BufferKind::kPlc) {
    plcEnabled_[static_cast<std::size_t>(open_->number)] = wellFormed;
  } else if (p.statements.empty()) {
    const int number = open_->number;
    std::erase_if(motion_, [number](const Program& q) { return q.number == number; });
  }
  open_.reset();
  WriteTables(machine);
  return wellFormed ? 0 : kErrStructure;
}

const ProgramBuffers::Program* ProgramBuffers::Find(BufferKind kind, int number) const {
  const Program* p = nullptr;
  if (kind == BufferKind::kPlc) {
    if (number >= 0 && number < kPlcCount) p = &plcs_[static_cast<std::size_t>(number)];
  } else {
    auto it = std::find_if(motion_.begin(), motion_.end(),
                           [number](const Program& q) { return q.number == number; });
    if (it != motion_.end()) p = &*it;
  }
  return p && !p->statements.empty() ? p : nullptr;
}

void ProgramBuffers::SetPlcsEnabled(Machine& machine, const std::vector<int>& plcs, bool enabled) {
  for (int n : plcs) {
    if (n >= 0 && n < kPlcCount) plcEnabled_[static_cast<std::size_t>(n)] = enabled;
  }
  WriteTables(machine);
}

std::uint32_t ProgramBuffers::ProgramsEnd(const Model& model) const {
  std::uint32_t end = model.programBufferStart;
  for (const Program& p : motion_) end += p.words;
  for (const Program& p : plcs_) end += p.words;
  return end;
}

int ProgramBuffers::ProgramsInDirectory() const {
  return static_cast<int>(std::count_if(motion_.begin(), motion_.end(),
                                        [](const Program& p) { return !p.statements.empty(); }));
}

void ProgramBuffers::WriteTables(Machine& machine) const {
  const Model& model = machine.model();
  // Directory entry k: end of program k (Y) and its number (X). An entry ending where the one
  // before ends closes the directory, so empty programs have none. The last entry is also the
  // word before the PLC table: the start of PLC 0.
  std::uint32_t end = model.programBufferStart;
  std::uint32_t k = 0;
  for (const Program& p : motion_) {
    if (p.statements.empty() || k == kDirectoryEntries) continue;
    end += p.words;
    machine.SetY(model.programDirectory + k, end);
    machine.SetX(model.programDirectory + k, static_cast<std::uint32_t>(p.number) & 0xFFFF);
    ++k;
  }
  for (; k < kDirectoryEntries; ++k) {
    machine.SetY(model.programDirectory + k, end);
    machine.SetX(model.programDirectory + k, 0);
  }
  // PLC i ends where the word says; it starts where the word before ends.
  for (std::size_t i = 0; i < plcs_.size(); ++i) {
    end += plcs_[i].words;
    machine.SetY(model.plcTable + static_cast<std::uint32_t>(i),
                 end | (plcEnabled_[i] ? 0 : kPlcDisabledBit));
  }
  std::uint32_t status =
      machine.Y(model.globalStatus) & ~(kMotionBufferOpenBit | kPlcBufferOpenBit);
  if (open_) {
    status |= open_->kind == BufferKind::kMotion ? kMotionBufferOpenBit : kPlcBufferOpenBit;
  }
  machine.SetY(model.globalStatus, status);
}

}  // namespace sim
