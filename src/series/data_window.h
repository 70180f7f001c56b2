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

inline constexpr int kDataHeaderHeight = 25;
inline constexpr int kDataRowHeight = 15;
inline constexpr platform::Rgb kDataHeaderColor{190, 190, 190};

// The data window: one row per series with its source, size, sample rate and title. The row of
// the current series is the selection. Every handler leaves the window ready to be redrawn.
class DataWindow {
 public:
  DataWindow(SeriesTable& table, platform::Desktop& desktop) : table_(table), desktop_(desktop) {}

  // Opens "Edit Data Sources" for the current series.
  std::function<void()> editSources;
  // Told after a series changed in a way other views show (cleared, pasted, switched on or off).
  std::function<void()> seriesChanged;

  // The client height decides the page of the scroll bar.
  void SetClientHeight(int height);
  int FirstRow() const { return firstRow_; }

  void Paint(platform::Canvas& canvas);
  platform::ScrollBarSettings VerticalBar() const;

  void LeftButton(platform::Point at);
  void RightButton(platform::Point at);
  void Key(TableKey key);
  void Character(char c);
  void Scroll(platform::ScrollAction action, int thumb);

 private:
  int Count() const;
  int Page() const;
  int RowAt(int y) const;
  void LimitFirstRow();
  void KeepCurrentVisible();
  void Clear(int k);
  void Changed();

  SeriesTable& table_;
  platform::Desktop& desktop_;
  int height_ = 0;
  int firstRow_ = 1;
};

}  // namespace bl::series
