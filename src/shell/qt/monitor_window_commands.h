#pragma once

namespace bl {

class MainWindow;
class Shell;
class Workbench;

// "&Watch Window", "&Position Window (Pos, Vel, F.E.)" and "&Variable Setup": each window is
// created on its command or, when it exists, given the focus; the diagnostic window likewise
// whenever a diagnostic script has been opened. Their records (the watched items,
// the motors' units, the variable setup's choices) live with the main window for the run.
void WireMonitorWindowCommands(MainWindow& window, Workbench& workbench, Shell& shell);
// Takes the commands away and closes the windows (the main window is going).
void UnwireMonitorWindowCommands(MainWindow& window, Shell& shell);

}  // namespace bl
