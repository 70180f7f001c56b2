#pragma once

#include <string>
#include <string_view>

#include "sim/machine.h"
#include "sim/text.h"

namespace sim {

// A reply as the controller sends it, and the number of the error that ended the line (0: none).
struct Reply {
  std::string text;
  int error = 0;
};

// Error numbers of the controller.
inline constexpr int kErrUnrecognized = 3;  // unrecognized command or data error

// Longest command line the controller takes; longer lines are refused whole.
inline constexpr std::size_t kMaxLineLength = 255;
// Most words one RX/RHX/RP... command answers.
inline constexpr std::uint32_t kMaxReadCount = 4096;

// The online command language: one line of blank-separated commands, each answering its lines in
// order. A failing command ends the line with the error reply; what ran before it stays done.
class CommandInterpreter {
 public:
  explicit CommandInterpreter(Machine& machine) : m_(machine) {}

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
  int BareConstant(Scanner& s);
  // ^A ... ^Z: the report lines (or nothing) into `out`; false for ^X, which also drops `out`.
  bool Control(char c, std::string& out);

  std::string VariableText(char kind, int n) const;
  std::string ErrorText(int error) const;

  Machine& m_;
};

}  // namespace sim
