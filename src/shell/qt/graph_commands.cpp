#include "shell/qt/graph_commands.h"

#include "commands/command_ids.h"
#include "graph/graph_export.h"
#include "graph/graph_print.h"
#include "graph/graph_properties.h"
#include "graph/qt/graph_export_file.h"
#include "graph/qt/graph_properties_dialog.h"
#include "graph/series_files.h"
#include "platform/qt/canvas_widget.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"

namespace bl {

namespace {

constexpr int kGraphCommands[] = {cmd::kGraphProperties,  cmd::kPrintGraphMenu, cmd::kPrintGraph,
                                  cmd::kExportGraph,      cmd::kSaveAllSeries,  cmd::kLoadAllSeries,
                                  cmd::kExportSeriesText, cmd::kImportPlotFile};

// Both panes with their scroll bars, and the control panel beside them.
void RedrawGraph(Shell& shell) {
  shell.RefreshGraphPanel();
  if (shell.hooks.repaint) shell.hooks.repaint();
}

void RunProperties(MainWindow& window, Workbench& workbench, Shell& shell) {
  graph::GraphPropertiesHooks hooks;
  hooks.graphViewShown = [&shell] { return IsGraphView(shell.ViewId()); };
  hooks.switchGraphType = [&shell](int type) { shell.SelectView(type, true); };
  hooks.graphType = [&shell] { return shell.GraphType(); };
  hooks.redraw = [&shell] { RedrawGraph(shell); };
  graph::GraphPropertiesPresenter presenter(workbench.graph, workbench.series, workbench.desktop,
                                            std::move(hooks));
  graph::RunGraphPropertiesDialog(&window, presenter);
  RedrawGraph(shell);
}

void PrintGraph(Workbench& workbench, Shell& shell) {
  graph::PrintGraph(workbench.desktop, workbench.graph.settings, workbench.series,
                    IsGraphView(shell.ViewId()));
}

void ExportGraph(MainWindow& window, Workbench& workbench, Shell& shell) {
  // The screen's picture: the upper pane and, for the frequency graph, the lower one below it.
  MainClientArea& client = window.Client();
  platform::Size screen{client.GraphPane(0).width(), client.GraphPane(0).height()};
  if (workbench.series.graphType == 2) screen.height += client.GraphPane(1).height();
  graph::GraphExportHooks hooks;
  hooks.chooseSize = [&window](platform::Size initial) {
    return graph::RunExportSizeDialog(&window, initial);
  };
  hooks.write = [&workbench](const std::string& path, graph::ExportFormat format,
                             platform::Size size, std::string& error) {
    auto paint = [&workbench](platform::Canvas& canvas) {
      graph::DrawGraphPicture(
          canvas, workbench.graph.settings, workbench.series,
          graph::LayOutScreenGraph(canvas.PixelSize(), workbench.series.graphType));
    };
    return graph::WriteGraphFile(path, format, size, paint, error);
  };
  graph::ExportGraph(workbench.desktop, IsGraphView(shell.ViewId()), screen, hooks);
}

void LoadAllSeries(Workbench& workbench, Shell& shell) {
  // The loaded graph's type comes in through the toolbar's switch, which reprocesses every
  // series for it and finds the limits.
  auto switchGraphType = [&shell](int type) { shell.SelectView(type, true); };
  if (graph::LoadSeriesFile(workbench.desktop, workbench.series, workbench.graph, switchGraphType))
    RedrawGraph(shell);
}

void ImportPlotFile(Workbench& workbench, Shell& shell) {
  if (graph::ImportPlotFile(workbench.desktop, workbench.series, workbench.graph))
    RedrawGraph(shell);
}

}  // namespace

void WireGraphCommands(MainWindow& window, Workbench& workbench, Shell& shell) {
  shell.SetCommand(cmd::kGraphProperties,
                   [&window, &workbench, &shell] { RunProperties(window, workbench, shell); });
  auto print = [&workbench, &shell] { PrintGraph(workbench, shell); };
  shell.SetCommand(cmd::kPrintGraphMenu, print);
  shell.SetCommand(cmd::kPrintGraph, print);
  shell.SetCommand(cmd::kExportGraph,
                   [&window, &workbench, &shell] { ExportGraph(window, workbench, shell); });
  shell.SetCommand(cmd::kSaveAllSeries, [&workbench] {
    graph::SaveSeriesFile(workbench.desktop, workbench.series, workbench.graph);
  });
  shell.SetCommand(cmd::kLoadAllSeries, [&workbench, &shell] { LoadAllSeries(workbench, shell); });
  shell.SetCommand(cmd::kExportSeriesText,
                   [&workbench] { graph::ExportSeriesText(workbench.desktop, workbench.series); });
  shell.SetCommand(cmd::kImportPlotFile,
                   [&workbench, &shell] { ImportPlotFile(workbench, shell); });
}

void UnwireGraphCommands(Shell& shell) {
  for (int command : kGraphCommands) shell.SetCommand(command, nullptr);
}

}  // namespace bl
