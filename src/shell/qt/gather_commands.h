#pragma once

namespace bl {

class MainWindow;
class Shell;
class Workbench;

// The gathering commands of the menu and the data view's buttons: "Data Gathering Preferences"
// (menu and "Buffer Settings"), "Edit Data Sources" with "Select Data Source", and "Define
// Buffer". The gather settings are kept in the user's config folder whenever a dialog closes.
void WireGatherCommands(MainWindow& window, Workbench& workbench, Shell& shell);
// Takes the commands away again (the window is going).
void UnwireGatherCommands(Shell& shell);

}  // namespace bl
