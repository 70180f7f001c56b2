#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "editor/editor_context.h"
#include "editor/editor_preferences.h"

namespace bl::editor {

// The editor's colours, colouring switches and file options, kept between runs in a small text
// file of "name=value" lines ("color.comments=0,128,0", "open.updates_definitions=1").
std::string FormatEditorSettings(const EditorPreferences& preferences);
// Starts from the defaults and takes every line it understands; an unknown name or a bad value
// leaves the default and adds a warning (at most 50).
EditorPreferences ParseEditorSettings(std::string_view text,
                                      std::vector<std::string>* warnings = nullptr);

// editor.conf in the user's configuration folder.
std::string DefaultEditorSettingsPath();

// Reads the file; the defaults when it does not exist. False with a reason when it exists but
// cannot be read (preferences are then the defaults).
bool LoadEditorSettings(const std::string& path, EditorPreferences& preferences,
                        std::string& error);
// Writes the file atomically; the old one stays whole when writing fails.
bool SaveEditorSettings(const std::string& path, const EditorPreferences& preferences,
                        std::string& error);

// After the preferences dialog: saves the preferences to the state's preferencesFile when they
// differ from before (an empty path keeps nothing). A failure goes to the terminal.
void KeepChangedPreferences(EditorContext& ctx, const EditorPreferences& before);

}  // namespace bl::editor
