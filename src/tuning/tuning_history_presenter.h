#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "tuning/tuning_compare.h"
#include "tuning/tuning_history.h"

namespace bl {
class DefinitionTable;
namespace platform {
class Desktop;
}
}  // namespace bl

namespace bl::tuning {

inline constexpr std::string_view kTuningHistoryTitle = "Tuning History";

// The "Tuning History" dialog without its widgets: the runs of one motor, newest first, and
// what the buttons do with the selected ones.
class TuningHistoryPresenter {
 public:
  // overlay: the runs loaded in full, to be drawn on the graph; whatIf and bode: one run loaded
  // in full, to open the preview of other gains on its plant or its frequency response.
  TuningHistoryPresenter(const TuningHistory& history, int typeCode, int motor,
                         platform::Desktop& desktop, const DefinitionTable* names,
                         std::function<void(std::span<const TuningRun>)> overlay,
                         std::function<void(const TuningRun&)> whatIf = {},
                         std::function<void(const TuningRun&)> bode = {});

  static const std::vector<std::string>& Columns();

  // Reads the motor's runs again.
  void Refresh();
  // One row per run, in the order of Columns().
  const std::vector<std::vector<std::string>>& Rows() const { return rows_; }
  // Why runs were left out of the list (damaged, another controller's), empty when none were.
  const std::string& Notes() const { return notes_; }
  // "Tuning History: Turbo PMAC2, motor 1".
  std::string Caption() const;

  // The buttons, with the selected rows' indices. Each tells the user by a message box when
  // the selection does not suit it.
  void Overlay(const std::vector<int>& selected);
  // Two runs: their differences, in Differences().
  void Compare(const std::vector<int>& selected);
  // One run: the preview of other gains on the plant identified from it.
  void WhatIf(const std::vector<int>& selected);
  // One run: its frequency response and the loop's margins.
  void Bode(const std::vector<int>& selected);
  // Asks first; the list is read again after.
  void Delete(const std::vector<int>& selected);

  const std::vector<ParameterDifference>& Differences() const { return differences_; }
  // What Differences() compares: "<first run's time> against <second run's time>".
  const std::string& ComparedRuns() const { return compared_; }

 private:
  bool LoadSelected(const std::vector<int>& selected, std::vector<TuningRun>& runs);
  void Tell(const std::string& text);

  const TuningHistory& history_;
  int typeCode_;
  int motor_;
  platform::Desktop& desktop_;
  const DefinitionTable* names_;
  std::function<void(std::span<const TuningRun>)> overlay_;
  std::function<void(const TuningRun&)> whatIf_;
  std::function<void(const TuningRun&)> bode_;
  std::vector<TuningRun> runs_;
  std::vector<std::vector<std::string>> rows_;
  std::string notes_;
  std::vector<ParameterDifference> differences_;
  std::string compared_;
};

}  // namespace bl::tuning
