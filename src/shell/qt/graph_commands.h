#pragma once

namespace bl {

class MainWindow;
class Shell;
class Workbench;

// The graph commands of the menu and the graph view: "Graph Properties", "Print Graph" (menu and
// button), "Export Graph" (File menu and the panes' context menu) and the series files of the
// "Graphing" menu (save and load all series, text export, plot-file import).
void WireGraphCommands(MainWindow& window, Workbench& workbench, Shell& shell);
// Takes the commands away again (the window is going).
void UnwireGraphCommands(Shell& shell);

}  // namespace bl
