#pragma once

#include <array>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace bl::diagnostics {

// What a watched value is shown as; the numbers are the diagnostic item kinds that draw it.
enum class WatchDisplay : int { Value = 5, Lamp = 2, Meter = 4, Graph = 10 };

inline constexpr int kWatchRecords = 20;
// The dialog fills records 0..18 only, so at most 19 items are ever shown.
inline constexpr int kWatchFillable = 19;
inline constexpr int kWatchHistory = 50;
inline constexpr int kWatchPrecisionLimit = 12;

// One watch record, in the terms of the diagnostic item layout it borrows: kind 0 is a free
// record; the rest of the look (colours, parameters, angle) follows from the kind.
struct WatchItem {
  int kind = 0;          // a WatchDisplay, or 0
  int variableType = 0;  // 1 P, 2 Q, 3 M, 4 I
  int number = 0;
  double scale = 1.0;
  double maximum = 0;
  double minimum = 0;
  int precision = 3;                            // decimals; negative: hexadecimal digits
  double raw = 0;                               // the last value read from the controller
  std::array<double, kWatchHistory> history{};  // raw values, oldest first (Graph items)

  bool Used() const { return kind != 0; }
  WatchDisplay Display() const { return static_cast<WatchDisplay>(kind); }
  double Scaled() const { return raw * scale; }
  bool HasRange() const { return maximum != 0 || minimum != 0; }
  bool OutOfRange() const { return HasRange() && (Scaled() < minimum || Scaled() > maximum); }
  bool SameVariable(const WatchItem& other) const {
    return variableType == other.variableType && number == other.number;
  }
};

// "P%d", "Q%d", "M%d" or "I%d".
std::string WatchVariableName(int variableType, int number);

// The watch table: the items the window shows and the monitor thread polls. Every access goes
// through the one lock, so the monitor's values never tear an item the user is moving.
class WatchTable {
 public:
  using Items = std::array<WatchItem, kWatchRecords>;

  enum class InsertResult { Added, Replaced, Full };

  Items Copy() const;
  int UsedCount() const;
  bool Holds(int row) const;

  // An item of the same variable is replaced in place; otherwise the first free record among
  // the first 19 takes it.
  InsertResult Insert(const WatchItem& item);
  // Removes the item in the row: the following items move up and the last record is freed.
  void Delete(int row);
  // Takes the item out of row `from` and puts it back at `to`, the items between moving one
  // place toward `from`.
  void Move(int from, int to);
  // The whole table at once (settings read at start).
  void Replace(const Items& items);

  // The combined query of the used items, "P%d " each, and the variables it asks for in order.
  struct Query {
    std::string command;
    std::vector<WatchItem> asked;  // type and number only matter
  };
  Query PollQuery() const;
  // Spreads a reply to the query over the items: one real per line, in order. A line without a
  // number leaves its item as it was; items moved or removed since the query keep their values
  // (they are found by variable, not by row).
  void StoreReply(const Query& query, std::string_view reply);
  // Without a controller: each item sweeps its own range with the live counter (0..100).
  void Sweep(int liveCount);

 private:
  static void Push(WatchItem& item, double raw);

  mutable std::mutex mutex_;
  Items items_{};
};

// The last values of the "Insert/Modify Watch Item" dialog, kept for the run.
struct WatchDialogDefaults {
  double scale = 1.0;
  double maximum = 0;
  double minimum = 0;
  int precision = 3;
  WatchDisplay display = WatchDisplay::Value;
};

}  // namespace bl::diagnostics
