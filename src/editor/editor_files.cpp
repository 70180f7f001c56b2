#include "editor/editor_files.h"

#include <sys/stat.h>

#include "editor/program_file.h"
#include "platform/desktop.h"
#include "terminal/terminal_lines.h"

namespace bl::editor {

namespace {

constexpr int kWarningColor = 5;

constexpr const char* kUnsavedQuestion =
    "The contents of the Program Editor Window have been modified.\nWould you like to save the "
    "changes before proceeding?";

bool Exists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0;
}

void Call(const std::function<void()>& hook) {
  if (hook) hook();
}

// A chosen name too long for CurrentFile would be cut into the name of some other file.
bool PathFits(EditorContext& ctx, const std::string& path, const char* title) {
  if (path.size() <= kMaxPathLength) return true;
  ctx.desktop.ShowMessage(path + "\n\nThe path is longer than 259 characters.", title,
                          platform::MessageButtons::Ok, platform::MessageIcon::Warning);
  return false;
}

}  // namespace

platform::FileDialogRequest ProgramFileDialog(const EditorState& s, const char* title) {
  platform::FileDialogRequest request;
  request.title = title;
  request.filters = {{"PMAC Program Files (*.pmc)", "*.pmc"}, {"All Files  (*.*)", "*.*"}};
  request.defaultExtension = "pmc";
  request.initialPath = s.currentFile;
  return request;
}

int ConfirmUnsaved(EditorContext& ctx) {
  EditorState& s = ctx.state;
  if (!s.modifiedFlag) return 0;
  const platform::MessageAnswer answer =
      ctx.desktop.ShowMessage(kUnsavedQuestion, "Unsaved File Warning",
                              platform::MessageButtons::YesNoCancel, platform::MessageIcon::Warning);
  if (answer == platform::MessageAnswer::Yes) {
    if (SaveProgramFile(ctx, true) != 0) return -1;
  } else if (answer != platform::MessageAnswer::No) {
    return -1;
  }
  s.modifiedFlag = false;
  return 0;
}

int SaveProgramFile(EditorContext& ctx, bool askName) {
  EditorState& s = ctx.state;
  std::string path = s.currentFile;
  if (askName || path.size() < 2) {
    platform::FileDialogRequest request = ProgramFileDialog(s, "Save Program File");
    // The overwrite question below is the one the user gets; the dialog asks none of its own.
    request.askToOverwrite = false;
    const std::optional<std::string> chosen = ctx.desktop.ChooseSaveFile(request);
    if (!chosen || chosen->empty()) return -1;
    if (!PathFits(ctx, *chosen, "Error Saving File!")) return -1;
    if (Exists(*chosen) &&
        ctx.desktop.ShowMessage("This program file already exists.  Do you want to overwrite?",
                                "Save Program Warning", platform::MessageButtons::YesNo,
                                platform::MessageIcon::Warning) != platform::MessageAnswer::Yes) {
      return -1;
    }
    path = *chosen;
  }

  std::string error;
  if (!WriteProgramText(path, s.editorText, error)) {
    ctx.terminal.TerminalAddLine("  " + error, kWarningColor);
    ctx.desktop.ShowMessage(path, "Error Saving File!", platform::MessageButtons::Ok,
                            platform::MessageIcon::Warning);
    return -1;
  }
  s.currentFile = path;
  AddFileListEntry(s.fileList, s.currentFile, kFileListProgram);
  Call(s.showEditorView);
  Call(s.focusEditor);
  // The band above the editor shows the new name.
  Repaint(s);
  ctx.desktop.ShowMessage(s.currentFile, "File Saved Successfully");
  return 0;
}

}  // namespace bl::editor
