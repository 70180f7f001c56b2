#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/backup.h"

namespace bl {
class DefinitionTable;
class PmacLink;
}  // namespace bl

// Two configurations side by side: a backup file, or a controller read the same way into
// memory, taken apart into variables, definitions, programs and memory words, and compared item
// by item. Programs are compared line by line.
namespace bl::tools {

// A backup file is read up to this size; a Turbo controller's full backup is a few megabytes.
inline constexpr std::size_t kMaxConfigText = 64u * 1024 * 1024;
// Longer lines are no line a backup writes.
inline constexpr std::size_t kMaxConfigLine = 4096;
// Damage is reported up to this many lines.
inline constexpr std::size_t kMaxConfigProblems = 20;
// Line diffs whose unmatched middle has more line pairs than this are shown as a whole block
// removed and another added.
inline constexpr std::size_t kMaxLineDiffCells = 16u * 1024 * 1024;

// One program buffer: its listing lines (blank lines dropped) and where it began in the file.
struct ConfigProgram {
  std::vector<std::string> lines;
  int fileLine = 0;
};

// One configuration. Keys are the controller's numbers; values the texts as the file has them.
struct ConfigModel {
  std::string label;      // the file's path, or "controller"
  int typeCode = 0;       // from identification; 0 when read from a file
  std::string typeName;   // "Turbo PMAC2"; empty when not known
  int variableCount = 0;  // N: from the controller, or seen in a file (1024 or 8192); 0 unknown
  std::array<std::map<int, std::string>, 4> values;  // by VariableKind: P, Q, M (values), I
  std::map<int, std::string> mDefinitions;           // "M1->" texts
  std::map<int, ConfigProgram> programs;
  std::map<int, ConfigProgram> plcs;
  std::map<int, bool> plcEnabled;
  std::map<std::pair<int, int>, std::string> axes;   // (coordinate system, motor) -> "1000X"
  std::map<std::pair<int, int>, std::string> macro;  // (node, MI number) -> "$00000000ABCD"
  // Memory words by (block, address): block "PLCC 3", "PLCC table", "Encoder table", "Memory";
  // address as written, "P:$051000".
  std::map<std::pair<std::string, std::string>, std::string> memory;
  // Top-level lines of no known kind, in file order.
  std::vector<std::string> other;
  // "file:12: what is wrong"; a model with problems is not compared.
  std::vector<std::string> problems;
};

// Takes a backup's text (CR LF or LF) apart. label names the file in problems.
ConfigModel ParseConfig(std::string_view text, const std::string& label);

// Reads and takes apart a backup file; a file that cannot be read or is too large is a problem.
ConfigModel ReadConfigFile(const std::string& path);

// The backup of a connected controller as text, every section the switches name, without a
// file. progress is told each step before it runs. False with the reason in error when the
// controller is not connected.
bool BackupToText(PmacLink& link, const BackupTarget& target, const BackupSwitches& switches,
                  const std::function<void(int step)>& progress, std::string& text,
                  std::string& error);

// What a controller must be read for to be compared with a file: the backup's usual sections
// and whatever else the file holds.
BackupSwitches SwitchesToCompareWith(const ConfigModel& file);

// The model of a controller's text, with what identification knows of it.
ConfigModel ControllerConfig(std::string_view text, int typeCode, std::string typeName,
                             int variableCount);

enum class DiffKind { kSame, kChanged, kOnlyInA, kOnlyInB };

struct DiffEntry {
  std::string section;  // "I-Variables", "Motion Programs", ...
  std::string item;     // "I130", "PROG 3 line 2", "&2 #4->", "P:$051000"
  std::string a;        // empty when only in B
  std::string b;        // empty when only in A
  std::string name;     // the variable's name in the definition table, or empty
  DiffKind kind = DiffKind::kSame;
};

struct ConfigDiff {
  // In file order: section by section, item by item. Same items only when asked for.
  std::vector<DiffEntry> entries;
  std::size_t changed = 0;
  std::size_t onlyInA = 0;
  std::size_t onlyInB = 0;
  std::size_t Differences() const { return changed + onlyInA + onlyInB; }
};

// Compares two models without problems. names gives variables their names (may be null).
ConfigDiff CompareConfigs(const ConfigModel& a, const ConfigModel& b, const DefinitionTable* names,
                          bool withSame);

// True when both texts are the same value: numerically when both are numbers ("1000" and
// "1000.0", "$3E8"), otherwise as texts with letter case ignored, as the controller reads them.
bool SameValue(std::string_view a, std::string_view b);

// One line of text for a difference: "I130: 2000 -> 3000 (gain)", "PLC 7: only in B: ...".
std::string DiffLine(const DiffEntry& entry);

// A line diff: for each line of a and b whether it is kept, removed or added, in order.
struct LineEdit {
  enum Op { kKeep, kRemove, kAdd } op;
  std::size_t a;  // index in a (kKeep, kRemove)
  std::size_t b;  // index in b (kKeep, kAdd)
};
std::vector<LineEdit> DiffLines(const std::vector<std::string>& a,
                                const std::vector<std::string>& b,
                                std::size_t maxCells = kMaxLineDiffCells);

}  // namespace bl::tools
