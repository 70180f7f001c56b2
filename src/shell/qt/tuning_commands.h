#pragma once

class QWidget;

namespace bl {

class MainWindow;
class Shell;
class Workbench;
namespace tuning {
class TestMovesPage;
}

// The analysis commands of the "Graphing" menu: "Create Reference Series" and "Create Frequency
// Response Series", and "&Motor Tuning". The generator's settings are kept in the user's config
// folder whenever its dialog closes.
void WireTuningCommands(MainWindow& window, Workbench& workbench, Shell& shell);
// Takes the commands away again (the window is going).
void UnwireTuningCommands(Shell& shell);

// The "Test Moves" page of the "Motor Tuning" sheet over the workbench's records: a move that
// starts shows the time graph, the program's button downloads BL_TestMoves.pmc with the progress
// meter, and the parameters are kept in the user's config folder.
tuning::TestMovesPage* NewTestMovesPage(Workbench& workbench, Shell& shell, QWidget* parent);

}  // namespace bl
