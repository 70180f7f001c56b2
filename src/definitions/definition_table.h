#pragma once

#include <array>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace bl {

class Terminal;

// The four kinds of controller variable a name can stand for.
enum class VariableKind { P = 0, Q = 1, M = 2, I = 3 };
inline constexpr std::array<VariableKind, 4> kVariableKinds = {VariableKind::P, VariableKind::Q,
                                                               VariableKind::M, VariableKind::I};
constexpr char VariableLetter(VariableKind kind) { return "PQMI"[static_cast<int>(kind)]; }

// Results of DefinitionTable::DefineLine.
enum DefineResult : int {
  kDefineStored = 0,      // new, or the same as before
  kDefineRedefined = -1,  // stored; a name or variable changed meaning (warning in the terminal)
  kDefineNotDefine = 1,   // the line does not begin with "#define "
  kDefineBadName = 2,
  kDefineBadValue = 3,
};

// True when the line begins with "#define " (case ignored): a definition, not a command.
bool IsDefineLine(std::string_view line);

// The user's names for P, Q, M and I variables and free text definitions (#define lines).
//
// Names and texts hold at most 32 characters; names are case-sensitive. Each list holds at most
// SlotCount() entries (the controller's variable count N); further new names are ignored.
//
// Threads: the user-interface thread changes the table (DefineLine, ClearDefinitions) and may read
// the lists directly; other threads only call SubstituteNames, which takes a shared lock.
class DefinitionTable {
 public:
  static constexpr int kMaxSlots = 8192;
  static constexpr std::size_t kMaxNameLength = 32;

  struct UserDefinition {
    std::string name;
    std::string text;
  };
  struct NamedVariable {
    std::string name;
    int number = 0;
  };

  DefinitionTable();

  int SlotCount() const { return slots_; }
  // 1024 or 8192, by controller type; kept within 1..8192.
  void SetSlotCount(int n);

  // Takes one "#define name value" line into the table. lineNumber appears in a warning when it
  // is above 0. Returns a DefineResult.
  int DefineLine(std::string_view line, int lineNumber, Terminal& terminal);

  // Empties the user definitions and the P, Q and M names; the I names too when withI is set.
  void ClearDefinitions(bool withI);

  // Replaces every defined name in the line by its variable or text, in place. Text between
  // double quotes is left alone. Returns 1 when it stopped because the line would have grown
  // beyond 255 characters (the rest stays as it was), else 0.
  int SubstituteNames(std::string& line) const;

  // Reading (user-interface thread).
  const std::vector<UserDefinition>& UserDefinitions() const { return user_; }
  // The names of one kind in order of first definition.
  const std::vector<NamedVariable>& Names(VariableKind kind) const { return names_[Index(kind)]; }
  // The variable's name, or empty when it has none.
  std::string_view NameOf(VariableKind kind, int number) const;
  // What a word stands for, in substitution order: a user text ("NULL" gives one blank), or the
  // variable "P10"; empty when the word is no defined name.
  std::string Replacement(std::string_view word) const;

 private:
  static std::size_t Index(VariableKind kind) { return static_cast<std::size_t>(kind); }
  std::string ReplacementLocked(std::string_view word) const;
  void Rename(VariableKind kind, int listIndex, std::string_view newName);

  mutable std::shared_mutex mutex_;
  int slots_ = kMaxSlots;
  std::vector<UserDefinition> user_;
  std::unordered_map<std::string, int> userIndex_;
  std::array<std::vector<NamedVariable>, 4> names_;
  // For each kind and variable number, the index of its name in names_, or -1.
  std::array<std::vector<int>, 4> map_;
  // For each kind, the first list index that holds a name.
  std::array<std::unordered_map<std::string, int>, 4> firstIndex_;
};

}  // namespace bl
