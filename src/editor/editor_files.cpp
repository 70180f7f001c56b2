#include "editor/editor_files.h"

#include <sys/stat.h>

#include "commands/command_ids.h"
#include "definitions/definition_table.h"
#include "editor/define_tools.h"
#include "editor/editor_scroll.h"
#include "editor/editor_text.h"
#include "editor/program_file.h"
#include "platform/desktop.h"
#include "platform/text_format.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::editor {

namespace {

constexpr int kWarningColor = 5;
constexpr int kBlankLineColor = 9;
constexpr int kHeadingColor = 13;

constexpr const char* kUnsavedQuestion =
    "The contents of the Program Editor Window have been modified.\nWould you like to save the "
    "changes before proceeding?";

bool Exists(const std::string& path) {
  struct stat st {};
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
  const platform::MessageAnswer answer = ctx.desktop.ShowMessage(
      kUnsavedQuestion, "Unsaved File Warning", platform::MessageButtons::YesNoCancel,
      platform::MessageIcon::Warning);
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

void OpenProgramFile(EditorContext& ctx, int mode) {
  EditorState& s = ctx.state;
  if (s.currentFile.empty()) {
    const std::optional<std::string> chosen =
        ctx.desktop.ChooseOpenFile(ProgramFileDialog(s, "Open Program File"));
    if (!chosen || chosen->empty()) return;
    if (!PathFits(ctx, *chosen, "Error Opening File")) return;
    s.currentFile = *chosen;
  }

  const FileOptions& o = s.preferences.options;
  const bool project = mode == kOpenProject;
  if (project ? o.projectClearsFileList : o.openClearsFileList) ClearFileList(s.fileList);
  if (project ? o.projectClearsDefinitions : o.openClearsDefinitions)
    ctx.definitions.ClearDefinitions(true);
  const bool updatesFileList = project ? o.projectUpdatesFileList : o.openUpdatesFileList;
  const bool updatesDefinitions = project ? o.projectUpdatesDefinitions : o.openUpdatesDefinitions;
  UndoLast(s, ctx.desktop, s.caret, true);

  // Read whole before anything of the text changes: a file that vanished or cannot be read
  // leaves the editor as it was.
  ProgramFileText file;
  std::string error;
  if (!LoadProgramFile(s.currentFile, file, error)) {
    ctx.terminal.TerminalAddLine("  " + error, kWarningColor);
    ctx.desktop.ShowMessage(s.currentFile, "Error Opening File");
    return;
  }

  ctx.terminal.TerminalAddLine("", kBlankLineColor);
  ctx.terminal.TerminalAddLine(platform::Format("Opening File: %.235s", s.currentFile.c_str()),
                               kHeadingColor);
  for (const std::string& warning : file.warnings)
    ctx.terminal.TerminalAddLine(warning, kWarningColor);
  bool warned = !file.warnings.empty();
  if (updatesFileList) {
    for (const IncludeLine& include : file.includes) {
      if (AddIncludedFile(s.fileList, include.line, s.currentFile) == kIncludePathTooLong) {
        ctx.terminal.TerminalAddLine(
            platform::Format("  Warning: Line %d includes a path longer than 259 characters.",
                             include.lineNumber),
            kWarningColor);
        warned = true;
      }
    }
  }
  s.editorText = std::move(file.text);
  s.caret = s.anchor = 0;
  s.desiredColumn = -1;

  if (updatesDefinitions) UpdateDefines(ctx);
  AddFileListEntry(s.fileList, s.currentFile, kFileListProgram);
  Call(s.showEditorView);
  if (warned) {
    ctx.desktop.ShowMessage(
        "One or more errors occured while opening this file.  Details are shown in the terminal "
        "window.",
        "File Open Warning");
  }
  s.caret = s.anchor = 0;
  Call(s.focusEditor);
  EnsureCaretVisible(s);
}

void NewProgramFile(EditorContext& ctx) {
  if (ConfirmUnsaved(ctx) != 0) return;
  EditorState& s = ctx.state;
  s.editorText.clear();
  s.currentFile.clear();
  Call(s.showEditorView);
  UndoLast(s, ctx.desktop, s.caret, true);
  s.caret = s.anchor = 0;
  s.desiredColumn = -1;
  s.firstLine = s.firstColumn = 0;
  Repaint(s);
}

void OpenProgramFileCommand(EditorContext& ctx, int mode) {
  if (ConfirmUnsaved(ctx) != 0) return;
  ctx.state.currentFile.clear();
  OpenProgramFile(ctx, mode);
}

void SaveProgramFileCommand(EditorContext& ctx, bool askName) {
  if (SaveProgramFile(ctx, askName) == 0) ctx.state.modifiedFlag = false;
}

bool RunFileCommand(EditorContext& ctx, int command) {
  switch (command) {
    case cmd::kNewProgramFile:
      NewProgramFile(ctx);
      return true;
    case cmd::kOpenProgramFile:
      OpenProgramFileCommand(ctx, kOpenPlainFile);
      return true;
    case cmd::kOpenProject:
      OpenProgramFileCommand(ctx, kOpenProject);
      return true;
    case cmd::kSaveProgramFile:
      SaveProgramFileCommand(ctx, false);
      return true;
    case cmd::kSaveProgramFileAs:
      SaveProgramFileCommand(ctx, true);
      return true;
    default:
      return false;
  }
}

void ActivateFileListItem(EditorContext& ctx, FileListRef item) {
  const FileList& list = ctx.state.fileList;
  if (item.child < 0) return;
  const std::string parent(FileListText(list, {item.root, -1}));
  // A copy: opening may clear the list the text lives in.
  const std::string text(FileListText(list, item));
  if (text.empty()) return;
  if (parent == kVariableDefinitions) {
    ListDefinitions(ctx, text);
  } else if (parent == kProgramFiles) {
    if (ConfirmUnsaved(ctx) != 0) return;
    ctx.state.currentFile = text;
    OpenProgramFile(ctx, kOpenPlainFile);
  }
}

}  // namespace bl::editor
