#include "tuning/test_moves_presenter.h"

#include "controller/controller_type.h"

namespace bl::tuning {

TestMovesPresenter::TestMovesPresenter(TestMoveContext context, TestMoveParameters& parameters,
                                       MotorSelection& selection, std::function<void()> showGraph,
                                       std::function<void()> downloadProgram,
                                       std::string settingsPath)
    : fields(TestMoveFieldTexts(parameters)),
      context_(context),
      parameters_(parameters),
      selection_(selection),
      showGraph_(std::move(showGraph)),
      downloadProgram_(std::move(downloadProgram)),
      settingsPath_(std::move(settingsPath)) {}

void TestMovesPresenter::Activate() {
  selection_.Refresh(context_.type.motorCount);
  fields = TestMoveFieldTexts(parameters_);
}

void TestMovesPresenter::Leave() { context_.pending = false; }

void TestMovesPresenter::MotorAddressed() {
  context_.pending = false;
  Activate();
}

void TestMovesPresenter::DownloadProgram() {
  context_.pending = false;
  if (downloadProgram_) downloadProgram_();
}

TestMoveOutcome TestMovesPresenter::Start(TestMoveKind kind) {
  ReadTestMoveFields(fields, parameters_);
  const TestMoveOutcome outcome = StartTestMove(context_, kind, parameters_, selection_.Motor());
  // Kept for the next run whatever came of the move; a settings file that cannot be written
  // costs nothing but the defaults next time.
  std::string error;
  if (!settingsPath_.empty()) SaveTestMoveSettings(settingsPath_, parameters_, error);
  if (outcome != TestMoveOutcome::kRefused && showGraph_) showGraph_();
  return outcome;
}

}  // namespace bl::tuning
