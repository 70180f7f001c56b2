#include "diagnostics/watch_paint.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "definitions/definition_table.h"
#include "link/pmac_link.h"
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

constexpr int kGrey = 2;
constexpr int kBlack = 0;
constexpr int kWhite = 4;
constexpr int kRed = 5;
constexpr int kGreen = 9;
constexpr int kBlue = 13;

// Page coordinates start here in the client area.
constexpr int kPageLeft = 4;
constexpr int kPageTop = 35;
constexpr int kRowHeight = 25;

// An item's look: the display templates of the watch window.
struct Look {
  int style = 0;
  int outline[2] = {0, 0};  // normal, active
  int fill[2] = {15, 15};
  int parameter1 = 0;
  int parameter2 = 0;
};

Look LookOf(WatchDisplay display) {
  switch (display) {
    case WatchDisplay::Lamp:
      return {4, {0, 0}, {kRed, kGreen}, 25, 50};
    case WatchDisplay::Meter:
      return {0, {0, 0}, {1, kGreen}, 15, 15};
    case WatchDisplay::Graph:
      return {0, {0, kGreen}, {1, kGreen}, 15, 15};
    case WatchDisplay::Value:
      break;
  }
  return {0, {kRed, kBlack}, {15, 15}, 30, 20};
}

// An outline field 0..47 picks palette colour (field mod 16) in width (field div 16) + 1;
// colour 15 draws no outline.
void SelectOutline(Canvas& canvas, int field) {
  if (field < 0 || field > 47) field = 0;
  if (field % 16 == platform::kPaletteNone)
    canvas.SetNullPen();
  else
    canvas.SetPen(PaletteColor(field % 16), field / 16 + 1);
}

void SelectFill(Canvas& canvas, int field) {
  if (field < 0 || field > 15) field = 0;
  if (field == platform::kPaletteNone)
    canvas.SetHollowBrush();
  else
    canvas.SetBrush(PaletteColor(field));
}

int Round(double v) { return static_cast<int>(std::floor(v + 0.5)); }

// The point at (dx, dy) from the centre, turned clockwise on the screen by `angle` degrees.
Point Turned(double cx, double cy, double dx, double dy, double angle) {
  const double a = angle * std::numbers::pi / 180;
  return {Round(cx + dx * std::cos(a) - dy * std::sin(a)),
          Round(cy + dx * std::sin(a) + dy * std::cos(a))};
}

// The fraction of a gauge: where the value lies between minimum and maximum, 0..1.
double Fraction(double value, double minimum, double maximum) {
  if (maximum == minimum) return 0;
  return std::clamp((value - minimum) / (maximum - minimum), 0.0, 1.0);
}

// The bar gauge in `box`, turned by the angle about its centre: the box in the normal colours,
// the part from the bottom up to the fraction in the active colours, and the ticks.
void PaintBar(Canvas& canvas, const Rect& box, const Look& look, double f, int angle) {
  const double cx = (box.left + box.right) / 2.0;
  const double cy = (box.top + box.bottom) / 2.0;
  const double w = box.Width();
  const double h = box.Height();
  auto at = [&](double x, double y) { return Turned(cx, cy, x - cx, y - cy, angle); };
  auto quad = [&](double top) {
    return std::vector<Point>{at(box.left, top), at(box.right, top), at(box.right, box.bottom),
                              at(box.left, box.bottom)};
  };
  SelectOutline(canvas, look.outline[0]);
  SelectFill(canvas, look.fill[0]);
  canvas.DrawPolygon(quad(box.top));
  SelectOutline(canvas, look.outline[1]);
  SelectFill(canvas, look.fill[1]);
  canvas.DrawPolygon(quad(box.top + (1 - f) * h));
  if (look.parameter1 == 0) return;
  const int n = (look.parameter1 - 1) / 4 + 1;
  SelectOutline(canvas, look.outline[0]);
  for (int i = 0; i < n; ++i) {
    const double y = box.top + i * h / n;
    canvas.DrawLine(at(box.left, y), at(box.left + 0.2 * w, y));
    canvas.DrawLine(at(box.left + 0.8 * w, y), at(box.right, y));
  }
}

// The strip chart: the box, its grid, the samples oldest first and a dot on the newest.
void PaintChart(Canvas& canvas, const Rect& box, const Look& look, const WatchItem& item) {
  SelectOutline(canvas, look.outline[0]);
  SelectFill(canvas, look.fill[0]);
  canvas.DrawRectangle(box);
  const int w = box.Width();
  const int h = box.Height();
  const int m = look.parameter2 == 0 ? 0 : (look.parameter2 - 1) / 4 + 1;
  const int k = look.parameter1 == 0 ? 0 : (look.parameter1 - 1) / 4 + 1;
  for (int i = 1; i < m; ++i)
    canvas.DrawLine({box.left, box.top + i * h / m}, {box.right, box.top + i * h / m});
  for (int i = 1; i < k; ++i)
    canvas.DrawLine({box.left + i * w / k, box.top}, {box.left + i * w / k, box.bottom});
  std::vector<Point> points;
  for (int i = 0; i < kWatchHistory; ++i) {
    // The history holds raw values; the range is in scaled units, as the value column is.
    const double sample = item.history[static_cast<std::size_t>(i)] * item.scale;
    double g = 0;
    if (item.minimum != item.maximum)
      g = std::clamp((sample - item.maximum) / (item.minimum - item.maximum), 0.0, 1.0);
    points.push_back({box.left + (i * w) / kWatchHistory, box.top + static_cast<int>(h * g)});
  }
  SelectOutline(canvas, look.outline[1]);
  SelectFill(canvas, look.fill[1]);
  canvas.DrawPolyline(points);
  const Point last = points.back();
  canvas.DrawEllipse({last.x - 3, last.y - 3, last.x + 3, last.y + 3});
}

// The value column of one item, its box in client coordinates.
void PaintValue(Canvas& canvas, const WatchItem& item, const Rect& box) {
  const Look look = LookOf(item.Display());
  const int state = WatchActive(item) ? 1 : 0;
  switch (item.Display()) {
    case WatchDisplay::Lamp:
      SelectOutline(canvas, look.outline[state]);
      SelectFill(canvas, look.fill[state]);
      canvas.DrawRoundRect(box, look.parameter1 * box.Width() / 100,
                           look.parameter2 * box.Height() / 100);
      return;
    case WatchDisplay::Meter: {
      // The meter's box stands upright in the middle of the column; its angle of 90 degrees
      // lays it across the column.
      const int cx = (box.left + box.right) / 2;
      const int cy = (box.top + box.bottom) / 2;
      const int half = box.Width() / 2;
      const int thick = box.Height() / 2;
      const Rect upright{cx - thick, cy - half, cx + thick, cy + half};
      PaintBar(canvas, upright, look, Fraction(item.Scaled(), item.minimum, item.maximum), 90);
      return;
    }
    case WatchDisplay::Graph:
      PaintChart(canvas, box, look, item);
      return;
    case WatchDisplay::Value: {
      const int outline = look.outline[state];
      const int fill = look.fill[state];
      canvas.SetFont(FontId::Fixed);
      canvas.SetTextColor(PaletteColor(outline % 16));
      canvas.SetTextBackground(PaletteColor(fill), fill != platform::kPaletteNone);
      canvas.DrawText(ValueText(item.Scaled(), item.precision),
                      {box.left + 3, box.top + 3, box.right - 3, box.bottom - 3},
                      text::kRight | text::kVCenter | text::kSingleLine);
      return;
    }
  }
}

void Label(Canvas& canvas, std::string_view s, const Rect& r, unsigned align) {
  canvas.DrawText(s, r, align | text::kVCenter | text::kSingleLine);
}

}  // namespace

std::string ValueText(double value, int precision) {
  if (precision >= 0) return platform::Format("%.*lf", precision, value);
  return platform::Format("$%.*X", -precision, static_cast<unsigned>(TruncateToInt(value)));
}

bool WatchActive(const WatchItem& item) {
  const double v = item.Scaled();
  if (item.minimum == item.maximum) return v >= item.maximum;
  return item.minimum <= v && v <= item.maximum;
}

void PaintPageFrame(Canvas& canvas, int width, int height, int fill, std::string_view title,
                    int liveCount) {
  const int w = width;
  const int h = height;
  canvas.FillRect({0, 0, w + 10, h + 41}, PaletteColor(kBlack));
  canvas.SetNullPen();
  canvas.FillRect({0, 0, w + 8, h + 39}, PaletteColor(kGrey));
  canvas.SetPen(PaletteColor(kBlack));
  SelectFill(canvas, fill);
  canvas.DrawRectangle({kPageLeft, kPageTop, w + 5, h + 35});
  canvas.SetBrush(PaletteColor(kBlue));
  canvas.DrawRectangle({3, 3, w + 5, 35});
  canvas.SetFont(FontId::Arial);
  canvas.SetTextColor(PaletteColor(kWhite));
  canvas.SetTextBackground(PaletteColor(kBlue), false);
  canvas.DrawText(title, {4, 4, w + 4, 35}, text::kCenter | text::kVCenter | text::kSingleLine);
  // The raised edge of the whole window.
  canvas.SetPen(PaletteColor(kWhite));
  canvas.DrawLine({0, 0}, {w + 9, 0});
  canvas.DrawLine({0, 0}, {0, h + 40});
  canvas.SetPen(PaletteColor(kBlack));
  canvas.DrawLine({0, h + 40}, {w + 10, h + 40});
  canvas.DrawLine({w + 9, 0}, {w + 9, h + 41});
  // The close box.
  canvas.FillRect({w - 24, 7, w - 3, 28}, PaletteColor(kGrey));
  canvas.SetPen(PaletteColor(kWhite));
  canvas.DrawLine({w - 24, 7}, {w - 3, 7});
  canvas.DrawLine({w - 24, 7}, {w - 24, 28});
  canvas.SetPen(PaletteColor(kBlack), 2);
  canvas.DrawLine({w - 18, 13}, {w - 9, 22});
  canvas.DrawLine({w - 18, 22}, {w - 9, 13});
  // The live indicator.
  canvas.SetPen(PaletteColor(kBlack));
  canvas.SetBrush(PaletteColor(kWhite));
  canvas.DrawRectangle({11, 8, 27, 32});
  const int y = 12 + static_cast<int>(0.32 * std::abs(50 - liveCount));
  canvas.SetBrush(PaletteColor(kGreen));
  canvas.DrawRectangle({11, y - 4, 27, y + 4});
}

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

    const int y = 29 + kRowHeight * r + kPageTop;  // the value box's top, in client pixels
    PaintValue(canvas, item, {320 + kPageLeft, y, 472 + kPageLeft, y + 18});

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
