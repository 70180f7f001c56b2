#pragma once

#include <string>
#include <string_view>

#include "diagnostics/diagnostic_script.h"

namespace bl {
class PmacLink;
}

namespace bl::diagnostics {

struct ScriptLoadContext;

// A button's command with every "{name}" replaced by the value of the variable of exactly that
// name, truncated and written with "%d"; an unknown name is removed with its braces, and a "{"
// without its "}" is kept as written.
std::string SubstituteVariableNames(const DiagnosticTables& tables, std::string_view command);

// What a command text of the form "Control X" sends: the control character of the upper-case
// letter X; '\0' for any other text that begins with "Control " (nothing is sent). Nothing for
// texts that do not begin with it.
enum class ControlText { kNone, kCharacter, kMalformed };
ControlText ParseControlText(std::string_view command, char& character);

// A click on a kind-3 item, on the user-interface thread. Returns whether the button is shown
// pressed. Commands go out through the link with echo; "open script" loads the named script
// relative to the current one's folder.
bool RunButtonAction(DiagnosticScript& script, PmacLink& link, const ScriptLoadContext& loader,
                     int itemIndex);

}  // namespace bl::diagnostics
