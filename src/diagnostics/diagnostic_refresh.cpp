#include "diagnostics/diagnostic_refresh.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "link/pmac_link.h"

namespace bl::diagnostics {

namespace {

enum class ReadState : unsigned char { kUnread, kReading, kRead };

class VariableReader {
 public:
  VariableReader(std::vector<DiagnosticVariable>& variables, PmacLink& link)
      : variables_(variables), link_(link), state_(variables.size(), ReadState::kUnread) {}

  void Read(int index) {
    if (index < 0 || index >= kDiagnosticTableSize) return;
    if (state_[index] != ReadState::kUnread) return;
    DiagnosticVariable& v = variables_[index];
    if (v.type == kVariableInternal) {
      Done(index);
      return;
    }
    // Marked before its index variable is read, so that a chain that comes back here ends.
    state_[index] = ReadState::kReading;
    int number = v.number;
    if (v.indexVariable >= 0 && v.indexVariable < kDiagnosticTableSize) {
      Read(v.indexVariable);
      number = TruncateToInt(v.number +
                             static_cast<double>(v.multiplier) * variables_[v.indexVariable].value);
    }
    double value = 0;
    if (v.type >= 1 && v.type <= kVariableDoubleWord &&
        link_.PmacValue(static_cast<ValueKind>(v.type), number, value, AccessMode::Read) != 0)
      value = 0;
    v.value = value;
    Done(index);
  }

  bool WasRead(int index) const { return state_[index] == ReadState::kRead; }

 private:
  void Done(int index) {
    state_[index] = ReadState::kRead;
    variables_[index].readFlag = 1;
  }

  std::vector<DiagnosticVariable>& variables_;
  PmacLink& link_;
  std::vector<ReadState> state_;
};

float AsSample(double value) {
  if (std::isnan(value)) return static_cast<float>(value);
  return static_cast<float>(std::clamp(value, -double{FLT_MAX}, double{FLT_MAX}));
}

}  // namespace

void RefreshDiagnosticScript(DiagnosticScript& script, PmacLink& link) {
  std::vector<DiagnosticVariable> variables;
  std::vector<int> wanted;
  unsigned generation = 0;
  {
    std::lock_guard lock(script.mutex);
    generation = script.generation;
    variables = script.tables.variables;
    int page = 0;
    for (const DiagnosticItem& item : script.tables.items) {
      if (item.kind == kKindEnd) break;
      if (item.kind == kKindPage) ++page;
      if (page != script.currentPage) continue;
      wanted.push_back(item.variableA);
      wanted.push_back(item.variableB);
    }
  }
  for (DiagnosticVariable& v : variables) v.readFlag = 0;
  VariableReader reader(variables, link);
  for (int index : wanted) reader.Read(index);

  std::lock_guard lock(script.mutex);
  if (script.generation != generation) return;
  DiagnosticTables& tables = script.tables;
  for (int i = 0; i < kDiagnosticTableSize; ++i) {
    DiagnosticVariable& v = tables.variables[i];
    v.readFlag = variables[i].readFlag;
    // Internal variables keep what the buttons and sliders gave them meanwhile.
    if (reader.WasRead(i) && v.type != kVariableInternal) v.value = variables[i].value;
  }
  for (int i = 0; i < kDiagnosticTableSize; ++i) {
    DiagnosticItem& item = tables.items[i];
    if (item.kind == kKindEnd) break;
    if (item.kind != kKindStripChart) continue;
    std::copy(item.history.begin() + 1, item.history.end(), item.history.begin());
    item.history.back() = AsSample(ItemValue(tables, i));
  }
}

}  // namespace bl::diagnostics
