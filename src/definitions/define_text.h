#pragma once

#include <string_view>

namespace bl {

class DefinitionTable;
class Terminal;

// Takes every #define line of a program text into the table, line by line as the controller
// would read them: comments (block comments across lines too) removed, blanks collapsed, a line
// cut at 254 characters. Names already defined stay. Returns the number of re-definitions
// (each with its warning line, naming its line number, in the terminal).
int DefineFromText(std::string_view text, DefinitionTable& table, Terminal& terminal);

}  // namespace bl
