#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tuning/motor_selection.h"
#include "tuning/test_move.h"

namespace bl::tuning {

// The "Test Moves" page without its widgets: the ten fields as texts and one method per event.
class TestMovesPresenter {
 public:
  // showGraph: the main window switches to the graph, "Data vs. Time", and repaints.
  // downloadProgram: downloads "BL_TestMoves.pmc" as the program's download does, with its
  // progress meter. settingsPath: where the parameters are kept for the next run (empty: for
  // this run only).
  TestMovesPresenter(TestMoveContext context, TestMoveParameters& parameters,
                     MotorSelection& selection, std::function<void()> showGraph,
                     std::function<void()> downloadProgram, std::string settingsPath);

  std::vector<std::string> fields;

  // The page became the active tab: the addressed motor is asked for again and the fields show
  // the stored parameters.
  void Activate();
  // The page stops being the active tab or the sheet closes: a pending move is given up.
  void Leave();
  // The motor list addressed another motor: a pending move is given up and the page reads the
  // motor the controller now reports.
  void MotorAddressed();
  // The "BL_TestMoves.pmc" button.
  void DownloadProgram();
  // "Step Move", "Constant Vel., Acc. Move", "Sine Sweep": the fields are stored (and kept for the
  // next run) before the move is checked and started.
  TestMoveOutcome Start(TestMoveKind kind);

  MotorSelection& Selection() { return selection_; }

 private:
  TestMoveContext context_;
  TestMoveParameters& parameters_;
  MotorSelection& selection_;
  std::function<void()> showGraph_;
  std::function<void()> downloadProgram_;
  std::string settingsPath_;
};

}  // namespace bl::tuning
