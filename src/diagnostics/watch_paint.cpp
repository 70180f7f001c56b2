#include "diagnostics/watch_paint.h"

#include <algorithm>

#include "definitions/definition_table.h"
#include "platform/color_palette.h"
#include "platform/text_format.h"

namespace bl::diagnostics {

namespace {

using platform::Canvas;
using platform::FontId;
using platform::PaletteColor;
using platform::Point;
using platform::Rect;
namespace text = platform::text;

constexpr int kBlack = 0;
constexpr int kWhite = 4;
constexpr int kRed = 5;
constexpr int kGreen = 9;
constexpr int kRowHeight = 25;

// The display templates of the watch window, as diagnostic items: the value column is drawn by
// the diagnostic painter.
DiagnosticItem TemplateOf(WatchDisplay display) {
  DiagnosticItem item;
  item.kind = static_cast<int>(display);
  item.angle = 90;
  item.alignment = 5;
  // Any variable: the active state follows the range.
  item.variableA = 0;
  switch (display) {
    case WatchDisplay::Lamp:
      item.style = 4;
      item.fillNormal = kRed;
      item.fillActive = kGreen;
      item.parameter1 = 25;
      item.parameter2 = 50;
      break;
    case WatchDisplay::Meter:
      item.fillNormal = 1;
      item.fillActive = kGreen;
      item.parameter1 = 15;
      item.parameter2 = 15;
      break;
    case WatchDisplay::Graph:
      item.outlineActive = kGreen;
      item.fillNormal = 1;
      item.fillActive = kGreen;
      item.parameter1 = 15;
      item.parameter2 = 15;
      break;
    case WatchDisplay::Value:
      item.outlineNormal = kRed;
      item.outlineActive = kBlack;
      item.fillNormal = platform::kPaletteNone;
      item.fillActive = platform::kPaletteNone;
      item.parameter1 = 30;
      item.parameter2 = 20;
      break;
  }
  return item;
}

// The value column of one item; top is the row's value box top in page coordinates.
void PaintValue(Canvas& canvas, const WatchItem& item, int top) {
  DiagnosticItem look = TemplateOf(item.Display());
  look.precision = item.precision;
  look.maximum = item.maximum;
  look.minimum = item.minimum;
  look.x1 = 320;
  look.x2 = 472;
  look.y1 = top;
  look.y2 = top + 18;
  if (item.Display() == WatchDisplay::Meter) {
    // Upright in the middle of the column; its angle of 90 degrees lays it across the column.
    look.x1 = 387;
    look.x2 = 405;
    look.y1 = top - 67;
    look.y2 = top + 85;
  }
  if (item.Display() == WatchDisplay::Graph) {
    // The history holds raw values; the range is in scaled units, as the value column is.
    for (int i = 0; i < kWatchHistory; ++i)
      look.history[static_cast<std::size_t>(i)] =
          static_cast<float>(item.history[static_cast<std::size_t>(i)] * item.scale);
  }
  PaintItem(canvas, look, item.Scaled(), false);
}

void Label(Canvas& canvas, std::string_view s, const Rect& r, unsigned align) {
  canvas.DrawText(s, r, align | text::kVCenter | text::kSingleLine);
}

}  // namespace

platform::Size WatchWindowSize(int usedCount) {
  return {kWatchWindowWidth, kRowHeight * usedCount + 66};
}

void PaintWatchWindow(Canvas& canvas, const WatchTable::Items& items,
                      const DefinitionTable& definitions, int liveCount, int selectedRow) {
  const int n = static_cast<int>(
      std::count_if(items.begin(), items.end(), [](const WatchItem& i) { return i.Used(); }));
  const int right = kWatchWindowWidth - 4;
  PaintPageFrame(canvas, 478, kRowHeight * (n + 1), kWhite, "Variable Watch Window", liveCount);

  // The "Insert" button in the title bar, raised by a second rectangle behind it.
  canvas.SetPen(PaletteColor(kBlack));
  canvas.SetBrush(platform::kLightGrey);
  canvas.DrawRectangle({37, 6, 112, 30});
  canvas.DrawRectangle({35, 8, 110, 32});
  canvas.SetFont(FontId::Fixed);
  canvas.SetTextColor(PaletteColor(kBlack));
  canvas.SetTextBackground(platform::kLightGrey, true);
  Label(canvas, "Insert", {35, 8, 110, 32}, text::kCenter);

  // The header row and the column lines.
  canvas.DrawRectangle({4, 35, 482, 60});
  canvas.SetFont(FontId::Arial);
  Label(canvas, "Var.", {4, 35, 56, 60}, text::kCenter);
  Label(canvas, "Definition", {56, 35, 320, 60}, text::kCenter);
  Label(canvas, "Value", {320, 35, 482, 60}, text::kCenter);
  canvas.DrawLine({56, 35}, {56, kRowHeight * n + 60});
  canvas.DrawLine({320, 35}, {320, kRowHeight * n + 60});

  int r = 0;
  for (const WatchItem& item : items) {
    if (!item.Used()) continue;
    const int top = 60 + kRowHeight * r;  // client y of the row's separator
    const bool warn = item.OutOfRange();
    const platform::Rgb ink = PaletteColor(warn ? kWhite : kBlack);
    const platform::Rgb paper = PaletteColor(warn ? kRed : kWhite);
    canvas.FillRect({5, top + 1, 56, top + kRowHeight}, paper);
    canvas.FillRect({57, top + 1, 320, top + kRowHeight}, paper);
    canvas.SetFont(FontId::Arial);
    canvas.SetTextColor(ink);
    canvas.SetTextBackground(paper, true);
    Label(canvas, WatchVariableName(item.variableType, item.number),
          {7, top + 1, 56, top + kRowHeight}, text::kLeft);
    const auto kind = static_cast<VariableKind>(item.variableType - 1);
    Label(canvas, platform::Cut(definitions.NameOf(kind, item.number), 32),
          {60, top + 1, 320, top + kRowHeight}, text::kLeft);

    PaintValue(canvas, item, 29 + kRowHeight * r);

    canvas.SetPen(PaletteColor(kBlack));
    canvas.DrawLine({4, top}, {right, top});
    ++r;
  }

  if (selectedRow >= 0 && selectedRow < kWatchRecords) {
    canvas.SetPen(PaletteColor(kRed), 3);
    canvas.SetHollowBrush();
    canvas.DrawRectangle({4, 62 + kRowHeight * selectedRow, right, 84 + kRowHeight * selectedRow});
  }
}

}  // namespace bl::diagnostics
