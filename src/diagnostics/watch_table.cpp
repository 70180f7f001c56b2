#include "diagnostics/watch_table.h"

#include <algorithm>
#include <cmath>

#include "monitor/monitor_replies.h"
#include "platform/text_format.h"

namespace bl::diagnostics {

std::string WatchVariableName(int variableType, int number) {
  static constexpr const char* kFormats[] = {"P%d", "Q%d", "M%d", "I%d"};
  if (variableType < 1 || variableType > 4) return {};
  return platform::Format(kFormats[variableType - 1], number);
}

WatchTable::Items WatchTable::Copy() const {
  std::lock_guard lock(mutex_);
  return items_;
}

int WatchTable::UsedCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(
      std::count_if(items_.begin(), items_.end(), [](const WatchItem& i) { return i.Used(); }));
}

bool WatchTable::Holds(int row) const {
  std::lock_guard lock(mutex_);
  return row >= 0 && row < kWatchRecords && items_[static_cast<std::size_t>(row)].Used();
}

WatchTable::InsertResult WatchTable::Insert(const WatchItem& item) {
  std::lock_guard lock(mutex_);
  for (WatchItem& existing : items_) {
    if (existing.Used() && existing.SameVariable(item)) {
      existing = item;
      return InsertResult::Replaced;
    }
  }
  for (int i = 0; i < kWatchFillable; ++i) {
    if (!items_[static_cast<std::size_t>(i)].Used()) {
      items_[static_cast<std::size_t>(i)] = item;
      return InsertResult::Added;
    }
  }
  return InsertResult::Full;
}

void WatchTable::Delete(int row) {
  std::lock_guard lock(mutex_);
  if (row < 0 || row >= kWatchRecords) return;
  std::move(items_.begin() + row + 1, items_.end(), items_.begin() + row);
  items_.back() = WatchItem{};
}

void WatchTable::Move(int from, int to) {
  std::lock_guard lock(mutex_);
  if (from < 0 || from >= kWatchRecords || to < 0 || to >= kWatchRecords || from == to) return;
  if (from < to)
    std::rotate(items_.begin() + from, items_.begin() + from + 1, items_.begin() + to + 1);
  else
    std::rotate(items_.begin() + to, items_.begin() + from, items_.begin() + from + 1);
}

void WatchTable::Replace(const Items& items) {
  std::lock_guard lock(mutex_);
  items_ = items;
}

WatchTable::Query WatchTable::PollQuery() const {
  static constexpr const char* kFormats[] = {"P%d ", "Q%d ", "M%d ", "I%d "};
  Query query;
  std::lock_guard lock(mutex_);
  for (const WatchItem& item : items_) {
    if (!item.Used() || item.variableType < 1 || item.variableType > 4) continue;
    query.command += platform::Format(kFormats[item.variableType - 1], item.number);
    query.asked.push_back(item);
  }
  return query;
}

void WatchTable::Push(WatchItem& item, double raw) {
  item.raw = raw;
  if (item.Display() != WatchDisplay::Graph) return;
  std::move(item.history.begin() + 1, item.history.end(), item.history.begin());
  item.history.back() = raw;
}

void WatchTable::StoreReply(const Query& query, std::string_view reply) {
  reply = platform::Cut(reply, monitor::kReplySize);
  std::size_t position = 0;
  std::lock_guard lock(mutex_);
  for (const WatchItem& asked : query.asked) {
    if (position >= reply.size()) break;
    double value = 0;
    const bool read =
        platform::Scan(reply.substr(position), monitor::kReplySize, "%lf", &value) == 1 &&
        std::isfinite(value);
    if (read) {
      for (WatchItem& item : items_)
        if (item.Used() && item.SameVariable(asked)) Push(item, value);
    }
    const std::size_t cr = reply.find('\r', position);
    position = cr == std::string_view::npos ? reply.size() : cr + 1;
  }
}

void WatchTable::Sweep(int liveCount) {
  std::lock_guard lock(mutex_);
  for (WatchItem& item : items_) {
    if (!item.Used()) continue;
    // The shown (scaled) value is what sweeps the range, whatever the scaling factor.
    const double shown = item.minimum + (item.maximum - item.minimum) * liveCount * 0.01;
    Push(item, item.scale != 0 ? shown / item.scale : shown);
  }
}

}  // namespace bl::diagnostics
