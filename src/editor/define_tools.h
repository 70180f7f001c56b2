#pragma once

#include <string>
#include <string_view>

#include "editor/editor_context.h"

namespace bl::editor {

// The #DEFINE update: DefineFromText over the editor text with its terminal heading, one summary
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
