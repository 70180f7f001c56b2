#include "diagnostics/diagnostic_paint.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <utility>
#include <vector>

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

constexpr int kBlack = 0;
constexpr int kGrey = 2;
constexpr int kLightGrey = 3;
constexpr int kWhite = 4;
constexpr int kGreen = 9;
constexpr int kBlue = 13;

// More digits than any display can hold; keeps a damaged precision from asking for megabytes.
constexpr int kMaxDigits = 60;

// An outline field outside 0..47 and a fill outside 0..15 count as 0.
int OutlineField(int field) { return field < 0 || field > 47 ? 0 : field; }
int FillField(int field) { return field < 0 || field > 15 ? 0 : field; }

// An outline field picks palette colour (field mod 16) in width (field div 16) + 1; colour 15
// draws no outline.
void SelectOutline(Canvas& canvas, int field) {
  field = OutlineField(field);
  if (field % 16 == platform::kPaletteNone)
    canvas.SetNullPen();
  else
    canvas.SetPen(PaletteColor(field % 16), field / 16 + 1);
}

void SelectFill(Canvas& canvas, int field) {
  field = FillField(field);
  if (field == platform::kPaletteNone)
    canvas.SetHollowBrush();
  else
    canvas.SetBrush(PaletteColor(field));
}

// Rotated points are rounded by adding 0.5 before truncation.
int Rounded(double v) { return static_cast<int>(v + 0.5); }
int Truncated(double v) { return static_cast<int>(v); }

double Radians(double degrees) { return degrees * std::numbers::pi / 180; }

// The point at (dx, dy) from the centre, turned clockwise on the screen by `angle` degrees.
Point Turned(double cx, double cy, double dx, double dy, double angle) {
  const double a = Radians(angle);
  return {Rounded(cx + dx * std::cos(a) - dy * std::sin(a)),
          Rounded(cy + dx * std::sin(a) + dy * std::cos(a))};
}

// Where the value lies between minimum and maximum, 0..1; 0 without a range.
double Fraction(double value, double minimum, double maximum) {
  if (maximum == minimum) return 0;
  const double f = (value - minimum) / (maximum - minimum);
  if (std::isnan(f)) return 0;
  return std::clamp(f, 0.0, 1.0);
}

// Tick and grid counts from a shape parameter: none for 0.
int Count(int parameter, int per) { return parameter == 0 ? 0 : (parameter - 1) / per + 1; }

// An item's box in client pixels, and what drawing it needs.
struct Box {
  explicit Box(const DiagnosticItem& item)
      : x1(item.x1 + kPageLeft),
        y1(item.y1 + kPageTop),
        x2(item.x2 + kPageLeft),
        y2(item.y2 + kPageTop),
        w(item.x2 - item.x1),
        h(item.y2 - item.y1),
        cx(x1 + w / 2.0),
        cy(y1 + h / 2.0),
        angle(item.angle) {}
  Rect AsRect(int shift = 0) const { return {x1 + shift, y1 + shift, x2 + shift, y2 + shift}; }
  // A point of the box, given in client pixels, turned with the item about its centre.
  Point At(double x, double y) const { return Turned(cx, cy, x - cx, y - cy, angle); }

  int x1, y1, x2, y2, w, h;
  double cx, cy;
  int angle;
};

// The outline of shapes 1, 3, 5, 6 and 7 in box fractions of w and h, turned with the item.
std::vector<Point> ShapePolygon(const Box& b, int shape, int parameter1) {
  const double w = b.w;
  const double h = b.h;
  std::vector<std::pair<double, double>> p;
  switch (shape) {
    case 1:
      p = {{0, 0}, {w, 0}, {w, h}, {0, h}};
      break;
    case 3:
      p = {{0, h}, {w / 2, 0}, {w, h}};
      break;
    case 5: {
      const double a = 0.292893;
      const double c = 0.707107;
      p = {{a * w, 0}, {c * w, 0}, {w, a * h}, {w, c * h},
           {c * w, h}, {a * w, h}, {0, c * h}, {0, a * h}};
      break;
    }
    case 6:
      p = {{0, 0.25 * h}, {0.7 * w, 0.25 * h}, {0.7 * w, 0}, {w, 0.5 * h},
           {0.7 * w, h},  {0.7 * w, 0.75 * h}, {0, 0.75 * h}};
      break;
    case 7: {
      const double t = parameter1 * 0.005;
      p = {{t * w, 0},     {w / 2, (0.5 - t) * h}, {w - t * w, 0},
           {w, t * h},     {(0.5 + t) * w, h / 2}, {w, h - t * h},
           {w - t * w, h}, {w / 2, (0.5 + t) * h}, {t * w, h},
           {0, h - t * h}, {(0.5 - t) * w, h / 2}, {0, t * h}};
      break;
    }
    default:
      return {};
  }
  std::vector<Point> points;
  points.reserve(p.size());
  for (const auto& [x, y] : p) points.push_back(b.At(b.x1 + x, b.y1 + y));
  return points;
}

int Sign(int v) { return (v > 0) - (v < 0); }

// The bevel of a button polygon: first an inner line for every edge, then an outer line on
// every edge. Lit edges (outside facing left, up-left, down-left or straight up) are white over
// light grey when raised; shaded ones black over grey; pressed turns both round.
void PaintBevel(Canvas& canvas, const std::vector<Point>& p, bool pressed) {
  const std::size_t n = p.size();
  long long area = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const Point a = p[i];
    const Point b = p[(i + 1) % n];
    area += static_cast<long long>(a.x) * b.y - static_cast<long long>(b.x) * a.y;
  }
  struct Edge {
    Point a, b;
    int nx, ny;
    bool lit;
  };
  std::vector<Edge> edges;
  for (std::size_t i = 0; i < n; ++i) {
    const Point a = p[i];
    const Point b = p[(i + 1) % n];
    const int dx = b.x - a.x;
    const int dy = b.y - a.y;
    if (dx == 0 && dy == 0) continue;
    // Points that run clockwise on the screen have their outside on the left of each edge.
    const int nx = area >= 0 ? dy : -dy;
    const int ny = area >= 0 ? -dx : dx;
    edges.push_back({a, b, nx, ny, nx < 0 || (nx == 0 && ny < 0)});
  }
  const auto inner = [pressed](bool lit) { return lit != pressed ? kLightGrey : kGrey; };
  const auto outer = [pressed](bool lit) { return lit != pressed ? kWhite : kBlack; };
  for (const Edge& e : edges) {
    Point shift{0, 0};
    if (e.a.y == e.b.y) shift.y = -Sign(e.ny);
    if (e.a.x == e.b.x) shift.x = -Sign(e.nx);
    canvas.SetPen(PaletteColor(inner(e.lit)), 1);
    canvas.DrawLine({e.a.x + shift.x, e.a.y + shift.y}, {e.b.x + shift.x, e.b.y + shift.y});
  }
  for (const Edge& e : edges) {
    canvas.SetPen(PaletteColor(outer(e.lit)), 1);
    canvas.DrawLine(e.a, e.b);
  }
}

void PaintShape(Canvas& canvas, const DiagnosticItem& item, const Box& b, bool active) {
  SelectOutline(canvas, active ? item.outlineActive : item.outlineNormal);
  SelectFill(canvas, active ? item.fillActive : item.fillNormal);
  switch (item.style) {
    case 2:
      canvas.DrawEllipse(b.AsRect());
      return;
    case 4:
      canvas.DrawRoundRect(b.AsRect(), item.parameter1 * b.w / 100, item.parameter2 * b.h / 100);
      return;
    case 8: {
      const double c = item.parameter1 * 0.005 * b.h;
      canvas.DrawEllipse({b.x1, Truncated(b.y2 - 2 * c), b.x2, b.y2});
      canvas.SetNullPen();
      canvas.DrawRectangle({b.x1, Truncated(b.y1 + c), b.x2, Truncated(b.y2 - c)});
      SelectOutline(canvas, active ? item.outlineActive : item.outlineNormal);
      canvas.DrawEllipse({b.x1, b.y1, b.x2, Truncated(b.y1 + 2 * c)});
      canvas.DrawLine({b.x1, Truncated(b.y1 + c)}, {b.x1, Truncated(b.y2 - c)});
      canvas.DrawLine({b.x2 - 1, Truncated(b.y1 + c)}, {b.x2 - 1, Truncated(b.y2 - c)});
      return;
    }
    default: {
      const std::vector<Point> points = ShapePolygon(b, item.style, item.parameter1);
      if (!points.empty()) canvas.DrawPolygon(points);
      return;
    }
  }
}

void PaintButton(Canvas& canvas, const DiagnosticItem& item, const Box& b, bool active,
                 bool pressed) {
  const int outline = active ? item.outlineActive : item.outlineNormal;
  SelectFill(canvas, active ? item.fillActive : item.fillNormal);
  if (item.style == 2 || item.style == 4) {
    const auto draw = [&](int shift) {
      if (item.style == 2)
        canvas.DrawEllipse(b.AsRect(shift));
      else
        canvas.DrawRoundRect(b.AsRect(shift), item.parameter1 * b.w / 100,
                             item.parameter2 * b.h / 100);
    };
    if (pressed) {
      SelectOutline(canvas, outline);
      draw(2);
      return;
    }
    canvas.SetPen(PaletteColor(kBlack), 2);
    draw(2);
    canvas.SetPen(PaletteColor(kGrey), 2);
    draw(1);
    SelectOutline(canvas, outline);
    draw(0);
    return;
  }
  if (item.style < 1 || item.style > 7) return;
  const std::vector<Point> points = ShapePolygon(b, item.style, item.parameter1);
  canvas.SetNullPen();
  canvas.DrawPolygon(points);
  PaintBevel(canvas, points, pressed);
}

// The bar gauge: the box in the normal colours, the part from the bottom up to the fraction in
// the active colours, and the ticks, all turned with the item.
void PaintBar(Canvas& canvas, const DiagnosticItem& item, const Box& b, double f) {
  const auto quad = [&](double top) {
    return std::vector<Point>{b.At(b.x1, top), b.At(b.x2, top), b.At(b.x2, b.y2), b.At(b.x1, b.y2)};
  };
  SelectOutline(canvas, item.outlineNormal);
  SelectFill(canvas, item.fillNormal);
  canvas.DrawPolygon(quad(b.y1));
  SelectOutline(canvas, item.outlineActive);
  SelectFill(canvas, item.fillActive);
  canvas.DrawPolygon(quad(b.y1 + (1 - f) * b.h));
  const int n = Count(item.parameter1, 4);
  SelectOutline(canvas, item.outlineNormal);
  for (int i = 0; i < n; ++i) {
    const double y = b.y1 + static_cast<double>(i) * b.h / n;
    canvas.DrawLine(b.At(b.x1, y), b.At(b.x1 + 0.2 * b.w, y));
    canvas.DrawLine(b.At(b.x1 + 0.8 * b.w, y), b.At(b.x2, y));
  }
}

// A point on the ellipse about (cx, cy) with radii rx, ry at `degrees`, clockwise on the screen.
Point OnEllipse(double cx, double cy, double rx, double ry, double degrees) {
  const double a = Radians(degrees);
  return {Rounded(cx + rx * std::cos(a)), Rounded(cy + ry * std::sin(a))};
}

void PaintDial(Canvas& canvas, const DiagnosticItem& item, const Box& b, double f) {
  const double w = b.w;
  const double h = b.h;
  const Point centre{Rounded(b.cx), Rounded(b.cy)};
  SelectOutline(canvas, item.outlineNormal);
  SelectFill(canvas, item.fillNormal);
  canvas.DrawEllipse(b.AsRect());
  const double a = item.angle;
  canvas.DrawLine(centre, OnEllipse(b.cx, b.cy, 0.5 * w, 0.5 * h, a));
  const int n = Count(item.parameter1, 4);
  for (int i = 0; i < n; ++i) {
    const double t = a + i * 360.0 / n;
    canvas.DrawLine(OnEllipse(b.cx, b.cy, 0.5 * w, 0.5 * h, t),
                    OnEllipse(b.cx, b.cy, 0.4 * w, 0.4 * h, t));
  }
  SelectOutline(canvas, item.outlineActive);
  const double phi = a + f * 360;
  const Point tip = OnEllipse(b.cx, b.cy, 0.48 * w, 0.48 * h, phi);
  canvas.DrawLine(centre, tip);
  canvas.DrawLine(tip, OnEllipse(b.cx, b.cy, 0.38 * w, 0.38 * h, phi + 7.2));
  canvas.DrawLine(tip, OnEllipse(b.cx, b.cy, 0.38 * w, 0.38 * h, phi - 7.2));
}

// The half dial: the upper half of an ellipse of the box's width and twice its height about the
// middle of the bottom edge; ticks and needle run from the left end over the top.
void PaintHalfDial(Canvas& canvas, const DiagnosticItem& item, const Box& b, double f) {
  const double w = b.w;
  const double h = b.h;
  SelectOutline(canvas, item.outlineNormal);
  SelectFill(canvas, item.fillNormal);
  canvas.DrawChord({b.x1, b.y1, b.x2, b.y2 + b.h}, {b.x2, b.y2}, {b.x1, b.y2});
  const int n = Count(item.parameter1, 4);
  for (int i = 0; i < n; ++i) {
    const double t = 180 + i * 180.0 / n;
    canvas.DrawLine(OnEllipse(b.cx, b.y2, 0.5 * w, h, t),
                    OnEllipse(b.cx, b.y2, 0.4 * w, 0.8 * h, t));
  }
  SelectOutline(canvas, item.outlineActive);
  canvas.DrawLine({Rounded(b.cx), b.y2}, OnEllipse(b.cx, b.y2, 0.45 * w, 0.9 * h, 180 + f * 180));
}

void PaintSlider(Canvas& canvas, const DiagnosticItem& item, const Box& b, double value) {
  if (item.style != 0 && item.style != 1) return;
  const bool vertical = item.style == 0;
  const double f = Fraction(value, item.minimum, item.maximum);
  SelectOutline(canvas, item.outlineActive);
  SelectFill(canvas, item.fillActive);
  if (vertical)
    canvas.DrawRectangle({b.x1 + 2, b.y1, b.x2 - 2, b.y2});
  else
    canvas.DrawRectangle({b.x1, b.y1 + 2, b.x2, b.y2 - 2});
  const int n = item.parameter1 == 0 ? 0 : (item.parameter1 - 1) / 10 + 1;
  for (int i = 0; i < n; ++i) {
    if (vertical) {
      const int y = b.y1 + Truncated(static_cast<double>(i) * b.h / n);
      canvas.DrawLine({b.x1 + 2, y}, {b.x1 + Truncated(0.2 * b.w), y});
      canvas.DrawLine({b.x1 + Truncated(0.8 * b.w), y}, {b.x2 - 2, y});
    } else {
      const int x = b.x1 + Truncated(static_cast<double>(i) * b.w / n);
      canvas.DrawLine({x, b.y1 + 2}, {x, b.y1 + Truncated(0.2 * b.h)});
      canvas.DrawLine({x, b.y1 + Truncated(0.8 * b.h)}, {x, b.y2 - 2});
    }
  }
  // Three rectangles of the same colours, the last on top: the thumb looks raised.
  SelectOutline(canvas, item.outlineNormal);
  SelectFill(canvas, item.fillNormal);
  if (vertical) {
    const int c = b.y1 + Truncated((1 - f) * b.h);
    canvas.DrawRectangle({b.x1 + 1, c - 4, b.x2 + 1, c + 6});
    canvas.DrawRectangle({b.x1, c - 5, b.x2, c + 5});
    canvas.DrawRectangle({b.x1 - 1, c - 6, b.x2 - 1, c + 4});
  } else {
    const int c = b.x1 + Truncated(f * b.w);
    canvas.DrawRectangle({c - 4, b.y1 + 1, c + 6, b.y2 + 1});
    canvas.DrawRectangle({c - 5, b.y1, c + 5, b.y2});
    canvas.DrawRectangle({c - 6, b.y1 - 1, c + 4, b.y2 - 1});
  }
}

void PaintBits(Canvas& canvas, const DiagnosticItem& item, const Box& b, double value) {
  if (item.style != 0 && item.style != 1) return;
  const int n = std::clamp(item.bitCountA, 0, 24);
  const double g = item.parameter1 * 0.005;
  const unsigned bits = static_cast<unsigned>(TruncateToInt(value));
  const int quarter = item.angle % 360 / 90 * 90;
  for (int i = 0; i < n; ++i) {
    const double top = b.y1 + (i + g) / n * b.h;
    const double bottom = b.y1 + (i + 1 - g) / n * b.h;
    const Point p = Turned(b.cx, b.cy, b.x1 - b.cx, top - b.cy, quarter);
    const Point q = Turned(b.cx, b.cy, b.x2 - b.cx, bottom - b.cy, quarter);
    const Rect lamp{std::min(p.x, q.x), std::min(p.y, q.y), std::max(p.x, q.x), std::max(p.y, q.y)};
    const bool on = (bits >> i) & 1u;
    SelectOutline(canvas, on ? item.outlineActive : item.outlineNormal);
    SelectFill(canvas, on ? item.fillActive : item.fillNormal);
    if (item.style == 0)
      canvas.DrawEllipse(lamp);
    else
      canvas.DrawRectangle(lamp);
  }
}

// The strip chart: the box, its grid, the samples oldest first and a dot on the newest.
void PaintChart(Canvas& canvas, const DiagnosticItem& item, const Box& b) {
  if (item.style != 0) return;
  SelectOutline(canvas, item.outlineNormal);
  SelectFill(canvas, item.fillNormal);
  canvas.DrawRectangle(b.AsRect());
  const int m = Count(item.parameter2, 4);
  const int k = Count(item.parameter1, 4);
  for (int i = 1; i < m; ++i)
    canvas.DrawLine({b.x1, b.y1 + i * b.h / m}, {b.x2, b.y1 + i * b.h / m});
  for (int i = 1; i < k; ++i)
    canvas.DrawLine({b.x1 + i * b.w / k, b.y1}, {b.x1 + i * b.w / k, b.y2});
  std::vector<Point> points;
  points.reserve(kHistorySamples);
  for (int i = 0; i < kHistorySamples; ++i) {
    const double sample = item.history[static_cast<std::size_t>(i)];
    double g = 0;
    if (item.minimum != item.maximum) g = (sample - item.maximum) / (item.minimum - item.maximum);
    g = std::isnan(g) ? 0 : std::clamp(g, 0.0, 1.0);
    points.push_back({b.x1 + (i * b.w) / kHistorySamples, b.y1 + Truncated(b.h * g)});
  }
  SelectOutline(canvas, item.outlineActive);
  SelectFill(canvas, item.fillActive);
  canvas.DrawPolyline(points);
  const Point last = points.back();
  canvas.DrawEllipse({last.x - 3, last.y - 3, last.x + 3, last.y + 3});
}

// Alignments 0..8 are one line, top/centre/bottom by left/centre/right; 9..11 word-wrapped.
bool AlignmentFlags(int alignment, unsigned& flags) {
  static constexpr unsigned kHorizontal[] = {text::kLeft, text::kCenter, text::kRight};
  static constexpr unsigned kVertical[] = {text::kTop, text::kVCenter, text::kBottom};
  if (alignment >= 0 && alignment <= 8) {
    flags = kHorizontal[alignment % 3] | kVertical[alignment / 3] | text::kSingleLine;
    return true;
  }
  if (alignment >= 9 && alignment <= 11) {
    flags = kHorizontal[alignment - 9] | text::kWordBreak;
    return true;
  }
  return false;
}

void PaintText(Canvas& canvas, const DiagnosticItem& item, double value, bool active,
               bool pressed) {
  const bool valueShown = item.kind == kKindValueText || item.kind == kKindValueBox;
  const std::string& own = active ? item.text2 : item.text1;
  if (own.empty() && !(valueShown && item.style == 0)) return;
  unsigned flags = 0;
  if (!AlignmentFlags(item.alignment, flags)) return;
  const int outline = OutlineField(active ? item.outlineActive : item.outlineNormal);
  const int fill = FillField(active ? item.fillActive : item.fillNormal);
  canvas.SetFont(item.font == 0 ? FontId::Narrow : FontId::Arial);
  canvas.SetTextColor(PaletteColor(outline % 16));
  canvas.SetTextBackground(PaletteColor(fill), fill != platform::kPaletteNone);
  const int shift = pressed ? 1 : 0;
  const Box b(item);
  canvas.DrawText(valueShown ? ValueText(value, item.precision) : own,
                  {b.x1 + 3 + shift, b.y1 + 3 + shift, b.x2 - 3 + shift, b.y2 - 3 + shift}, flags);
}

// How far a shape's own motion takes it; nothing without a motion or a range.
std::optional<double> MotionAmount(const DiagnosticItem& item, double value) {
  if (item.mode < 1 || item.mode > 3 || item.maximum == item.minimum) return std::nullopt;
  const double start = item.motionStart;
  const double end = item.argument;
  const double m = start + (value - item.minimum) / (item.maximum - item.minimum) * (end - start);
  if (std::isnan(m)) return start;
  return std::clamp(m, std::min(start, end), std::max(start, end));
}

}  // namespace

std::string ValueText(double value, int precision) {
  if (precision >= 0) return platform::Format("%.*lf", std::min(precision, kMaxDigits), value);
  return platform::Format("$%.*X", std::min(-precision, kMaxDigits),
                          static_cast<unsigned>(TruncateToInt(value)));
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

void PaintItem(Canvas& canvas, const DiagnosticItem& item, double value, bool pressed) {
  const bool active = IsActive(item, value);
  const Box b(item);
  switch (item.kind) {
    case kKindShape:
      PaintShape(canvas, item, b, active);
      break;
    case kKindButton:
      // A button in its active state does nothing when clicked, and looks it.
      pressed = pressed || active;
      PaintButton(canvas, item, b, active, pressed);
      break;
    case kKindGauge: {
      const double f = Fraction(value, item.minimum, item.maximum);
      if (item.style == 0) PaintBar(canvas, item, b, f);
      if (item.style == 1) PaintDial(canvas, item, b, f);
      if (item.style == 2) PaintHalfDial(canvas, item, b, f);
      break;
    }
    case kKindLine:
      SelectOutline(canvas, active ? item.outlineActive : item.outlineNormal);
      canvas.DrawLine({b.x1, b.y1}, {b.x2, b.y2});
      break;
    case kKindSlider:
      PaintSlider(canvas, item, b, value);
      break;
    case kKindBitDisplay:
      PaintBits(canvas, item, b, value);
      break;
    case kKindValueBox:
      SelectOutline(canvas, active ? item.outlineActive : item.outlineNormal);
      SelectFill(canvas, active ? item.fillActive : item.fillNormal);
      canvas.DrawRectangle(b.AsRect());
      break;
    case kKindStripChart:
      PaintChart(canvas, item, b);
      break;
    case kKindValueText:
    default:
      break;
  }
  if (item.kind > kKindPage)
    PaintText(canvas, item, value, active, item.kind == kKindButton && pressed);
}

DiagnosticItem MovedShape(const DiagnosticTables& tables, int itemIndex) {
  if (itemIndex < 0 || itemIndex >= kDiagnosticTableSize) return {};
  DiagnosticItem item = tables.items[itemIndex];
  if (item.kind != kKindShape) return item;
  double dx = 0;
  double dy = 0;
  double angle = item.angle;
  if (const auto m = MotionAmount(item, ItemValue(tables, itemIndex))) {
    if (item.mode == 1) dx += *m;
    if (item.mode == 2) dy += *m;
    if (item.mode == 3) angle += *m;
  }
  for (const int parentIndex : ParentChain(tables, itemIndex)) {
    const DiagnosticItem& parent = tables.items[parentIndex];
    // Only shapes have a motion; for other kinds the field means something else.
    if (parent.kind != kKindShape) continue;
    const auto m = MotionAmount(parent, ItemValue(tables, parentIndex));
    if (!m) continue;
    if (parent.mode == 1) dx += *m;
    if (parent.mode == 2) dy += *m;
    if (parent.mode == 3) {
      const double cx = (item.x1 + item.x2) / 2.0 + dx;
      const double cy = (item.y1 + item.y2) / 2.0 + dy;
      const double px = (parent.x1 + parent.x2) / 2.0;
      const double py = (parent.y1 + parent.y2) / 2.0;
      const double a = Radians(*m);
      const double ox = cx - px;
      const double oy = cy - py;
      dx += px + ox * std::cos(a) - oy * std::sin(a) - cx;
      dy += py + ox * std::sin(a) + oy * std::cos(a) - cy;
      angle += *m;
    }
  }
  item.x1 += Truncated(dx);
  item.x2 += Truncated(dx);
  item.y1 += Truncated(dy);
  item.y2 += Truncated(dy);
  // A turn is the same modulo a whole one; keeps a damaged angle from overflowing.
  item.angle = Truncated(std::fmod(angle, 360.0));
  return item;
}

const DiagnosticItem* PageRecord(const DiagnosticTables& tables, int page) {
  int counted = 0;
  for (const DiagnosticItem& item : tables.items) {
    if (item.kind == kKindEnd) break;
    if (item.kind == kKindPage && ++counted == page) return &item;
  }
  return nullptr;
}

std::optional<platform::Size> DiagnosticWindowSize(const DiagnosticTables& tables, int page) {
  const DiagnosticItem* record = PageRecord(tables, page);
  if (!record) return std::nullopt;
  return PageWindowSize(record->x1, record->y1);
}

void PaintDiagnosticPage(Canvas& canvas, const DiagnosticTables& tables, int page, int pressedItem,
                         int liveCount) {
  const platform::Size size = canvas.PixelSize();
  canvas.FillRect({0, 0, size.width, size.height}, PaletteColor(kBlack));
  int counted = 0;
  for (int i = 0; i < kDiagnosticTableSize; ++i) {
    const DiagnosticItem& item = tables.items[i];
    if (item.kind == kKindEnd) break;
    if (item.kind == kKindPage) ++counted;
    if (counted != page) continue;
    if (item.kind == kKindPage) {
      PaintPageFrame(canvas, item.x1, item.y1, FillField(item.fillNormal), item.text1, liveCount);
      canvas.SetClipRect({kPageLeft, kPageTop, item.x1 + kPageLeft, item.y1 + kPageTop});
      continue;
    }
    const double value = ItemValue(tables, i);
    if (item.kind == kKindShape)
      PaintItem(canvas, MovedShape(tables, i), value, false);
    else
      PaintItem(canvas, item, value, i == pressedItem);
  }
  canvas.ClearClip();
}

}  // namespace bl::diagnostics
