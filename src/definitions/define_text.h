#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bl {

class DefinitionTable;
class Terminal;
enum class VariableKind;

// Takes every #define line of a program text into the table, line by line as the controller
// would read them: comments (block comments across lines too) removed, blanks collapsed, a line
// cut at 254 characters. Names already defined stay. Returns the number of re-definitions
// (each with its warning line, naming its line number, in the terminal).
int DefineFromText(std::string_view text, DefinitionTable& table, Terminal& terminal);

// The table written back as #DEFINE lines, each ended by LF: the user definitions in slot order
// ("#DEFINE %-32s %-32s"), and the names of one kind of variable by number ("#DEFINE %-32s P%d").
std::vector<std::string> UserDefinitionLines(const DefinitionTable& table);
std::vector<std::string> VariableDefinitionLines(const DefinitionTable& table, VariableKind kind);

}  // namespace bl
