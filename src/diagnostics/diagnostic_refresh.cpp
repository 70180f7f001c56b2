#include "diagnostics/diagnostic_refresh.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "link/pmac_link.h"
#include "link/value_reply.h"
#include "protocol/wire.h"

namespace bl::diagnostics {

namespace {

enum class ReadState : unsigned char { kUnread, kReading, kRead };

// Reads go out several to a command line, the controller answering each on a line of its own.
// A line stays well within the controller's 255 characters, and its replies (at most some 20
// characters each) within the reply buffer.
constexpr std::size_t kBatchCommandChars = 200;
constexpr int kBatchReplyLines = 24;
constexpr std::size_t kBatchReplySize = 1024;

// The reply lines of a whole answer (each ended by CR, the whole by ACK); nothing for an error
// (BEL), a cut reply or any other text.
std::vector<std::string_view> WholeReplyLines(std::string_view reply) {
  if (reply.empty() || reply.back() != protocol::kAck ||
      reply.find(protocol::kBell) != std::string_view::npos)
    return {};
  reply.remove_suffix(1);
  std::vector<std::string_view> lines;
  while (!reply.empty()) {
    const std::size_t cr = reply.find(protocol::kCr);
    if (cr == std::string_view::npos) return {};
    lines.push_back(reply.substr(0, cr));
    reply.remove_prefix(cr + 1);
  }
  return lines;
}

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

  // The variables of `wanted` that need no index variable from the controller, read several to a
  // command line. A line whose answer is not whole (an error stops the controller's line) is
  // read again one variable at a time, so that one bad variable reads 0 and the others their
  // values.
  void ReadInBatches(const std::vector<int>& wanted) {
    std::vector<int> batch;
    std::string line;
    int lines = 0;
    for (const int index : wanted) {
      if (index < 0 || index >= kDiagnosticTableSize || state_[index] != ReadState::kUnread)
        continue;
      const DiagnosticVariable& v = variables_[index];
      if (v.type < 1 || v.type > kVariableDoubleWord) continue;
      int number = v.number;
      if (v.indexVariable >= 0 && v.indexVariable < kDiagnosticTableSize) {
        // An internal index variable is known without asking; any other is read first, later.
        const DiagnosticVariable& by = variables_[v.indexVariable];
        if (by.type != kVariableInternal) continue;
        Read(v.indexVariable);
        number = TruncateToInt(v.number + static_cast<double>(v.multiplier) * by.value);
      }
      const auto kind = static_cast<ValueKind>(v.type);
      const std::string command = ValueReadCommand(kind, number);
      const int replyLines = kind == ValueKind::XYPair ? 2 : 1;
      if (!batch.empty() && (line.size() + 1 + command.size() > kBatchCommandChars ||
                             lines + replyLines > kBatchReplyLines)) {
        Send(batch, line, lines);
        batch.clear();
        line.clear();
        lines = 0;
      }
      if (!line.empty()) line += ' ';
      line += command;
      lines += replyLines;
      batch.push_back(index);
      state_[index] = ReadState::kReading;  // asked for once however many items show it
    }
    if (!batch.empty()) Send(batch, line, lines);
  }

  bool WasRead(int index) const { return state_[index] == ReadState::kRead; }

 private:
  void Send(const std::vector<int>& batch, const std::string& line, int expectedLines) {
    std::vector<std::string_view> lines;
    std::string reply;
    if (batch.size() > 1) {
      reply = link_.RawResponse(line, kBatchReplySize);
      lines = WholeReplyLines(reply);
    }
    if (static_cast<int>(lines.size()) != expectedLines) {
      for (const int index : batch) {
        state_[index] = ReadState::kUnread;
        Read(index);
      }
      return;
    }
    std::size_t at = 0;
    for (const int index : batch) {
      DiagnosticVariable& v = variables_[index];
      const auto kind = static_cast<ValueKind>(v.type);
      std::string text(lines[at++]);
      if (kind == ValueKind::XYPair) {
        text += '\r';
        text += lines[at++];
      }
      double value = 0;
      if (!ParseValueReply(kind, text, value)) value = 0;
      v.value = value;
      Done(index);
    }
  }

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
  reader.ReadInBatches(wanted);
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
