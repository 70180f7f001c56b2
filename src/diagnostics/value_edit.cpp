#include "diagnostics/value_edit.h"

#include <cmath>

#include "diagnostics/diagnostic_paint.h"
#include "diagnostics/diagnostic_window.h"
#include "link/pmac_link.h"
#include "platform/text_format.h"

namespace bl::diagnostics {

namespace {

constexpr std::size_t kDescriptionScan = 254;
constexpr std::size_t kFieldChars = 255;

bool InTable(int index) { return index >= 0 && index < kDiagnosticTableSize; }

// "$" and hexadecimal digits ("%X"), or a decimal real ("%lf").
bool ParseNewValue(std::string_view text, double& value) {
  if (text.starts_with('$')) {
    unsigned hex = 0;
    if (platform::Scan(text.substr(1), kFieldChars, "%X", &hex) != 1) return false;
    value = hex;
    return true;
  }
  return platform::Scan(text, kFieldChars, "%lf", &value) == 1 && std::isfinite(value);
}

}  // namespace

std::string DescriptionText(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  for (; i < text.size() && i < kDescriptionScan; ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += text[i];
    }
  }
  if (i < text.size()) out.append(text.substr(i));
  return out;
}

ValueEditPresenter::ValueEditPresenter(DiagnosticScript& script, PmacLink& link, int itemIndex)
    : script_(script), link_(link), item_(itemIndex) {
  if (!InTable(item_)) return;
  std::lock_guard lock(script_.mutex);
  const DiagnosticItem& item = script_.tables.items[item_];
  title_ = item.text1;
  description_ = DescriptionText(item.text2);
  value_ = ValueText(ItemValue(script_.tables, item_), item.precision);
  maximum_ = ValueText(item.maximum, item.precision);
  minimum_ = ValueText(item.minimum, item.precision);
}

bool ValueEditPresenter::Accept(std::string_view newValue) {
  if (!InTable(item_)) return false;
  std::string command;
  {
    std::lock_guard lock(script_.mutex);
    DiagnosticTables& tables = script_.tables;
    const DiagnosticItem& item = tables.items[item_];
    if (!InTable(item.variableA)) return false;
    double value = 0;
    if (!ParseNewValue(newValue, value)) return false;
    const bool inRange = item.minimum <= value && value <= item.maximum;
    if (!inRange && item.minimum < item.maximum) return false;
    DiagnosticVariable& v = tables.variables[item.variableA];
    if (v.type == kVariableInternal) {
      v.value = TruncateToInt(value);
      return true;
    }
    int number = v.number;
    if (InTable(v.indexVariable))
      number = TruncateToInt(v.number + static_cast<double>(v.multiplier) *
                                            tables.variables[v.indexVariable].value);
    command = VariableAssignment(v.type, number, ValueText(value, item.precision));
  }
  if (command.empty()) return false;
  std::string reply;
  link_.PmacCommand(reply, kValueReplySize, command, true);
  return true;
}

}  // namespace bl::diagnostics
