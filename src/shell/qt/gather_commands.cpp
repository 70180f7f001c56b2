#include "shell/qt/gather_commands.h"

#include <string>

#include "commands/command_ids.h"
#include "link/qt/progress_meter_dialog.h"
#include "platform/qt/canvas_widget.h"
#include "series/gather.h"
#include "series/qt/edit_sources_dialog.h"
#include "series/qt/gather_preferences_dialog.h"
#include "series/qt/select_source_dialog.h"
#include "series/qt/table_view.h"
#include "series/upload.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"

namespace bl {

namespace {

constexpr int kWarningColor = 5;
constexpr int kGatherCommands[] = {cmd::kGatherBufferSettings, cmd::kBufferSettings,
                                   cmd::kGatherSources, cmd::kDefineBuffer, cmd::kUploadData};

void KeepGatherSettings(Workbench& workbench) {
  std::string error;
  if (!series::SaveGatherSettings(workbench.gather, workbench.series, error))
    workbench.terminal.TerminalAddLine("  " + error, kWarningColor);
}

void DefineBuffer(Workbench& workbench) {
  series::DefineGather(workbench.link, workbench.controllerType, workbench.gather,
                       workbench.series);
}

void RunPreferences(MainWindow& window, Workbench& workbench, Shell& shell) {
  series::GatherPreferencesActions actions;
  actions.defineGather = [&workbench] { DefineBuffer(workbench); };
  actions.readGatherSettings = [&workbench] {
    series::ReadGatherSettings(workbench.link, workbench.controllerType, workbench.gather,
                               workbench.series);
  };
  series::RunGatherPreferencesDialog(&window, workbench.gather,
                                     workbench.controllerType.servoPeriod, std::move(actions));
  KeepGatherSettings(workbench);
  if (shell.hooks.repaint) shell.hooks.repaint();
}

void RunEditSources(MainWindow& window, Workbench& workbench, Shell& shell) {
  MainClientArea& client = window.Client();
  // Every view that shows series follows the edits; the graph panes are the ones on screen
  // while the graph views are up.
  auto redraw = [&client] {
    client.GraphPane(0).update();
    client.GraphPane(1).update();
    client.DataWindow().Client().update();
    client.Spreadsheet().Client().update();
  };
  auto chooseSource = [&workbench](QWidget* dialog) {
    series::SelectSourcePresenter presenter(workbench.series, workbench.controllerType,
                                            workbench.definitions, workbench.link,
                                            workbench.desktop);
    return series::RunSelectSourceDialog(dialog, presenter);
  };
  series::RunEditSourcesDialog(&window, workbench.series, redraw, chooseSource);
  KeepGatherSettings(workbench);
  shell.RefreshGraphPanel();  // the series lists show the titles
  if (IsGraphView(shell.ViewId())) client.GraphPane(0).setFocus();
}

void UploadData(MainWindow& window, Workbench& workbench, Shell& shell) {
  series::UploadView view;
  view.meterHost = ProgressMeterDialogHost(workbench.uiThread, &window);
  view.redraw = [&shell] {
    // The upload may have brought new titles with the sources it read back.
    shell.RefreshGraphPanel();
    if (shell.hooks.repaint) shell.hooks.repaint();
  };
  series::UploadGatheredData({workbench.link, workbench.terminal, workbench.desktop,
                              workbench.uiThread, workbench.controllerType, workbench.gather,
                              workbench.series},
                             view);
  // The upload read the sources back from the controller: keep them as it found them.
  KeepGatherSettings(workbench);
}

}  // namespace

void WireGatherCommands(MainWindow& window, Workbench& workbench, Shell& shell) {
  auto preferences = [&window, &workbench, &shell] { RunPreferences(window, workbench, shell); };
  shell.SetCommand(cmd::kGatherBufferSettings, preferences);
  shell.SetCommand(cmd::kBufferSettings, preferences);
  shell.SetCommand(cmd::kGatherSources,
                   [&window, &workbench, &shell] { RunEditSources(window, workbench, shell); });
  shell.SetCommand(cmd::kDefineBuffer, [&workbench] { DefineBuffer(workbench); });
  shell.SetCommand(cmd::kUploadData,
                   [&window, &workbench, &shell] { UploadData(window, workbench, shell); });
}

void UnwireGatherCommands(Shell& shell) {
  for (int command : kGatherCommands) shell.SetCommand(command, nullptr);
}

}  // namespace bl
