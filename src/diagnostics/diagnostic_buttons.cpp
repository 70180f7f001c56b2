#include "diagnostics/diagnostic_buttons.h"

#include "diagnostics/script_loader.h"
#include "link/pmac_link.h"
#include "platform/text_format.h"

namespace bl::diagnostics {

namespace {

constexpr std::string_view kControlPrefix = "Control ";

}  // namespace

std::string SubstituteVariableNames(const DiagnosticTables& tables, std::string_view command) {
  std::string out;
  std::size_t at = 0;
  while (at < command.size()) {
    const std::size_t open = command.find('{', at);
    const std::size_t close = open == std::string_view::npos ? open : command.find('}', open + 1);
    if (close == std::string_view::npos) break;
    out.append(command.substr(at, open - at));
    const std::string_view name = command.substr(open + 1, close - open - 1);
    for (const DiagnosticVariable& v : tables.variables)
      if (!name.empty() && v.name == name) {
        out += platform::Format("%d", TruncateToInt(v.value));
        break;
      }
    at = close + 1;
  }
  out.append(command.substr(std::min(at, command.size())));
  return out;
}

ControlText ParseControlText(std::string_view command, char& character) {
  if (!command.starts_with(kControlPrefix)) return ControlText::kNone;
  if (command.size() != kControlPrefix.size() + 1 || command.back() < 'A' || command.back() > 'Z')
    return ControlText::kMalformed;
  character = static_cast<char>(command.back() - 64);
  return ControlText::kCharacter;
}

bool RunButtonAction(DiagnosticScript& script, PmacLink& link, const ScriptLoadContext& loader,
                     int itemIndex) {
  if (itemIndex < 0 || itemIndex >= kDiagnosticTableSize) return false;
  std::string toSend;
  bool send = false;
  std::string scriptName;
  int action = 0;
  {
    std::lock_guard lock(script.mutex);
    DiagnosticTables& tables = script.tables;
    const DiagnosticItem& item = tables.items[itemIndex];
    if (IsActive(item, ItemValue(tables, itemIndex))) return false;
    action = item.mode;
    switch (action) {
      case kActionCommand: {
        char control = 0;
        switch (ParseControlText(item.command, control)) {
          case ControlText::kCharacter:
            toSend.assign(1, control);
            send = true;
            break;
          case ControlText::kMalformed:
            break;
          case ControlText::kNone:
            toSend = SubstituteVariableNames(tables, item.command);
            send = true;
            break;
        }
        break;
      }
      case kActionSetVariable:
        if (item.precision >= 0 && item.precision < kDiagnosticTableSize)
          tables.variables[item.precision].value = item.argument;
        return true;
      case kActionGoToPage:
        // Only to a page the script has: another would leave a window without its title bar and
        // close box.
        if (item.argument >= 1 && item.argument <= 100 && item.argument <= PageCount(tables))
          script.currentPage = item.argument;
        return false;
      case kActionOpenScript:
        // Copied out: the load replaces the very record the name is in.
        scriptName = item.command;
        break;
      default:
        return true;
    }
  }
  if (action == kActionOpenScript) {
    // Loading never runs a button, so a script that opens itself is simply loaded again.
    OpenScript(script, loader, scriptName, true);
    return false;
  }
  if (send) {
    std::string reply;
    link.PmacCommand(reply, kValueReplySize, toSend, true);
  }
  return true;
}

}  // namespace bl::diagnostics
