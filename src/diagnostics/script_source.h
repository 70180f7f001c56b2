#pragma once

#include <string>
#include <string_view>

#include "diagnostics/diagnostic_script.h"

namespace bl::diagnostics {

// The readable source of a diagnostic script: one statement per item or variable, in table
// order, with named references. The format is described in the manual page
// Manual/Diagnostics/ScriptFormat.htm; in short:
//
//   # comment
//   variable Pos type=D number=$8B scale... (see the page)
//   page title="Motor 1" size=300,120
//   button JogPlus box=10,10,80,40 shape=rectangle text="Jog +" command="#1J+"
//       fill=lightgrey                      (indented lines continue the statement)
//
// Sources are bounded: kMaxScriptSourceBytes.
inline constexpr std::size_t kMaxScriptSourceBytes = std::size_t{4} << 20;

// Compiles a source into tables (itemCount and variableCount set). On failure returns false
// with "fileName:line: reason" in error; tables are then unusable.
bool CompileScriptSource(std::string_view source, std::string_view fileName,
                         DiagnosticTables& tables, std::string& error);

// The record a statement of the kind starts from: no variables, scales of 1, no fill (a light
// grey background for pages), black outlines, everything else 0.
DiagnosticItem DefaultSourceItem(int kind);

// The source of the tables' first itemCount items and variableCount variables; compiling it
// gives the same tables (and so EncodeScript the same bytes).
std::string DecompileScript(const DiagnosticTables& tables);

}  // namespace bl::diagnostics
