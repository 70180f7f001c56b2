#pragma once

#include <functional>
#include <string>

#include "diagnostics/diagnostic_script.h"

namespace bl {
struct ControllerType;
namespace platform {
class Desktop;
}
}  // namespace bl

namespace bl::diagnostics {

// What opening a script needs from the rest of the program.
struct ScriptLoadContext {
  platform::Desktop& desktop;
  const ControllerType& type;  // its short name picks the built-in set
  // The full path of a shipped file given relative to the data folders with "\" separators
  // ("Diagnostics\TURBO2_MotorJog.bin"): the start directory's copy first, then the installed one.
  std::function<std::string(const std::string& relativePath)> findData;
  // Creates the diagnostic window or gives it the focus, and repaints it and the main window.
  std::function<void()> showWindow;
};

// The path of a built-in script ("MotorJog.bin" → ...Diagnostics/TURBO2_MotorJog.bin).
std::string BuiltinScriptPath(const ScriptLoadContext& context, const std::string& name);

// Folder and name joined with the platform's separator; a name written with "\" separators is
// accepted.
std::string JoinScriptPath(const std::string& folder, const std::string& name);

// The folder of a script file, ending in its separator; empty for a path of one character or
// less or one without a separator.
std::string ScriptFolderOf(const std::string& path);

enum class OpenResult {
  kLoaded,
  kCancelled,  // the file dialog was cancelled
  kNotOpened,  // "Error Opening File": nothing changed
  kBadFormat,  // "Invalid file format.": the tables are cleared, an empty page is shown
};

// Opens a script: an empty name asks for a file with the open dialog; otherwise a built-in
// script by name, or, with relative set (a button's "open script"), a name relative to the
// folder of the current script. The tables are replaced whole and the current page becomes 1.
OpenResult OpenScript(DiagnosticScript& script, const ScriptLoadContext& context,
                      const std::string& name, bool relative);

}  // namespace bl::diagnostics
