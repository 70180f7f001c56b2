#pragma once

#include <atomic>
#include <string>

#include "controller/controller_type.h"
#include "definitions/definition_table.h"
#include "definitions/select_variable_presenter.h"
#include "diagnostics/diagnostic_script.h"
#include "diagnostics/script_loader.h"
#include "editor/editor_context.h"
#include "editor/editor_state.h"
#include "editor/editor_transfer.h"
#include "graph/graph_input.h"
#include "link/pmac_link.h"
#include "monitor/gather_status.h"
#include "monitor/monitor_thread.h"
#include "monitor/position_display.h"
#include "series/gather.h"
#include "series/series_table.h"
#include "shell/data_files.h"
#include "terminal/command_line.h"
#include "terminal_lines/terminal_lines.h"
#include "tuning/frequency_response.h"
#include "tuning/position_loop.h"
#include "tuning/reference_series.h"
#include "tuning/test_move.h"
#include "tuning/tuning_history.h"

namespace bl {

namespace platform {
class Desktop;
class UiThread;
class Clock;
}  // namespace platform

// The one context object of the program: it owns every shared record and operation set and is
// created once in main and once per test, with the platform services it is given.
class Workbench {
 public:
  // dataFolders: where shipped data is looked for after the start directory.
  Workbench(platform::Desktop& desktop, platform::UiThread& uiThread, platform::Clock& clock,
            VendorLibraryLoader loader, std::vector<std::string> dataFolders = {});

  platform::Desktop& desktop;
  platform::UiThread& uiThread;
  platform::Clock& clock;

  Terminal terminal;
  DefinitionTable definitions;
  ControllerType controllerType;
  GatherStatus gatherStatus;
  series::SeriesTable series;
  series::GatherBuffer gather;
  // The current graph, the graph library, the panes' scroll bars, cursor and mouse state.
  graph::GraphView graph;
  // The reference series generator's settings and the frequency response's series choices.
  tuning::ReferenceSettings reference;
  tuning::FrequencyResponseChoice frequencyResponse;
  // The test moves' parameters, kept for the run.
  tuning::TestMoveParameters testMoves;
  // The motor tuning sheet's gains, modifiers and filter design, kept for the run.
  tuning::PositionLoopValues positionLoop;
  PmacLink link;
  CommandLine commandLine;
  SelectVariableMemory selectVariable;
  editor::EditorState editor;
  editor::EditorContext editorContext{editor, definitions, terminal, desktop};

  // The working directory at start-up (at most 259 characters) and the shipped data files.
  std::string startDirectory;
  DataFiles dataFiles;

  // Downloads and uploads of programs between the editor and the controller.
  editor::ProgramTransfer transfer;

  // Set while a started test move's gathered data is still to be uploaded; the monitor thread
  // clears it when the move's gathering ends.
  std::atomic<bool> testMovePending{false};
  // Every test move that ends is kept, with its data and the motor's I-variables.
  tuning::TuningRecorder tuningHistory;
  monitor::PositionDisplay position;
  // The loaded diagnostic script, its current page and folder, kept for the run (the window only
  // shows it; its live indicator is the monitor's).
  diagnostics::DiagnosticScript diagnosticScript;
  // Last, so that it stops before any record it reads goes. Started by main, not here: a test's
  // workbench runs its cycles itself.
  monitor::MonitorThread monitor;
};

// What a test move works with, from the workbench's records.
tuning::TestMoveContext TestMoveContextOf(Workbench& workbench);

// A test move's data is in: the run goes into the tuning history; a run that cannot be kept is
// reported in the terminal.
void KeepTestMoveRun(Workbench& workbench);
// What opening a diagnostic script needs: built-in scripts are found among the shipped data;
// showWindow creates the diagnostic window or gives it the focus, and repaints.
diagnostics::ScriptLoadContext DiagnosticLoadContext(Workbench& workbench,
                                                     std::function<void()> showWindow);

// The lines the terminal greets the user with.
void AddStartupBanner(Terminal& terminal);

}  // namespace bl
