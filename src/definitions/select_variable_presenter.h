#pragma once

#include <optional>
#include <string>
#include <vector>

#include "definitions/definition_table.h"

namespace bl {

// What the "Select PMAC Variable" dialog keeps between openings.
struct SelectVariableMemory {
  int insertKind = 1;  // 1 P, 2 Q, 3 M, 4 I
  int selected = 0;    // the line selected last time; -1 after Cancel
};

// The "Select PMAC Variable" dialog without its widgets: a list of the defined names of one kind,
// four kind buttons, OK and Cancel.
class SelectVariablePresenter {
 public:
  SelectVariablePresenter(const DefinitionTable& table, SelectVariableMemory& memory);

  // "%-32s   P%d" for every variable of the kind that has a name, by variable number.
  const std::vector<std::string>& Lines() const { return lines_; }
  int Kind() const { return memory_.insertKind; }
  int Selected() const { return selected_; }

  void SelectLine(int row);
  // A kind button: that kind's names, the first line selected.
  void ChooseKind(int kind);
  // OK or a double click: the chosen name, if a line is selected.
  std::optional<std::string> Accept();
  // Cancel: nothing will be selected next time.
  void Cancel();

  static VariableKind ToVariableKind(int insertKind);

 private:
  void Fill();

  const DefinitionTable& table_;
  SelectVariableMemory& memory_;
  std::vector<std::string> lines_;
  std::vector<int> numbers_;
  int selected_ = -1;
};

}  // namespace bl
