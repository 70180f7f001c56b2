#include "shell/toolbar_images.h"

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/color_palette.h"

namespace bl {

using platform::Point;
using platform::Rect;
using platform::Rgb;

namespace {

constexpr Rgb kInk{0, 0, 0};
constexpr Rgb kPaper{255, 255, 255};
constexpr Rgb kScreen{0, 0, 96};
constexpr Rgb kGreenText{0, 230, 0};
constexpr Rgb kGrid{128, 128, 128};
constexpr Rgb kHeader{192, 192, 192};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kRed{255, 0, 0};

void Text(platform::Canvas& c, const char* text, Rect box, Rgb color) {
  c.SetFont(platform::FontId::Fixed);
  c.SetTextColor(color);
  c.SetTextBackground(kPaper, false);
  c.DrawText(text, box,
             platform::text::kCenter | platform::text::kVCenter | platform::text::kSingleLine |
                 platform::text::kNoClip);
}

void Terminal(platform::Canvas& c) {
  c.SetPen(kInk, 1);
  c.SetBrush(kHeader);
  c.DrawRoundRect({6, 3, 42, 31}, 6, 6);
  c.SetBrush(kScreen);
  c.DrawRectangle({10, 7, 38, 27});
  Text(c, ">_", {10, 8, 38, 26}, kGreenText);
  c.SetBrush(kHeader);
  c.DrawRectangle({18, 31, 30, 35});
  c.DrawRectangle({12, 35, 36, 39});
}

void Editor(platform::Canvas& c) {
  c.SetPen(kInk, 1);
  c.SetBrush(kPaper);
  const Point page[] = {{11, 2}, {31, 2}, {38, 9}, {38, 39}, {11, 39}};
  c.DrawPolygon(page);
  c.DrawLine({31, 2}, {31, 9});
  c.DrawLine({31, 9}, {38, 9});
  const Rgb colors[] = {kBlue, kInk, kInk, Rgb{0, 160, 0}, kInk, kRed};
  for (int i = 0; i < 6; ++i) {
    c.SetPen(colors[i], 1);
    const int indent = (i == 1 || i == 2 || i == 4) ? 19 : 15;
    c.DrawLine({indent, 13 + 4 * i}, {34 - (i % 3) * 3, 13 + 4 * i});
  }
}

void Table(platform::Canvas& c, int columns, const char* const* headings) {
  c.SetPen(kInk, 1);
  c.SetBrush(kPaper);
  c.DrawRectangle({3, 2, 45, 39});
  c.FillRect({4, 3, 44, 18}, kHeader);
  const int width = 42 / columns;
  for (int i = 0; i < columns; ++i) {
    if (i > 0) {
      c.SetPen(kGrid, 1);
      c.DrawLine({3 + width * i, 3}, {3 + width * i, 38});
    }
    if (headings && headings[i])
      Text(c, headings[i], {3 + width * i, 3, 3 + width * (i + 1), 18}, kInk);
    c.SetPen(kBlue, 1);
    for (int row = 0; row < 4; ++row) {
      const int y = 22 + 5 * row;
      c.DrawLine({6 + width * i, y}, {width * (i + 1), y});
    }
  }
}

void DataList(platform::Canvas& c) {
  c.SetPen(kInk, 1);
  c.SetBrush(kPaper);
  c.DrawRectangle({3, 4, 45, 38});
  c.FillRect({4, 5, 44, 11}, kHeader);
  for (int row = 0; row < 4; ++row) {
    const int y = 13 + 6 * row;
    c.SetPen(kInk, 1);
    c.SetBrush(kPaper);
    c.DrawRectangle({6, y, 10, y + 4});
    if (row != 2) {
      c.DrawLine({6, y}, {9, y + 3});
      c.DrawLine({9, y}, {6, y + 3});
    }
    c.SetPen(row == 1 ? kRed : kBlue, 1);
    c.DrawLine({13, y + 2}, {40, y + 2});
  }
}

void Axes(platform::Canvas& c) {
  c.SetPen(kInk, 1);
  c.SetBrush(kInk);
  c.DrawRectangle({3, 3, 45, 38});
  c.SetPen(kGrid, 1);
  c.DrawLine({8, 8}, {8, 34});
  c.DrawLine({8, 34}, {41, 34});
}

std::vector<Point> Curve(int count, auto&& f) {
  std::vector<Point> points;
  for (int i = 0; i < count; ++i) points.push_back(f(i));
  return points;
}

void GraphTime(platform::Canvas& c) {
  Axes(c);
  c.SetPen(platform::PaletteColor(9), 1);
  const auto wave = Curve(32, [](int i) {
    return Point{9 + i, 21 - static_cast<int>(std::lround(10 * std::sin(i * 0.35)))};
  });
  c.DrawPolyline(wave);
  c.SetPen(platform::PaletteColor(7), 1);
  const auto step = Curve(32, [](int i) { return Point{9 + i, i < 6 ? 30 : 12}; });
  c.DrawPolyline(step);
}

void GraphPoints(platform::Canvas& c) {
  Axes(c);
  c.SetPen(platform::PaletteColor(11), 1);
  c.SetHollowBrush();
  for (int i = 0; i < 7; ++i) {
    const int x = 11 + 4 * i;
    const int y = 30 - static_cast<int>(std::lround(18 * (1 - std::exp(-i * 0.5))));
    c.DrawRectangle({x - 1, y - 1, x + 2, y + 2});
  }
}

void GraphFrequency(platform::Canvas& c) {
  c.SetPen(kInk, 1);
  c.SetBrush(kInk);
  c.DrawRectangle({3, 2, 45, 20});
  c.DrawRectangle({3, 21, 45, 39});
  c.SetPen(platform::PaletteColor(9), 1);
  const auto magnitude = Curve(34, [](int i) {
    // A resonance peak over a falling floor.
    const double f = i / 33.0;
    const double peak = 6 * std::exp(-60 * (f - 0.45) * (f - 0.45));
    return Point{7 + i, 7 + static_cast<int>(std::lround(9 * f - peak))};
  });
  c.DrawPolyline(magnitude);
  c.SetPen(platform::PaletteColor(5), 1);
  const auto phase = Curve(34, [](int i) {
    return Point{7 + i, 25 + static_cast<int>(std::lround(10 / (1 + std::exp(-(i - 16) * 0.4))))};
  });
  c.DrawPolyline(phase);
}

void GraphXY(platform::Canvas& c) {
  Axes(c);
  c.SetPen(platform::PaletteColor(12), 1);
  const auto loop = Curve(41, [](int i) {
    const double t = i * 2 * std::numbers::pi / 40;
    return Point{25 + static_cast<int>(std::lround(14 * std::sin(2 * t))),
                 21 + static_cast<int>(std::lround(11 * std::sin(3 * t)))};
  });
  c.DrawPolyline(loop);
}

}  // namespace

void PaintToolbarImage(platform::Canvas& canvas, int index) {
  static const char* const kWordsValues[] = {"$", "1.0"};
  static const char* const kWords[] = {"$", "$"};
  static const char* const kValues[] = {"1.0"};
  switch (index) {
    case 0:
      Terminal(canvas);
      break;
    case 1:
      Editor(canvas);
      break;
    case 2:
      DataList(canvas);
      break;
    case 3:
      Table(canvas, 2, kWordsValues);
      break;
    case 4:
      Table(canvas, 2, kWords);
      break;
    case 5:
      Table(canvas, 1, kValues);
      break;
    case 6:
      GraphTime(canvas);
      break;
    case 7:
      GraphPoints(canvas);
      break;
    case 8:
      GraphFrequency(canvas);
      break;
    case 9:
      GraphXY(canvas);
      break;
    default:
      break;
  }
}

const char* ToolbarTip(int index) {
  static constexpr std::array<const char*, kToolbarButtonCount> kTips = {
      "Terminal",
      "Program Editor",
      "Data Gathering",
      "Spreadsheet: Words and Values",
      "Spreadsheet: Words",
      "Spreadsheet: Values",
      "Graph: Data vs. Time",
      "Graph: Data vs. Data Point Number",
      "Graph: Data vs. Frequency",
      "Graph: X-Data vs. Y-Data",
  };
  return index >= 0 && index < kToolbarButtonCount ? kTips[static_cast<std::size_t>(index)] : "";
}

}  // namespace bl
