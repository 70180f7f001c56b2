#include "tuning/tuning_history_presenter.h"

#include "controller/controller_type.h"
#include "platform/desktop.h"
#include "platform/text_format.h"

namespace bl::tuning {

namespace {

std::string Percent(const std::optional<series::StepMetrics>& m) {
  return m && m->overshoot ? platform::Format("%.1f %%", *m->overshoot) : std::string("---");
}

std::string Settling(const std::optional<series::StepMetrics>& m) {
  return m && m->settlingTime ? platform::Format("%.1f ms", *m->settlingTime * 1000)
                              : std::string("---");
}

}  // namespace

TuningHistoryPresenter::TuningHistoryPresenter(
    const TuningHistory& history, int typeCode, int motor, platform::Desktop& desktop,
    const DefinitionTable* names, std::function<void(std::span<const TuningRun>)> overlay,
    std::function<void(const TuningRun&)> whatIf, std::function<void(const TuningRun&)> bode)
    : history_(history),
      typeCode_(typeCode),
      motor_(motor),
      desktop_(desktop),
      names_(names),
      overlay_(std::move(overlay)),
      whatIf_(std::move(whatIf)),
      bode_(std::move(bode)) {
  Refresh();
}

const std::vector<std::string>& TuningHistoryPresenter::Columns() {
  static const std::vector<std::string> kColumns = {"Time (UTC)", "Move", "Ix30",      "Ix31",
                                                    "Ix32",       "Ix33", "Overshoot", "Settling"};
  return kColumns;
}

std::string TuningHistoryPresenter::Caption() const {
  return platform::Format("Tuning History: %s, motor %d",
                          ControllerTypeInfoFor(typeCode_).displayName, motor_);
}

void TuningHistoryPresenter::Refresh() {
  TuningHistory::Listing listing = history_.List(typeCode_, motor_);
  runs_ = std::move(listing.runs);
  rows_.clear();
  for (const TuningRun& run : runs_) {
    std::vector<std::string> row = {RunTimeText(run.timeMs), MoveText(run.kind, run.parameters)};
    for (std::size_t suffix = 30; suffix <= 33; ++suffix)
      row.push_back(VariableText(run.variables[suffix]));
    row.push_back(Percent(run.metrics));
    row.push_back(Settling(run.metrics));
    rows_.push_back(std::move(row));
  }
  notes_.clear();
  if (!listing.problems.empty()) {
    notes_ = listing.problems.size() == 1
                 ? std::string("One run could not be read:")
                 : platform::Format("%zu runs could not be read:", listing.problems.size());
    for (const std::string& problem : listing.problems) notes_ += "\n" + problem;
  }
}

void TuningHistoryPresenter::Tell(const std::string& text) {
  desktop_.ShowMessage(text, kTuningHistoryTitle, platform::MessageButtons::Ok);
}

bool TuningHistoryPresenter::LoadSelected(const std::vector<int>& selected,
                                          std::vector<TuningRun>& runs) {
  for (int index : selected) {
    if (index < 0 || index >= static_cast<int>(runs_.size())) continue;
    TuningRun run;
    std::string error;
    if (!history_.Load(typeCode_, motor_, runs_[static_cast<std::size_t>(index)].id, run, error)) {
      Tell(error);
      return false;
    }
    runs.push_back(std::move(run));
  }
  return true;
}

void TuningHistoryPresenter::Overlay(const std::vector<int>& selected) {
  if (selected.empty()) return Tell("Select the runs to overlay.");
  if (selected.size() > static_cast<std::size_t>(kMaxOverlaidRuns))
    return Tell(platform::Format("The graph overlays at most %d runs at once.", kMaxOverlaidRuns));
  std::vector<TuningRun> runs;
  if (!LoadSelected(selected, runs)) return;
  if (overlay_) overlay_(runs);
}

void TuningHistoryPresenter::WhatIf(const std::vector<int>& selected) {
  if (selected.size() != 1) return Tell("Select the run whose plant the preview is to use.");
  std::vector<TuningRun> runs;
  if (!LoadSelected(selected, runs) || runs.size() != 1) return;
  if (whatIf_) whatIf_(runs.front());
}

void TuningHistoryPresenter::Bode(const std::vector<int>& selected) {
  if (selected.size() != 1) return Tell("Select the run whose frequency response is to be shown.");
  std::vector<TuningRun> runs;
  if (!LoadSelected(selected, runs) || runs.size() != 1) return;
  if (bode_) bode_(runs.front());
}

void TuningHistoryPresenter::Compare(const std::vector<int>& selected) {
  if (selected.size() != 2) return Tell("Select two runs to compare.");
  std::vector<TuningRun> runs;
  if (!LoadSelected(selected, runs) || runs.size() != 2) return;
  // The older run first, so that a difference reads as the change made since.
  if (runs[0].timeMs > runs[1].timeMs) std::swap(runs[0], runs[1]);
  differences_ = CompareRuns(runs[0], runs[1], names_);
  compared_ = RunTimeText(runs[0].timeMs) + " against " + RunTimeText(runs[1].timeMs);
}

void TuningHistoryPresenter::Delete(const std::vector<int>& selected) {
  if (selected.empty()) return Tell("Select the runs to delete.");
  const std::string question =
      selected.size() == 1 ? std::string("Delete the selected run?")
                           : platform::Format("Delete the %zu selected runs?", selected.size());
  if (desktop_.ShowMessage(question, kTuningHistoryTitle, platform::MessageButtons::YesNo,
                           platform::MessageIcon::Question) != platform::MessageAnswer::Yes)
    return;
  for (int index : selected) {
    if (index < 0 || index >= static_cast<int>(runs_.size())) continue;
    std::string error;
    if (!history_.Remove(typeCode_, motor_, runs_[static_cast<std::size_t>(index)].id, error))
      Tell(error);
  }
  // A comparison may name a run that is gone.
  differences_.clear();
  compared_.clear();
  Refresh();
}

}  // namespace bl::tuning
