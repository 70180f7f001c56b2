#include "shell/shell.h"

#include <utility>

#include "commands/command_ids.h"
#include "diagnostics/script_loader.h"
#include "editor/editor_transfer.h"
#include "graph/graph_settings.h"
#include "platform/desktop.h"
#include "series/gather.h"
#include "shell/main_menu.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"
#include "tools/status_listings.h"

namespace bl {

std::string_view DiagnosticScriptName(int command) {
  using namespace cmd;
  static constexpr std::pair<int, std::string_view> kScripts[] = {
      {kDiagSystem, "System.bin"},
      {kDiagIVariables, "IVars.bin"},
      {kDiagConnectors, "Connectors.bin"},
      {kDiagAccessories, "Accessories.bin"},
      {kDiagMotorStatus, "MotorStatus.bin"},
      {kDiagMotorJog, "MotorJog.bin"},
      {kDiagCsPositions, "CS_Positions.bin"},
      {kDiagCsStatus, "CS_Status.bin"},
      {kDiagExtras, "Extras.bin"},
      {kDiagMotorPositions, "MotorPositions.bin"},
      {kDiagMotorVelocities, "MotorVelocities.bin"}};
  for (const auto& [id, name] : kScripts)
    if (id == command) return name;
  return {};
}

Shell::Shell(Workbench& workbench) : workbench_(workbench) {
  monitor::MonitorThread::MainWindow main;
  main.viewId = [this] { return ViewId(); };
  main.repaintGatherPanel = [this] {
    if (hooks.repaintGatherPanel) hooks.repaintGatherPanel();
  };
  main.runCommand = [this](int command) { RunCommand(command); };
  main.pressGraphButton = [this] {
    if (hooks.pressToolbarButton) hooks.pressToolbarButton();
  };
  main.testMoveUploaded = [this] { KeepTestMoveRun(workbench_); };
  workbench_.monitor.SetMainWindow(std::move(main));
}

Shell::~Shell() {
  workbench_.monitor.Stop();
  workbench_.monitor.SetMainWindow({});
}

int Shell::PressedButton() const { return ToolbarButtonForView(viewId_.load()); }

void Shell::SetCommand(int command, std::function<void()> handler) {
  if (handler)
    commands_[command] = std::move(handler);
  else
    commands_.erase(command);
}

bool Shell::HasCommand(int command) const { return commands_.count(command) > 0; }

void Shell::SelectView(int view, bool relayout) {
  if (IsGraphView(view)) {
    graphType_ = view;
    // The frequency graph shows spectra, the others the series themselves: every series is
    // processed again for the graph it goes into.
    workbench_.series.graphType = view;
    workbench_.series.ProcessAll();
    workbench_.graph.settings.graphType = view;
    graph::FindLimits(workbench_.graph.settings, workbench_.series, workbench_.graph.bars);
    if (hooks.reprocessSeriesAndLimits) hooks.reprocessSeriesAndLimits();
    RefreshGraphPanel();
  }
  viewId_ = view;
  if (view != kViewEditor && hooks.closeFindDialog) hooks.closeFindDialog();
  if (hooks.pressToolbarButton) hooks.pressToolbarButton();
  if (hooks.showView) hooks.showView(view);
  if (relayout && hooks.relayout) hooks.relayout();
}

void Shell::RunCommand(int command) {
  using namespace cmd;
  if (const int view = ViewForToolbarCommand(command); view >= 0) {
    SelectView(view, true);
    return;
  }
  if (const std::string_view script = DiagnosticScriptName(command); !script.empty()) {
    OpenDiagnosticScript(std::string(script));
    return;
  }
  switch (command) {
    case kLoadCustomDiagnostic:
      OpenDiagnosticScript("");
      return;
    case kExit:
      // Exit must not throw unsaved edits away any more than the close box does.
      if (ConfirmClose() && hooks.destroyMainWindow) hooks.destroyMainWindow();
      return;
    case kCut:
    case kCopy:
    case kPaste:
    case kDelete:
      EditCommand(command);
      return;
    case kUndo:
      Undo();
      return;
    case kFindReplace:
      if (editor.findAndReplace) editor.findAndReplace();
      return;
    case kInsertP:
      InsertDefinition(1);
      return;
    case kInsertQ:
      InsertDefinition(2);
      return;
    case kInsertM:
      InsertDefinition(3);
      return;
    case kInsertI:
      InsertDefinition(4);
      return;
    case kConnect:
      Connect();
      return;
    case kDownloadEditorProgram:
      workbench_.transfer.DownloadProgram(editor::kDownloadEditor);
      return;
    case kDownloadProgramFile:
    case kRestore:
      workbench_.transfer.DownloadProgram(editor::kDownloadFile);
      return;
    case kUploadProgramFile:
      Upload();
      return;
    case kManualContents:
      OpenManual("\\Manual\\Manual.htm");
      return;
    case kManualEditor:
      OpenManual("\\Manual\\Editor\\Editor.htm");
      return;
    case kManualPlotting:
      OpenManual("\\Manual\\Plotting\\Plotting.htm");
      return;
    case kManualTuning:
      OpenManual("\\Manual\\Tuning\\Tuning.htm");
      return;
    case kManualDiagnostics:
      OpenManual("\\Manual\\Diagnostics\\Diagnostics.htm");
      return;
    case kWebSite:
      OpenWebSite();
      return;
    case kAbout:
      if (hooks.showAbout) hooks.showAbout();
      return;
    case kUpdateLimits:
      graph::FindLimits(workbench_.graph.settings, workbench_.series, workbench_.graph.bars);
      if (hooks.reprocessSeriesAndLimits) hooks.reprocessSeriesAndLimits();
      RefreshGraphPanel();
      return;
    case kCursors:
      graph::CycleCursorMode(workbench_.graph);
      // The button's text follows the mode; both panes show or drop the readout.
      if (hooks.relayout) hooks.relayout();
      RefreshGraphPanel();
      return;
    case kFullScreen:
      fullScreen_ = !fullScreen_;
      if (hooks.relayout) hooks.relayout();
      return;
    case kBeginGathering:
      series::BeginGather(workbench_.link);
      return;
    case kEndGathering:
      series::EndGather(workbench_.link);
      return;
    case kListPlc:
    case kListPlcc:
    case kListMotionPrograms:
    case kListAxisDefinitions:
      List(command);
      return;
    default:
      break;
  }
  if (const auto it = commands_.find(command); it != commands_.end() && it->second) it->second();
}

void Shell::Connect() {
  if (hooks.runConnectionDialogs) hooks.runConnectionDialogs();
  gatheringEnabled_ = workbench_.link.PmacDevice() != -1;
  if (hooks.enableGatheringButtons) hooks.enableGatheringButtons(gatheringEnabled_);
  if (hooks.repaint) hooks.repaint();
}

void Shell::List(int command) {
  const tools::ListingTarget target{workbench_.link, workbench_.terminal, workbench_.desktop,
                                    workbench_.controllerType.typeCode.load(),
                                    [this] { SelectView(kViewTerminal, true); }};
  if (command == cmd::kListPlc || command == cmd::kListPlcc)
    tools::ListPlcStatus(target, command == cmd::kListPlcc);
  else if (command == cmd::kListMotionPrograms)
    tools::ListProgramStatus(target);
  else
    tools::ListAxisDefinitions(target);
}

void Shell::Upload() {
  if (hooks.confirmUnsaved && !hooks.confirmUnsaved()) return;
  editor::ProgramTransfer& transfer = workbench_.transfer;
  editor::UploadPresenter presenter(transfer.upload);
  if (!hooks.runUploadDialog || !hooks.runUploadDialog(presenter)) return;
  presenter.Accept();
  transfer.UploadProgram(transfer.upload.number, transfer.upload.kind, transfer.upload.switches);
}

void Shell::EditCommand(int command) {
  const int view = viewId_.load();
  if (view == kViewData || IsSpreadsheetView(view)) {
    // The data window and the spreadsheet take these as the keys they stand for.
    int key = 127;
    if (command == cmd::kCut) key = 24;
    if (command == cmd::kCopy) key = 3;
    if (command == cmd::kPaste) key = 22;
    if (hooks.sendKeyToView) hooks.sendKeyToView(view, key);
  } else if (view == kViewTerminal) {
    if (hooks.commandLineEdit) hooks.commandLineEdit(command);
  } else if (view == kViewEditor) {
    if (editor.edit) editor.edit(command);
  }
}

void Shell::Undo() {
  if (viewId_.load() == kViewEditor) {
    if (editor.undo) editor.undo();
    if (editor.focus) editor.focus();
    return;
  }
  workbench_.desktop.ShowMessage("The UNDO feature can only be used with the Program Editor.",
                                 "Undo Error!");
}

void Shell::InsertDefinition(int kind) {
  const int view = viewId_.load();
  if (view != kViewTerminal && view != kViewEditor) return;
  std::optional<std::string> name;
  if (hooks.chooseVariable) name = hooks.chooseVariable(kind);
  if (name && !name->empty()) {
    if (view == kViewTerminal) {
      if (hooks.insertIntoCommandLine) hooks.insertIntoCommandLine(*name);
    } else {
      if (editor.insert) editor.insert(*name);
      if (editor.focus) editor.focus();
    }
  }
  if (hooks.repaint) hooks.repaint();
}

void Shell::OpenManual(const char* path) {
  const std::string full = workbench_.dataFiles.Find(path);
  if (!workbench_.desktop.OpenExternal(full))
    workbench_.desktop.ShowMessage(full, "Unable to Load Brightlantern Manual");
}

void Shell::OpenDiagnosticScript(const std::string& name) {
  const auto show = [this] {
    if (hooks.showDiagnosticWindow) hooks.showDiagnosticWindow();
  };
  diagnostics::OpenScript(workbench_.diagnosticScript, DiagnosticLoadContext(workbench_, show),
                          name, false);
}

void Shell::OpenWebSite() {
  if (!workbench_.desktop.OpenExternal(kMakerWebSite))
    workbench_.desktop.ShowMessage(kMakerWebSite, "Unable to Load Web Browser");
}

void Shell::StartUp(const std::function<void()>& showMainWindow) {
  AddStartupBanner(workbench_.terminal);
  if (showMainWindow) showMainWindow();
  RunCommand(cmd::kConnect);
  SelectView(kViewTerminal, true);
}

void Shell::RefreshGraphPanel() {
  if (hooks.refreshGraphPanel) hooks.refreshGraphPanel();
}

bool Shell::ConfirmClose() { return !hooks.confirmUnsaved || hooks.confirmUnsaved(); }

}  // namespace bl
