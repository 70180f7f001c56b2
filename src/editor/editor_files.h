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

// How a file is opened: the plain-file or the project options apply.
enum OpenMode : int { kOpenPlainFile = 0, kOpenProject = 1 };

// Opens CurrentFile, or asks for a file when there is none. The mode's options clear the file
// list and the definitions first, list the #include files and take the #define lines in. The
// file is read whole before the text is touched: a file that cannot be read leaves the text as
// it was (and CurrentFile naming the file), with "Error Opening File".
void OpenProgramFile(EditorContext& ctx, int mode);

// The menu commands. Each asks about unsaved changes first where the text would be replaced.
void NewProgramFile(EditorContext& ctx);
void OpenProgramFileCommand(EditorContext& ctx, int mode);
// "Save Program File" (askName false) and "Save Program File As": ModifiedFlag is cleared when
// the file was saved.
void SaveProgramFileCommand(EditorContext& ctx, bool askName);
// Runs New, Open, Open as a Project, Save or Save As by command number; false for any other.
bool RunFileCommand(EditorContext& ctx, int command);

// A double click on an item of the file list: a definition category lists its definitions, a
// program file is opened as a plain file; the roots do nothing.
void ActivateFileListItem(EditorContext& ctx, FileListRef item);

}  // namespace bl::editor
