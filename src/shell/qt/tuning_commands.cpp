#include "shell/qt/tuning_commands.h"

#include <algorithm>
#include <string>

#include "commands/command_ids.h"
#include "graph/graph_settings.h"
#include "graph/qt/step_metrics_dialog.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"
#include "tuning/qt/filter_page.h"
#include "tuning/qt/frequency_response_dialog.h"
#include "tuning/qt/gain_pages.h"
#include "tuning/qt/motor_tuning_sheet.h"
#include "tuning/qt/reference_series_dialog.h"
#include "tuning/qt/test_moves_page.h"
#include "tuning/qt/run_bode_dialog.h"
#include "tuning/qt/tuning_history_dialog.h"
#include "tuning/qt/what_if_dialog.h"
#include "tuning/tuning_compare.h"

namespace bl {

namespace {

constexpr int kWarningColor = 5;

// After a series was overwritten: the series lists take its title, and a graph on screen is
// fitted to the new data; any other view is simply repainted.
void SeriesChanged(Workbench& workbench, Shell& shell) {
  if (IsGraphView(shell.ViewId()))
    graph::FindLimits(workbench.graph.settings, workbench.series, workbench.graph.bars);
  shell.RefreshGraphPanel();
  if (shell.hooks.repaint) shell.hooks.repaint();
}

// "Done": the graph is fitted to the data, the window repainted and the graph takes the focus.
void DialogDone(MainWindow& window, Workbench& workbench, Shell& shell) {
  graph::FindLimits(workbench.graph.settings, workbench.series, workbench.graph.bars);
  shell.RefreshGraphPanel();
  if (shell.hooks.repaint) shell.hooks.repaint();
  if (IsGraphView(shell.ViewId())) window.Client().GraphPane(0).setFocus();
}

void RunReferenceSeries(MainWindow& window, Workbench& workbench, Shell& shell) {
  tuning::ReferenceSeriesPresenter presenter(
      workbench.reference, workbench.series,
      [&workbench, &shell] { SeriesChanged(workbench, shell); });
  tuning::RunReferenceSeriesDialog(&window, presenter);
  std::string error;
  if (!tuning::SaveReferenceSettings(workbench.reference, error))
    workbench.terminal.TerminalAddLine("  " + error, kWarningColor);
  DialogDone(window, workbench, shell);
}

void RunFrequencyResponse(MainWindow& window, Workbench& workbench, Shell& shell) {
  tuning::FrequencyResponsePresenter presenter(
      workbench.frequencyResponse, workbench.series, workbench.desktop,
      [&workbench, &shell] { SeriesChanged(workbench, shell); });
  tuning::RunFrequencyResponseDialog(&window, presenter);
  DialogDone(window, workbench, shell);
}

void ChooseStepMetrics(MainWindow& window, Workbench& workbench, Shell& shell) {
  graph::GraphView& view = workbench.graph;
  graph::StepMetricsDialog dialog(&window, workbench.series, view.metricsCommanded,
                                  std::max(view.metricsActual, 2));
  if (dialog.exec() != QDialog::Accepted) return;
  view.metricsCommanded = dialog.Commanded();
  view.metricsActual = dialog.Commanded() > 0 ? dialog.Actual() : 0;
  if (view.metricsCommanded > 0) shell.SelectView(kViewGraphTime, true);
  if (shell.hooks.repaint) shell.hooks.repaint();
}

void RunMotorTuning(MainWindow& window, Workbench& workbench, Shell& shell) {
  tuning::MotorTuningSheet sheet(&window);
  std::atomic<int>& motor = workbench.terminal.addressedMotor;
  const int& motorCount = workbench.controllerType.motorCount;
  tuning::PositionLoopValues& values = workbench.positionLoop;
  sheet.AddPage(new tuning::GainPage(workbench.link, motor, motorCount, values.gains),
                "Position Loop Tuning");
  sheet.AddPage(new tuning::ModifiersPage(workbench.link, motor, motorCount, values.modifiers),
                "Position Loop Modifiers");
  sheet.AddPage(new tuning::FilterPage(workbench.link, motor, motorCount, values),
                "Position Loop Filter");
  sheet.AddPage(NewTestMovesPage(workbench, shell, &sheet), "Test Moves");
  sheet.exec();
  if (shell.hooks.repaint) shell.hooks.repaint();
}

// The addressed motor's runs on the controller in use (the offline type when none is).
void RunTuningHistory(MainWindow& window, Workbench& workbench, Shell& shell) {
  const int motorCount = std::max(1, workbench.controllerType.motorCount);
  const int motor = std::clamp(workbench.terminal.addressedMotor.load(), 1, motorCount);
  const int typeCode = std::clamp(workbench.controllerType.typeCode.load(), 1, 6);
  tuning::TuningHistoryPresenter presenter(
      workbench.tuningHistory.History(), typeCode, motor, workbench.desktop, &workbench.definitions,
      [&workbench, &shell](std::span<const tuning::TuningRun> runs) {
        tuning::OverlayRuns(runs, workbench.series, workbench.graph);
        shell.SelectView(kViewGraphTime, true);
        SeriesChanged(workbench, shell);
      },
      [&window, &workbench](const tuning::TuningRun& run) {
        tuning::WhatIfPresenter whatIf(
            run, workbench.link,
            [&workbench] {
              return workbench.link.PmacDevice() < 0 ? 0
                                                     : workbench.controllerType.typeCode.load();
            },
            workbench.desktop);
        tuning::WhatIfDialog preview(whatIf, &window);
        preview.exec();
      },
      [&window](const tuning::TuningRun& run) {
        tuning::RunBodeDialog bode(run, &window);
        bode.exec();
      });
  tuning::TuningHistoryDialog dialog(presenter, &window);
  dialog.exec();
}

}  // namespace

void WireTuningCommands(MainWindow& window, Workbench& workbench, Shell& shell) {
  shell.SetCommand(cmd::kReferenceSeries,
                   [&window, &workbench, &shell] { RunReferenceSeries(window, workbench, shell); });
  shell.SetCommand(cmd::kFrequencyResponse, [&window, &workbench, &shell] {
    RunFrequencyResponse(window, workbench, shell);
  });
  shell.SetCommand(cmd::kMotorTuning,
                   [&window, &workbench, &shell] { RunMotorTuning(window, workbench, shell); });
  shell.SetCommand(cmd::kStepMetrics,
                   [&window, &workbench, &shell] { ChooseStepMetrics(window, workbench, shell); });
  shell.SetCommand(cmd::kTuningHistory,
                   [&window, &workbench, &shell] { RunTuningHistory(window, workbench, shell); });
}

void UnwireTuningCommands(Shell& shell) {
  shell.SetCommand(cmd::kReferenceSeries, nullptr);
  shell.SetCommand(cmd::kFrequencyResponse, nullptr);
  shell.SetCommand(cmd::kMotorTuning, nullptr);
  shell.SetCommand(cmd::kStepMetrics, nullptr);
  shell.SetCommand(cmd::kTuningHistory, nullptr);
}

tuning::TestMovesPage* NewTestMovesPage(Workbench& workbench, Shell& shell, QWidget* parent) {
  return new tuning::TestMovesPage(
      TestMoveContextOf(workbench), workbench.terminal.addressedMotor, workbench.testMoves,
      [&shell] { shell.SelectView(kViewGraphTime, true); },
      [&workbench] { workbench.transfer.DownloadProgram(editor::kDownloadTestMoves); },
      tuning::TestMoveSettingsPath(), parent);
}

}  // namespace bl
