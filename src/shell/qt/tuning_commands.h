#pragma once

namespace bl {

class MainWindow;
class Shell;
class Workbench;

// The analysis commands of the "Graphing" menu: "Create Reference Series" and "Create Frequency
// Response Series", and "&Motor Tuning". The generator's settings are kept in the user's config
// folder whenever its dialog closes.
void WireTuningCommands(MainWindow& window, Workbench& workbench, Shell& shell);
// Takes the commands away again (the window is going).
void UnwireTuningCommands(Shell& shell);

}  // namespace bl
