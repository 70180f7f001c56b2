#pragma once

#include <string>

namespace bl {
class DefinitionTable;
}

namespace bl::editor {

// Which kinds of variable number an upload turns back into the user's names.
struct NameSwitches {
  bool p = true;
  bool q = true;
  bool m = true;
  bool i = true;
};

// Rewrites one listed line, replacing each word that is a variable number of a switched-on kind
// (P1 .. P9999, 1 up to the table's slot count) by the variable's name when it has one.
// Comments (";" or "//" onwards) and text between double quotes are left alone, and so is a line
// longer than 255 characters.
void NamesForVariables(std::string& line, NameSwitches switches, const DefinitionTable& table);

}  // namespace bl::editor
