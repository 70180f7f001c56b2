#pragma once

#include <string>
#include <string_view>

#include "sim/errors.h"
#include "sim/machine.h"
#include "sim/text.h"

namespace sim {

// A reply as the controller sends it, and the number of the error that ended the line (0: none).
struct Reply {
  std::string text;
  int error = 0;
};

// Longest command line the controller takes; longer lines are refused whole.
inline constexpr std::size_t kMaxLineLength = 255;
// Most words one RX/RHX/RP... command answers.
inline constexpr std::uint32_t kMaxReadCount = 4096;

// The online command language: one line of blank-separated commands, each answering its lines in
// order. A failing command ends the line with the error reply; what ran before it stays done.
class CommandInterpreter {
 public:
  // `fromProgram`: the lines come from a program's CMD. While the host has a buffer open, such a
  // line's statements then run at once instead of landing in the host's buffer, and it cannot
  // open, clear or close buffers.
  explicit CommandInterpreter(Machine& machine, bool fromProgram = false)
      : m_(machine),
        fromProgram_(fromProgram),
        hostBufferOpen_(fromProgram && machine.programs.IsOpen()) {}

  Reply ExecuteLine(std::string_view line);
  // A control character sent on its own.
  Reply ExecuteControl(char c);

 private:
  // Each returns 0 or an error number and appends its reply lines to `out`.
  int ExecuteOne(Scanner& s, std::string& out);
  int Word(const std::string& word, Scanner& s, std::string& out);
  int MotorAddress(Scanner& s, std::string& out);
  int CoordinateSystemAddress(Scanner& s, std::string& out);
  int AxisDefinition(int motor, Scanner& s, std::string& out);
  int Undefine(Scanner& s);
  int ResetCommand(Scanner& s);
  int StatusQuery(Scanner& s, std::string& out);
  int Variables(char kind, Scanner& s, std::string& out);
  int MDefinitions(int first, int last, Scanner& s, std::string& out);
  int ReadMemory(char space, bool hex, Scanner& s, std::string& out);
  int WriteMemory(char space, Scanner& s);
  int MotorReport(char what, Scanner& s, std::string& out);
  // MS node,MI n[=value]: the MACRO IC's node variables (macro_commands.cpp).
  int MacroCommand(Scanner& s, std::string& out);
  // J/ J+ J- J= J=c J==c J^c J:c (and * forms) and K for the addressed motor
  // (motion_commands.cpp); kNotHandled when the text is neither.
  int MotorCommand(Scanner& s);
  int GatherCommand(Scanner& s);
  int BareConstant(Scanner& s);
  // B[n], R, Q and A for the addressed coordinate system (coordinate_commands.cpp).
  int CoordinateCommand(Scanner& s);
  // Program buffers and the gather buffer's memory (program_commands.cpp). Each returns
  // kNotHandled, leaving the cursor, when the command is none of its own.
  int BufferCommand(Scanner& s, std::string& out);
  int ProgramStatement(Scanner& s);
  int OpenBuffer(Scanner& s);
  int ListProgram(Scanner& s, std::string& out);
  int DefineGather(Scanner& s);
  int DeleteGather(Scanner& s);
  // ^A ... ^Z: the report lines (or nothing) into `out`; false for ^X, which also drops `out`.
  bool Control(char c, std::string& out);

  std::string VariableText(char kind, int n) const;
  std::string ErrorText(int error) const;

  static constexpr int kNotHandled = -1;

  Machine& m_;
  bool fromProgram_ = false;
  bool hostBufferOpen_ = false;
};

}  // namespace sim
