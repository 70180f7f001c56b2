#pragma once

#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <functional>
#include <memory>
#include <optional>

#include "platform/canvas.h"
#include "platform/qt/shape_cache.h"

namespace bl::platform {

// A rectangle of the system's geometry (right and bottom exclusive) as Qt's.
inline QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

// Canvas over a QPainter (an off-screen QImage for views, a QPrinter page for printing). Drawing
// is aliased so that a 1-pixel line is one pixel. The fixed font is laid out on its 8-pixel grid
// character by character, so that columns line up with the views' arithmetic.
class QtCanvas final : public Canvas {
 public:
  QtCanvas(QPainter& painter, Size size);

  // Fixed-font text goes out as one glyph run per call, each glyph at its grid position; off,
  // every character is drawn by itself (the plain way, kept to check the run against).
  void SetGlyphRuns(bool on) { glyphRuns_ = on; }
  // Small ellipses, round rectangles, chords and rectangles with wide pens are drawn from the
  // cache's runs straight into the painted image, where that gives the pixels QPainter would
  // set: a figure the cache lacks is drawn by QPainter once, at its place on a clear image of
  // the same size, and its pixels kept. Without a cache (the default) every figure is drawn by
  // QPainter, the plain way. While a cache is set the painter's clip is changed through this
  // canvas only.
  void SetShapeCache(ShapeCache* cache) { shapes_ = cache; }

  Size PixelSize() const override { return size_; }
  void SetPen(Rgb color, int width) override;
  void SetNullPen() override;
  void SetBrush(Rgb color) override;
  void SetHollowBrush() override;
  void DrawRectangle(const Rect& r) override;
  void DrawRoundRect(const Rect& r, int cornerWidth, int cornerHeight) override;
  void DrawEllipse(const Rect& r) override;
  void DrawChord(const Rect& r, Point start, Point end) override;
  void DrawPolygon(std::span<const Point> points) override;
  void DrawPolyline(std::span<const Point> points) override;
  void DrawLine(Point from, Point to) override;
  void FillRect(const Rect& r, Rgb color) override;
  void SetFont(FontId font) override;
  void SetFontByHeight(int heightPx, bool fixedPitch, bool bold) override;
  void SetRotatedFontByHeight(int heightPx) override;
  void SetTextColor(Rgb color) override { textColor_ = color; }
  void SetTextBackground(Rgb color, bool opaque) override;
  void DrawText(std::string_view text, const Rect& box, unsigned flags) override;
  int TextWidth(std::string_view text) const override;
  int TextHeight() const override;
  void SetClipRect(const Rect& r) override;
  void ClearClip() override;
  void InvertRect(const Rect& r, Rgb color) override;
  // Many figures: the figure's pixels are taken once and set around each point in a one-bit
  // layer, which is then drawn in the pen's colour in one step.
  void DrawFigures(std::span<const Point> at, int extent,
                   const std::function<void(Canvas&, Point)>& draw) override;

 private:
  // The rectangle whose outline covers the outer pixels of r.
  static QRect OutlineRect(const Rect& r);
  void DrawGridText(std::string_view text, const Rect& box, unsigned flags);
  // Draws text[first, last) on the grid as one glyph run; false when the font cannot (a
  // character outside ASCII, which may need a fallback font, or no raw font).
  bool DrawGlyphRun(std::string_view text, int first, int last, QPointF origin);
  void DrawRotatedText(std::string_view text, const Rect& box, unsigned flags);
  // Sets the pixels of a one-bit layer (its first width columns) at `at` straight in the painted
  // image, when that gives what drawing it would; false when it cannot.
  bool SetPixelsDirectly(const QImage& layer, int width, QPoint at, QColor color);
  // The image the painter draws on, when its pixels may be written directly: 32-bit, in the
  // painter's own coordinates, painted over. Nothing otherwise.
  QImage* PlainImageTarget();
  // Draws the figure of the shape in the outline rectangle from the shape cache; false when it
  // has to be drawn the plain way (no cache, a large figure, a pen or brush or device the cache
  // does not copy exactly).
  bool DrawCached(ShapeCache::Shape shape, const QRect& outline, int a, int b,
                  const std::function<void(QPainter&, const QRect&)>& draw);
  qreal NarrowSqueeze();

  QPainter& painter_;
  Size size_;
  FontId font_ = FontId::Fixed;
  bool screenFont_ = false;  // the font is font_ as SetFont makes it, not one by height
  std::optional<qreal> narrowSqueeze_;
  ShapeCache* shapes_ = nullptr;
  // The clip as this canvas set it; unknown when the painter came with one.
  bool clipKnown_ = true;
  std::optional<QRect> clip_;
  // Where figures new to the cache are drawn; clear again after each.
  QImage scratch_;
  std::unique_ptr<QPainter> scratchPainter_;
  bool gridText_ = true;
  bool glyphRuns_ = true;
  std::optional<QRawFont> rawFont_;  // of the painter's font, made at its first use
  Rgb textColor_{};
  std::optional<Rgb> textBackground_ = Rgb{255, 255, 255};
};

}  // namespace bl::platform
