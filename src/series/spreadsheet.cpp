#include "series/spreadsheet.h"

#include <algorithm>
#include <span>
#include <string>

#include "platform/text_format.h"
#include "series/series_clipboard.h"
#include "series/series_table.h"

namespace bl::series {
namespace {

using platform::Format;
using platform::Point;
using platform::Rect;
using platform::Rgb;

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kGridColor{128, 128, 128};
constexpr unsigned kCentred =
    platform::text::kCenter | platform::text::kVCenter | platform::text::kSingleLine;
constexpr unsigned kRightCell =
    platform::text::kRight | platform::text::kVCenter | platform::text::kSingleLine;

// A column's parts: the sub-heading and where it sits within the column.
struct Part {
  const char* heading;
  int left;
  int right;
};

std::span<const Part> Parts(SheetLayout layout) {
  static constexpr Part kBoth[] = {{"X-Word", 0, 80}, {"Y-Word", 80, 160}, {"Scaled", 160, 300}};
  static constexpr Part kWordsOnly[] = {{"X-Word", 0, 82}, {"Y-Word", 82, 165}};
  static constexpr Part kValuesOnly[] = {{"Scaled", 0, 140}};
  switch (layout) {
    case SheetLayout::kWords:
      return kWordsOnly;
    case SheetLayout::kValues:
      return kValuesOnly;
    default:
      return kBoth;
  }
}

std::string PartText(const DataSeries& s, const Part& part, int point) {
  const auto i = static_cast<std::size_t>(point);
  if (point >= s.sampleCount || i >= s.values.size()) return "---";
  switch (part.heading[0]) {
    case 'X':
      return Format("$%6.6X", s.xWords[i] & 0xFFFFFF);
    case 'Y':
      return Format("$%6.6X", s.yWords[i] & 0xFFFFFF);
    default:
      return Format("%lf", s.values[i]);
  }
}

}  // namespace

int SheetColumnWidth(SheetLayout layout) {
  switch (layout) {
    case SheetLayout::kWords:
      return 165;
    case SheetLayout::kValues:
      return 140;
    default:
      return 300;
  }
}

int SheetRowNumberWidth(int pointCount) {
  int digits = 1;
  for (int n = pointCount; n >= 10; n /= 10) ++digits;
  return 10 + 9 * digits;
}

int Spreadsheet::Count() const { return std::clamp(table_.seriesCount, 1, kMaxSeriesCount); }

int Spreadsheet::PointCount() const {
  int most = 0;
  for (int k = 1; k <= Count(); ++k) most = std::max(most, table_[k].sampleCount);
  return most;
}

int Spreadsheet::RowPage() const {
  return std::max((size_.height - kSheetFirstRowTop) / kSheetRowHeight, 1);
}

int Spreadsheet::ColumnPage() const {
  const int room = size_.width - SheetRowNumberWidth(PointCount());
  return std::max(room / SheetColumnWidth(layout_), 1);
}

void Spreadsheet::SetClientSize(platform::Size size) {
  size_ = size;
  LimitScroll();
}

void Spreadsheet::LimitScroll() {
  firstSeries_ = std::clamp(firstSeries_, 1, std::max(Count() - ColumnPage() + 1, 1));
  firstPoint_ = std::clamp(firstPoint_, 0, std::max(PointCount() - RowPage(), 0));
}

platform::ScrollBarSettings Spreadsheet::VerticalBar() const {
  return {0, std::max(PointCount() - 1, 0), RowPage(), firstPoint_};
}

platform::ScrollBarSettings Spreadsheet::HorizontalBar() const {
  return {1, Count(), ColumnPage(), firstSeries_};
}

void Spreadsheet::Paint(platform::Canvas& canvas) {
  SetClientSize(canvas.PixelSize());
  const int w = size_.width, h = size_.height;
  const int points = PointCount();
  const int numbers = SheetRowNumberWidth(points);
  const int columnWidth = SheetColumnWidth(layout_);
  canvas.FillRect({0, 0, w, h}, kWhite);
  canvas.FillRect({0, 0, w, kSheetHeaderHeight}, kSheetGrey);
  canvas.FillRect({0, 0, numbers, h}, kSheetGrey);
  canvas.SetFont(platform::FontId::Fixed);
  canvas.SetTextColor(kBlack);
  canvas.SetTextBackground(kWhite, false);
  canvas.SetPen(kGridColor, 1);
  canvas.DrawLine({0, kSheetHeaderHeight}, {w, kSheetHeaderHeight});

  const int lastRow = std::min(points - 1, firstPoint_ + RowPage());
  for (int p = firstPoint_; p <= lastRow; ++p) {
    const int top = kSheetFirstRowTop + (p - firstPoint_) * kSheetRowHeight;
    canvas.DrawText(Format("%d", p + 1), {0, top, numbers - 4, top + kSheetRowHeight}, kRightCell);
  }
  const SheetCell low{std::min(active_.series, anchor_.series),
                      std::min(active_.point, anchor_.point)};
  const SheetCell high{std::max(active_.series, anchor_.series),
                       std::max(active_.point, anchor_.point)};
  for (int k = firstSeries_; k <= Count(); ++k) {
    const int left = numbers + (k - firstSeries_) * columnWidth;
    if (left >= w) break;
    const DataSeries& s = table_[k];
    const int right = left + columnWidth;
    canvas.DrawText(Format("Series #%d", k), {left, 1, right, 25}, kCentred);
    canvas.DrawText(s.title, {left + 2, 26, right - 2, 50}, kCentred);
    for (const Part& part : Parts(layout_)) {
      canvas.DrawText(part.heading, {left + part.left, 51, left + part.right, 75}, kCentred);
      for (int p = firstPoint_; p <= lastRow; ++p) {
        const int top = kSheetFirstRowTop + (p - firstPoint_) * kSheetRowHeight;
        canvas.DrawText(PartText(s, part, p),
                        {left + part.left + 2, top, left + part.right - 4, top + kSheetRowHeight},
                        kRightCell);
      }
    }
    canvas.DrawLine({right - 1, 0}, {right - 1, h});
  }
  canvas.DrawLine({numbers - 1, 0}, {numbers - 1, h});

  // The selection, clipped to what is on screen.
  const int selLeft = std::max(numbers + (low.series - firstSeries_) * columnWidth, numbers);
  const int selRight = numbers + (high.series - firstSeries_ + 1) * columnWidth;
  const int selTop =
      std::max(kSheetFirstRowTop + (low.point - firstPoint_) * kSheetRowHeight, kSheetFirstRowTop);
  const int selBottom = kSheetFirstRowTop + (high.point - firstPoint_ + 1) * kSheetRowHeight;
  if (points > 0 && selRight > selLeft && selBottom > selTop) {
    canvas.InvertRect({selLeft, selTop, std::min(selRight, w), std::min(selBottom, h)}, kBlack);
  }
}

SheetCell Spreadsheet::Limited(SheetCell cell) const {
  return {std::clamp(cell.series, 1, Count()),
          std::clamp(cell.point, 0, std::max(PointCount() - 1, 0))};
}

SheetCell Spreadsheet::CellAt(Point at) const {
  const int numbers = SheetRowNumberWidth(PointCount());
  const int column = at.x < numbers ? -1 : (at.x - numbers) / SheetColumnWidth(layout_);
  const int row = at.y < kSheetFirstRowTop ? -1 : (at.y - kSheetFirstRowTop) / kSheetRowHeight;
  return Limited({firstSeries_ + column, firstPoint_ + row});
}

void Spreadsheet::KeepActiveVisible() {
  if (active_.series < firstSeries_) firstSeries_ = active_.series;
  if (active_.series >= firstSeries_ + ColumnPage())
    firstSeries_ = active_.series - ColumnPage() + 1;
  if (active_.point < firstPoint_) firstPoint_ = active_.point;
  if (active_.point >= firstPoint_ + RowPage()) firstPoint_ = active_.point - RowPage() + 1;
  LimitScroll();
}

void Spreadsheet::MoveActive(SheetCell to, bool keepAnchor) {
  active_ = Limited(to);
  if (!keepAnchor) anchor_ = active_;
  KeepActiveVisible();
}

void Spreadsheet::Press(Point at, bool shift) { MoveActive(CellAt(at), shift); }

void Spreadsheet::Drag(Point at) { MoveActive(CellAt(at), true); }

void Spreadsheet::Key(TableKey key, bool shift, bool control) {
  SheetCell to = active_;
  switch (key) {
    case TableKey::Left:
      --to.series;
      break;
    case TableKey::Right:
      ++to.series;
      break;
    case TableKey::Up:
      --to.point;
      break;
    case TableKey::Down:
      ++to.point;
      break;
    case TableKey::PageUp:
      to.point -= RowPage();
      break;
    case TableKey::PageDown:
      to.point += RowPage();
      break;
    case TableKey::Delete:
      return Delete();
    case TableKey::Insert:
      if (control) return Copy();
      if (shift) return Paste();
      return;
    default:
      return;
  }
  MoveActive(to, shift);
}

void Spreadsheet::Character(char c) {
  if (c == kCtrlC) Copy();
  if (c == kCtrlV) Paste();
  if (c == kCtrlX) Cut();
}

void Spreadsheet::Copy() {
  CopyCells(table_, anchor_.series, anchor_.point, active_.series, active_.point, desktop_);
}

void Spreadsheet::Paste() {
  PastedCells result;
  if (!PasteCells(table_, active_.series, active_.point, desktop_, result)) return;
  anchor_ = {result.lastSeries, result.lastPoint};
  if (seriesChanged) seriesChanged();
}

void Spreadsheet::Cut() {
  // Nothing is deleted that did not reach the clipboard.
  if (CopyCells(table_, anchor_.series, anchor_.point, active_.series, active_.point, desktop_))
    Delete();
}

void Spreadsheet::Delete() {
  table_.DeletePoints(anchor_.series, anchor_.point, active_.series, active_.point);
  const SheetCell low{std::min(active_.series, anchor_.series),
                      std::min(active_.point, anchor_.point)};
  active_ = anchor_ = Limited(low);
  KeepActiveVisible();
  if (seriesChanged) seriesChanged();
}

void Spreadsheet::Scroll(bool vertical, platform::ScrollAction action, int thumb) {
  if (vertical) {
    firstPoint_ = platform::ScrolledPosition(action, firstPoint_, RowPage(), thumb, 0,
                                             std::max(PointCount() - 1, 0));
  } else {
    firstSeries_ =
        platform::ScrolledPosition(action, firstSeries_, ColumnPage(), thumb, 1, Count());
  }
  LimitScroll();
}

}  // namespace bl::series
