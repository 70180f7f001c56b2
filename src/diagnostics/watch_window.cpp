#include "diagnostics/watch_window.h"

#include <algorithm>

#include "controller/controller_type.h"
#include "diagnostics/watch_paint.h"
#include "diagnostics/watch_settings.h"
#include "link/pmac_link.h"
#include "monitor/monitor_replies.h"

namespace bl::diagnostics {

namespace {

constexpr int kTitleBarBottom = 35;
constexpr int kCloseFrom = 451;
constexpr int kInsertFrom = 36;
constexpr int kInsertTo = 109;
constexpr int kRowHeight = 25;

}  // namespace

WatchWindow::WatchWindow(WatchRecords& records, const ControllerType& type,
                         std::function<std::string(const std::string&)> settingsPath)
    : records_(records), type_(type), settingsPath_(std::move(settingsPath)) {}

void WatchWindow::LoadForType(std::string& error) {
  if (!settingsPath_ || records_.loadedFor == type_.shortName) return;
  records_.loadedFor = type_.shortName;
  WatchTable::Items items{};
  if (!LoadWatchSettings(settingsPath_(type_.shortName), type_.variableCount, items, error))
    items = {};
  records_.table.Replace(items);
  selected_ = -1;
}

bool WatchWindow::Save(std::string& error) const {
  if (!settingsPath_) return true;
  return SaveWatchSettings(settingsPath_(type_.shortName), records_.table.Copy(), error);
}

void WatchWindow::Changed() {
  std::string error;
  if (!Save(error) && onSaveFailed) onSaveFailed(error);
}

void WatchWindow::AfterDialog(bool inserted) {
  selected_ = -1;
  if (inserted) Changed();
}

platform::Size WatchWindow::WindowSize() const {
  return WatchWindowSize(records_.table.UsedCount());
}

WatchWindow::Action WatchWindow::Press(platform::Point p) {
  if (p.y < kTitleBarBottom) {
    if (p.x >= kCloseFrom) return Action::Close;
    if (p.x >= kInsertFrom && p.x <= kInsertTo) return Action::OpenDialog;
    dragMode_ = 2;
    return Action::StartMove;
  }
  // The header row gives none.
  selected_ = (p.y - kTitleBarBottom) / kRowHeight - 1;
  if (selected_ >= kWatchRecords) selected_ = -1;
  if (records_.table.Holds(selected_)) {
    dragMode_ = 1;
    moved_ = false;
  }
  return Action::Repaint;
}

WatchWindow::Action WatchWindow::MoveTo(platform::Point p) {
  if (dragMode_ != 1) return Action::None;
  const int target = std::clamp((p.y - 60) / kRowHeight, 0, kWatchRecords - 1);
  if (target == selected_ || !records_.table.Holds(target)) return Action::None;
  records_.table.Move(selected_, target);
  selected_ = target;
  moved_ = true;
  return Action::Repaint;
}

WatchWindow::Action WatchWindow::Release() {
  const bool keep = dragMode_ == 1 && moved_;
  dragMode_ = 0;
  moved_ = false;
  if (keep) Changed();
  return Action::None;
}

WatchWindow::Action WatchWindow::KeyDown(Key key) {
  if (selected_ < 0 || dragMode_ != 0) return Action::None;
  switch (key) {
    case Key::Enter:
      return Action::OpenDialog;
    case Key::Up:
      selected_ = std::max(0, selected_ - 1);
      return Action::Repaint;
    case Key::Down:
      if (selected_ + 1 < kWatchRecords && records_.table.Holds(selected_ + 1)) ++selected_;
      return Action::Repaint;
    case Key::Delete:
      if (!records_.table.Holds(selected_)) return Action::None;
      records_.table.Delete(selected_);
      if (!records_.table.Holds(selected_)) selected_ = std::max(-1, selected_ - 1);
      Changed();
      return Action::Repaint;
  }
  return Action::None;
}

void PollWatchTable(WatchTable& table, PmacLink& link) {
  const WatchTable::Query query = table.PollQuery();
  if (query.asked.empty()) return;
  std::string reply;
  link.PmacCommand(reply, monitor::kReplySize, query.command, false);
  table.StoreReply(query, reply);
}

}  // namespace bl::diagnostics
