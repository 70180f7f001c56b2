#pragma once

namespace bl {

class MainWindow;
class Shell;
class Workbench;

// The graph commands of the menu and the graph view: "Graph Properties", "Print Graph" (menu and
// button) and "Export Graph" (File menu and the panes' context menu).
void WireGraphCommands(MainWindow& window, Workbench& workbench, Shell& shell);
// Takes the commands away again (the window is going).
void UnwireGraphCommands(Shell& shell);

}  // namespace bl
