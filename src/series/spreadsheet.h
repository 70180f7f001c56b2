#pragma once

#include <functional>

#include "platform/canvas.h"
#include "platform/scroll_bar.h"
#include "series/table_input.h"

namespace bl::platform {
class Desktop;
}

namespace bl::series {

class SeriesTable;

inline constexpr int kSheetHeaderHeight = 75;
inline constexpr int kSheetFirstRowTop = 76;
inline constexpr int kSheetRowHeight = 15;
inline constexpr platform::Rgb kSheetGrey{192, 192, 192};

// What a spreadsheet column shows: the view ids 20 (words and values), 21 (words), 22 (values).
enum class SheetLayout { kWordsAndValues = 20, kWords = 21, kValues = 22 };
int SheetColumnWidth(SheetLayout layout);
// 10 + 9 pixels a digit of the largest point count (at least one digit).
int SheetRowNumberWidth(int pointCount);

struct SheetCell {
  int series = 1;
  int point = 0;
  friend bool operator==(const SheetCell&, const SheetCell&) = default;
};

// The spreadsheet: the samples of every series side by side, one column per series, with a
// rectangular selection between the active cell and the anchor that is copied, pasted and
// deleted as raw word cells.
class Spreadsheet {
 public:
  Spreadsheet(SeriesTable& table, platform::Desktop& desktop) : table_(table), desktop_(desktop) {}

  // Told after series changed (pasted into, points deleted).
  std::function<void()> seriesChanged;

  void SetLayout(SheetLayout layout) { layout_ = layout; }
  SheetLayout Layout() const { return layout_; }
  void SetClientSize(platform::Size size);

  const SheetCell& Active() const { return active_; }
  const SheetCell& Anchor() const { return anchor_; }
  int FirstSeries() const { return firstSeries_; }
  int FirstPoint() const { return firstPoint_; }
  // The number of rows: the largest sample count of series 1..seriesCount.
  int PointCount() const;

  void Paint(platform::Canvas& canvas);
  platform::ScrollBarSettings VerticalBar() const;
  platform::ScrollBarSettings HorizontalBar() const;

  void Press(platform::Point at, bool shift);
  void Drag(platform::Point at);
  void Key(TableKey key, bool shift, bool control);
  void Character(char c);
  void Scroll(bool vertical, platform::ScrollAction action, int thumb);

  // The clipboard operations on the selection.
  void Copy();
  void Paste();
  void Cut();
  void Delete();

 private:
  int Count() const;
  int RowPage() const;
  int ColumnPage() const;
  SheetCell CellAt(platform::Point at) const;
  SheetCell Limited(SheetCell cell) const;
  void MoveActive(SheetCell to, bool keepAnchor);
  void KeepActiveVisible();
  void LimitScroll();

  SeriesTable& table_;
  platform::Desktop& desktop_;
  SheetLayout layout_ = SheetLayout::kWordsAndValues;
  platform::Size size_;
  SheetCell active_;
  SheetCell anchor_;
  int firstSeries_ = 1;
  int firstPoint_ = 0;
};

}  // namespace bl::series
