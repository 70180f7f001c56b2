#include "series/data_window.h"

#include <algorithm>
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
constexpr Rgb kLineColor{160, 160, 160};
constexpr int kBoxLeft = 10;
constexpr int kBoxRight = 30;
constexpr unsigned kRightCell =
    platform::text::kRight | platform::text::kVCenter | platform::text::kSingleLine;
constexpr unsigned kLeftCell =
    platform::text::kLeft | platform::text::kVCenter | platform::text::kSingleLine;

// Column edges: "Series" 40..100, "Address" 100..200, "Points" 200..300, "Freq. (Hz)" 300..400,
// "Title" from 420. Right-aligned texts keep a few pixels off the next column.
constexpr int kSeriesLeft = 40, kAddressLeft = 100, kPointsLeft = 200, kFreqLeft = 300,
              kFreqRight = 400, kTitleLeft = 420, kGap = 4;

std::string SourceText(const DataSeries& s) {
  switch (s.sourceType) {
    case SourceType::kX:
      return Format("X:$%x", s.address);
    case SourceType::kY:
      return Format("Y:$%x", s.address);
    case SourceType::kD:
      return Format("D:$%x", s.address);
    case SourceType::kL:
      return Format("L:$%x", s.address);
    default:
      return "----";
  }
}

}  // namespace

int DataWindow::Count() const { return std::clamp(table_.seriesCount, 1, kMaxSeriesCount); }

int DataWindow::Page() const { return std::max((height_ - kDataHeaderHeight) / kDataRowHeight, 1); }

void DataWindow::SetClientHeight(int height) {
  height_ = std::max(height, 0);
  LimitFirstRow();
}

void DataWindow::LimitFirstRow() {
  firstRow_ = std::clamp(firstRow_, 1, std::max(Count() - Page() + 1, 1));
}

void DataWindow::KeepCurrentVisible() {
  const int current = table_.currentSeries;
  if (current < firstRow_) firstRow_ = current;
  if (current >= firstRow_ + Page()) firstRow_ = current - Page() + 1;
  LimitFirstRow();
}

platform::ScrollBarSettings DataWindow::VerticalBar() const {
  return {1, Count(), Page(), firstRow_};
}

void DataWindow::Paint(platform::Canvas& canvas) {
  const platform::Size size = canvas.PixelSize();
  SetClientHeight(size.height);
  const int w = size.width;
  canvas.FillRect({0, 0, w, size.height}, kWhite);
  canvas.FillRect({0, 0, w, kDataHeaderHeight}, kDataHeaderColor);
  canvas.SetFont(platform::FontId::Fixed);
  canvas.SetTextColor(kBlack);
  canvas.SetTextBackground(kWhite, false);
  const Rect header{0, 0, w, kDataHeaderHeight};
  auto cell = [&canvas](std::string_view text, const Rect& row, int left, int right,
                        unsigned flags) {
    canvas.DrawText(text, {left, row.top, right, row.bottom}, flags);
  };
  cell("Series", header, kSeriesLeft, kAddressLeft - kGap, kRightCell);
  cell("Address", header, kAddressLeft, kPointsLeft - kGap, kRightCell);
  cell("Points", header, kPointsLeft, kFreqLeft - kGap, kRightCell);
  cell("Freq. (Hz)", header, kFreqLeft, kFreqRight - kGap, kRightCell);
  cell("Title", header, kTitleLeft, std::max(w, kTitleLeft), kLeftCell);

  canvas.SetPen(kLineColor, 1);
  canvas.SetHollowBrush();
  for (int k = firstRow_; k <= Count(); ++k) {
    const int top = kDataHeaderHeight + (k - firstRow_) * kDataRowHeight;
    if (top >= size.height) break;
    const Rect row{0, top, w, top + kDataRowHeight};
    const DataSeries& s = table_[k];
    canvas.SetPen(kBlack, 1);
    canvas.DrawRectangle({kBoxLeft, top + 2, kBoxRight, top + kDataRowHeight - 2});
    if (s.active) {
      canvas.DrawLine({kBoxLeft + 3, top + 4}, {kBoxRight - 3, top + kDataRowHeight - 4});
      canvas.DrawLine({kBoxLeft + 3, top + kDataRowHeight - 5}, {kBoxRight - 3, top + 3});
    }
    cell(Format("%d:", k), row, kSeriesLeft, kAddressLeft - kGap, kRightCell);
    cell(SourceText(s), row, kAddressLeft, kPointsLeft - kGap, kRightCell);
    cell(Format("%d", s.sampleCount), row, kPointsLeft, kFreqLeft - kGap, kRightCell);
    cell(s.rawDataPeriod != 0.0 ? Format("%.4lf", 1.0 / s.rawDataPeriod) : "0.0000", row, kFreqLeft,
         kFreqRight - kGap, kRightCell);
    cell(s.title, row, kTitleLeft, std::max(w, kTitleLeft), kLeftCell);
    canvas.SetPen(kLineColor, 1);
    canvas.DrawLine({0, row.bottom - 1}, {w, row.bottom - 1});
    if (k == table_.currentSeries) canvas.InvertRect({kSeriesLeft, top, w, row.bottom}, kBlack);
  }
}

int DataWindow::RowAt(int y) const {
  if (y < kDataHeaderHeight) return -1;
  return (y - kDataHeaderHeight) / kDataRowHeight + firstRow_;
}

void DataWindow::LeftButton(Point at) {
  const int k = RowAt(at.y);
  if (k < 1 || k > Count()) return;
  table_.currentSeries = k;
  if (at.x >= kBoxLeft && at.x <= kBoxRight) {
    table_[k].active = !table_[k].active;
    Changed();
  }
}

void DataWindow::RightButton(Point at) {
  const int k = RowAt(at.y);
  if (k < 1 || k > Count()) return;
  table_.currentSeries = k;
  if (editSources) editSources();
}

void DataWindow::Clear(int k) {
  table_.ClearSeries(k);
  DataSeries& s = table_[k];
  s.rawDataAddress = 0;
  s.rawDataPeriod = 0.0;
  Changed();
}

void DataWindow::Changed() {
  if (seriesChanged) seriesChanged();
}

void DataWindow::Key(TableKey key) {
  const int k = std::clamp(table_.currentSeries, 1, Count());
  switch (key) {
    case TableKey::Enter:
      table_.currentSeries = k;
      if (editSources) editSources();
      break;
    case TableKey::Space:
      table_.currentSeries = k;
      table_[k].active = !table_[k].active;
      Changed();
      break;
    case TableKey::Up:
      table_.currentSeries = std::max(k - 1, 1);
      break;
    case TableKey::Down:
      table_.currentSeries = std::min(k + 1, Count());
      break;
    case TableKey::Delete:
      Clear(k);
      break;
    default:
      return;
  }
  KeepCurrentVisible();
}

void DataWindow::Character(char c) {
  const int k = table_.currentSeries;
  if (k < 1 || k > Count()) return;
  if (c == kCtrlC || c == kCtrlX) CopySeriesText(table_, k, desktop_);
  if (c == kCtrlX) Clear(k);
  if (c == kCtrlV && PasteSeriesText(table_, k, desktop_)) Changed();
}

void DataWindow::Scroll(platform::ScrollAction action, int thumb) {
  firstRow_ = platform::ScrolledPosition(action, firstRow_, Page(), thumb, 1, Count());
  LimitFirstRow();
}

}  // namespace bl::series
