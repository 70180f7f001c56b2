#pragma once

#include <array>
#include <atomic>

#include "tuning/qt/tuning_page.h"
#include "tuning/test_moves_presenter.h"

class QLineEdit;
class QPushButton;

namespace bl::tuning {

class MotorSelectionGroup;

// "Test Moves", the fourth page of the "Motor Tuning" sheet: the motor, the notice about the
// controller program and its resources, and the three moves with their ten fields.
class TestMovesPage : public TuningPage {
 public:
  // addressedMotor: the motor the tuning pages share.
  TestMovesPage(TestMoveContext context, std::atomic<int>& addressedMotor,
                TestMoveParameters& parameters, std::function<void()> showGraph,
                std::function<void()> downloadProgram, std::string settingsPath,
                QWidget* parent = nullptr);

  void Activate() override;
  void Leave() override;

  // The move buttons in the order of TestMoveKind, and the program's download button.
  QPushButton* MoveButton(TestMoveKind kind) const;
  QPushButton* DownloadButton() const { return download_; }
  QLineEdit* Field(int index) const { return fields_.at(static_cast<std::size_t>(index)); }

 private:
  void ShowFields();
  void Start(TestMoveKind kind);

  MotorSelection selection_;
  TestMovesPresenter presenter_;
  MotorSelectionGroup* motors_;
  QPushButton* download_;
  std::array<QPushButton*, 3> moves_{};
  std::array<QLineEdit*, kTestMoveFieldCount> fields_{};
};

}  // namespace bl::tuning
