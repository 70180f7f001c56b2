#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace bl {

class Workbench;
namespace editor {
class UploadPresenter;
}

// The built-in diagnostic script a command opens ("MotorJog.bin"), or nothing for other commands.
std::string_view DiagnosticScriptName(int command);

// The main window's behaviour without its widgets: the current view, the toolbar's pressed
// button, the command table and the commands that belong to the frame itself. The widgets give it
// the hooks below; a hook that is not set does nothing. The main window sets them and clears
// them all when it is destroyed, so that nothing calls into a window that is gone.
class Shell {
 public:
  struct Hooks {
    // Shows the view's child windows, hides the others and focuses the view's main child.
    std::function<void(int view)> showView;
    // Lays the main window out again and repaints it.
    std::function<void()> relayout;
    std::function<void()> repaint;
    // Repaints the data view's gather panel, where the monitor shows the live gather status.
    std::function<void()> repaintGatherPanel;
    std::function<void()> pressToolbarButton;  // make the widgets follow PressedButton()
    std::function<void(bool enabled)> enableGatheringButtons;
    std::function<void()> destroyMainWindow;
    std::function<void()> runConnectionDialogs;
    // The "Select PMAC Variable" dialog for kind 1..4: the chosen name, or nothing.
    std::function<std::optional<std::string>(int kind)> chooseVariable;
    // The command line's own editing: cut, copy, paste, delete (the command numbers) and insert.
    std::function<void(int command)> commandLineEdit;
    std::function<void(std::string_view text)> insertIntoCommandLine;
    // A key or character for the data view or the spreadsheet (Ctrl-X/C/V as 24/3/22, Delete
    // as 127).
    std::function<void(int view, int key)> sendKeyToView;
    std::function<void()> showAbout;
    std::function<void()> closeFindDialog;
    std::function<void()> reprocessSeriesAndLimits;
    // Refills the graph view's series panel and cursor button from the graph settings and
    // redraws the panes: after any change of the settings, the series count or their titles.
    std::function<void()> refreshGraphPanel;
    // The unsaved-file check: true to proceed.
    std::function<bool()> confirmUnsaved;
    // The upload dialog over its presenter: true for OK.
    std::function<bool(editor::UploadPresenter&)> runUploadDialog;
    // Creates the diagnostic window or gives it the focus, and repaints it and the main window.
    std::function<void()> showDiagnosticWindow;
  };

  // What the editor view gives the frame (set when the editor exists).
  struct EditorHooks {
    std::function<void(int command)> edit;  // cut, copy, paste, delete by command number
    std::function<void()> undo;
    std::function<void()> focus;
    std::function<void(std::string_view text)> insert;
    std::function<void()> findAndReplace;
  };

  // Gives the monitor thread the main window's part; the monitor calls into the shell, so the
  // shell stops it when it goes.
  explicit Shell(Workbench& workbench);
  ~Shell();
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;

  Hooks hooks;
  EditorHooks editor;

  int ViewId() const { return viewId_.load(); }
  // The toolbar button (0..9) that is pressed: the current view's.
  int PressedButton() const;
  int GraphType() const { return graphType_; }
  bool FullScreen() const { return fullScreen_; }
  std::string_view FullScreenText() const {
    return fullScreen_ ? "FullScreen: On" : "FullScreen: Off";
  }
  bool GatheringButtonsEnabled() const { return gatheringEnabled_; }
  // Brings the graph view's controls in step with the graph settings.
  void RefreshGraphPanel();

  void SelectView(int view, bool relayout);

  // Runs a menu command or a button of the main window. Commands whose work is not built yet do
  // nothing.
  void RunCommand(int command);
  // Lets a subsystem carry out a command; an empty handler takes the command away again.
  void SetCommand(int command, std::function<void()> handler);
  bool HasCommand(int command) const;

  // The close box: asks about unsaved changes. True when the window may close, which it then
  // does itself. Exit asks the same before destroyMainWindow.
  bool ConfirmClose();

  // Start-up after the records and windows exist: the banner goes into the terminal, the main
  // window is shown, the connection dialog is answered before anything else, and the program
  // comes up in the terminal view.
  void StartUp(const std::function<void()>& showMainWindow);

 private:
  void Connect();
  void Upload();
  // The four status listings of the PMAC menu.
  void List(int command);
  void EditCommand(int command);
  void InsertDefinition(int kind);
  void Undo();
  void OpenManual(const char* path);
  // A built-in diagnostic script by name, or with an empty name one the user chooses.
  void OpenDiagnosticScript(const std::string& name);
  void OpenWebSite();

  Workbench& workbench_;
  std::atomic<int> viewId_{0};
  int graphType_ = 0;
  bool fullScreen_ = false;
  bool gatheringEnabled_ = false;
  std::map<int, std::function<void()>> commands_;
};

}  // namespace bl
