#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/program_statement.h"

namespace sim {

class Machine;
struct Model;

// The motion programs and PLC programs held in user memory, the buffer open for entry, and the
// tables the workbench reads them by. Memory runs from the program-buffer start: the motion
// programs in directory order, then PLC 0..31, then free memory, then the gather buffer (if
// defined) up to the end of user memory. After every change the program directory, the PLC
// table and the buffer-open bits of the global status word are written to the machine's memory.
class ProgramBuffers {
 public:
  static constexpr int kPlcCount = 32;
  static constexpr int kDirectoryEntries = 256;
  static constexpr int kMaxProgramNumber = 32767;

  struct Program {
    int number = 0;
    std::vector<Statement> statements;
    std::uint32_t words = 0;
  };

  bool IsOpen() const { return open_.has_value(); }
  BufferKind OpenKind() const { return open_ ? open_->kind : BufferKind::kMotion; }

  // OPEN PROG n (1..32767) / OPEN PLC n (0..31): later statements are added to its end. An
  // opened PLC is disabled until CLOSE. Returns 0 or an error number.
  int Open(Machine& machine, BufferKind kind, int number);
  // Empties the open buffer (ERR005 when none is open).
  int Clear(Machine& machine);
  // Ends entry. A motion program gets a closing RETURN unless it already ends with one (and when
  // there is room for it). An IF or WHILE still open gives ERR009: the buffer is closed all the
  // same, and a PLC left that way stays disabled. Closing with no buffer open does nothing.
  int Close(Machine& machine);
  // Adds a statement to the open buffer: ERR006 when memory is short or a gather buffer holds
  // it, ERR009 for an ELSE / ENDIF / ENDWHILE without its IF or WHILE. Nothing changes on error.
  int Store(Machine& machine, Statement statement);

  // A program with at least one statement, or nothing.
  const Program* Find(BufferKind kind, int number) const;

  // ENABLE PLC / DISABLE PLC (bit 22 of the PLC's table word).
  void SetPlcsEnabled(Machine& machine, const std::vector<int>& plcs, bool enabled);
  bool PlcEnabled(int n) const {
    return n >= 0 && n < kPlcCount && plcEnabled_[static_cast<std::size_t>(n)];
  }

  // First address past the programs.
  std::uint32_t ProgramsEnd(const Model& model) const;

  // Program directory, PLC table and buffer-open status bits, from the buffers.
  void WriteTables(Machine& machine) const;

 private:
  // An IF or WHILE not yet closed: the statement that opened it, and the last statement of its
  // branches (the IF itself, or its ELSE).
  struct Block {
    int opener;
    int last;
  };
  struct OpenBuffer {
    BufferKind kind = BufferKind::kMotion;
    int number = 0;
    std::vector<Block> blocks;  // innermost last
  };

  Program& OpenProgram();
  int ProgramsInDirectory() const;
  // Whether `next` may follow a program with these open blocks; tying a stored statement to
  // its partners; the open blocks of a whole program.
  static bool Fits(const std::vector<Statement>& program, const std::vector<Block>& blocks,
                   const Statement& next);
  static void Link(std::vector<Statement>& program, int index, std::vector<Block>& blocks);
  static std::vector<Block> Replay(std::vector<Statement>& program);

  std::vector<Program> motion_;  // directory order; an empty one only while it is open
  std::array<Program, kPlcCount> plcs_{};
  std::array<bool, kPlcCount> plcEnabled_ = [] {
    std::array<bool, kPlcCount> all{};
    all.fill(true);
    return all;
  }();
  std::optional<OpenBuffer> open_;
};

}  // namespace sim
