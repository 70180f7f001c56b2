#pragma once

#include <functional>
#include <span>
#include <string_view>

#include "platform/geometry.h"

namespace bl::platform {

// The fonts of the workbench. Fixed is "Courier" 13 px on a grid of 8 x 16 pixels (terminal,
// command line, editor, lists); Arial is 19 px high (graphs, large diagnostic text); ArialRotated
// is the same turned by 90 degrees, reading upwards (vertical axis titles); Narrow is "Courier"
// 13 px high drawn 5 px per character (the small text of diagnostic panels).
enum class FontId { Fixed, Arial, ArialRotated, Narrow };

inline constexpr int kNarrowCellWidth = 5;

inline constexpr int kFixedCellWidth = 8;
inline constexpr int kFixedCellHeight = 16;

// Alignment flags for DrawText, combined with |.
namespace text {
inline constexpr unsigned kLeft = 0x0;
inline constexpr unsigned kCenter = 0x1;
inline constexpr unsigned kRight = 0x2;
inline constexpr unsigned kTop = 0x0;
inline constexpr unsigned kVCenter = 0x4;
inline constexpr unsigned kBottom = 0x8;
inline constexpr unsigned kWordBreak = 0x10;
inline constexpr unsigned kSingleLine = 0x20;
inline constexpr unsigned kNoClip = 0x100;
}  // namespace text

// A drawing surface: an off-screen image of a view, or a printer page. Drawing follows the model
// the views are written for: select a pen and a brush, then draw shapes that are outlined with
// the pen and filled with the brush.
class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual Size PixelSize() const = 0;

  // Solid pen of 1, 2 or 3 pixels; the null pen draws no outline.
  virtual void SetPen(Rgb color, int width = 1) = 0;
  virtual void SetNullPen() = 0;
  // Solid brush; the hollow brush fills nothing.
  virtual void SetBrush(Rgb color) = 0;
  virtual void SetHollowBrush() = 0;

  virtual void DrawRectangle(const Rect& r) = 0;
  virtual void DrawRoundRect(const Rect& r, int cornerWidth, int cornerHeight) = 0;
  virtual void DrawEllipse(const Rect& r) = 0;
  // The ellipse in r cut by the chord from the radial through start to the one through end,
  // counter-clockwise.
  virtual void DrawChord(const Rect& r, Point start, Point end) = 0;
  virtual void DrawPolygon(std::span<const Point> points) = 0;
  virtual void DrawPolyline(std::span<const Point> points) = 0;
  virtual void DrawLine(Point from, Point to) = 0;
  // Fills r with one colour, ignoring pen and brush.
  virtual void FillRect(const Rect& r, Rgb color) = 0;

  virtual void SetFont(FontId font) = 0;
  // A font by height in pixels, for printing ("Courier New" when fixed, else "Arial").
  virtual void SetFontByHeight(int heightPx, bool fixedPitch, bool bold = false) = 0;
  // The rotated Arial by height, for printing; a surface without one keeps the screen's.
  virtual void SetRotatedFontByHeight(int heightPx) {
    (void)heightPx;
    SetFont(FontId::ArialRotated);
  }
  virtual void SetTextColor(Rgb color) = 0;
  // Opaque text fills its cell with the background colour; transparent text does not.
  virtual void SetTextBackground(Rgb color, bool opaque) = 0;
  virtual void DrawText(std::string_view text, const Rect& box, unsigned flags) = 0;
  virtual int TextWidth(std::string_view text) const = 0;
  virtual int TextHeight() const = 0;

  virtual void SetClipRect(const Rect& r) = 0;
  virtual void ClearClip() = 0;

  // Highlight: every pixel in r becomes (NOT pixel) OR color.
  virtual void InvertRect(const Rect& r, Rgb color) = 0;

  // Draws one figure at each of the points: draw(canvas, p) draws it centred on p with the
  // current pen and brush, within extent pixels of p, in one colour. A canvas may draw it once
  // and set the same pixels around every point, so it must come out the same wherever it is
  // drawn (whole-pixel coordinates, no text).
  virtual void DrawFigures(std::span<const Point> at, int extent,
                           const std::function<void(Canvas&, Point)>& draw) {
    (void)extent;
    for (Point p : at) draw(*this, p);
  }
};

}  // namespace bl::platform
