#pragma once

#include <string>
#include <string_view>

#include "editor/editor_context.h"

namespace bl::editor {

// Takes every "#define" line of a program text into the table: each line (its first 254
// characters) is cleaned of comments, block comments carried from line to line, and handed to
// DefineLine with its line number. Returns the number of re-definitions.
int ScanDefines(std::string_view text, DefinitionTable& table, Terminal& terminal);

// The #DEFINE update: ScanDefines over the editor text with its terminal heading, one summary
// message when something was re-defined, and a repaint so the new names are coloured. The table
// is not emptied first.
int UpdateDefines(EditorContext& ctx);

// The listing of one category of the file list ("User Definitions", "P-Variable Definitions",
// ...) as program text: a heading line, an empty line and one "#DEFINE" line per definition.
// Stops before a line that would not fit in the editor, setting cut.
std::string DefinitionListing(const DefinitionTable& table, std::string_view category, bool& cut);

// Replaces the editor text by the listing of a category, after the unsaved-changes question.
// The listing has no file name and is not marked modified.
void ListDefinitions(EditorContext& ctx, std::string_view category);

}  // namespace bl::editor
