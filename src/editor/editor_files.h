#pragma once

#include "editor/editor_context.h"
#include "editor/file_list.h"

namespace bl::platform {
struct FileDialogRequest;
}

namespace bl::editor {

// The open and save dialogs of program files: their filters and default extension.
platform::FileDialogRequest ProgramFileDialog(const EditorState& s, const char* title);

// The one question that guards unsaved work. Returns 0 to proceed (the text was saved, or the
// user chose not to save it; ModifiedFlag is clear then), -1 to stop (cancelled, or the save
// failed or was cancelled).
int ConfirmUnsaved(EditorContext& ctx);

// Saves the text under CurrentFile, asking for a name first when askName is set or there is no
// name yet. Returns 0 when saved, -1 when not (cancelled, refused overwrite, failed write). A
// failed write leaves the old file whole, and CurrentFile takes a chosen name only once the file
// has been saved under it.
int SaveProgramFile(EditorContext& ctx, bool askName);

}  // namespace bl::editor
