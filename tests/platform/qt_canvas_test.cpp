#include "platform/qt/qt_canvas.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <functional>
#include <string>
#include <vector>

#include "gui/gui_support.h"

namespace bl::platform {
namespace {

// The fixed font's text as the views draw it, once as glyph runs and once character by character:
// the pictures must be the same pixel for pixel, clipped, aligned, on a background or not.
QImage Draw(bool glyphRuns) {
  QImage image(640, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  QtCanvas canvas(painter, {640, 200});
  canvas.SetGlyphRuns(glyphRuns);
  canvas.SetFont(FontId::Fixed);
  canvas.SetTextColor({0, 0, 128});
  canvas.SetTextBackground({255, 255, 255}, false);
  const std::string lines[] = {"Series #12", "$00C000   -1234.567891", "P1=(P2+3)*4/5 ; {ok} ~!@",
                               "Sine Wave", "       1000.000000"};
  int top = 0;
  for (const std::string& text : lines) {
    canvas.DrawText(text, {4, top, 300, top + 16}, text::kLeft);
    canvas.DrawText(text, {320, top, 620, top + 16}, text::kRight);
    top += 18;
  }
  // Cut by its box on both sides, and on an opaque background.
  canvas.DrawText("0123456789ABCDEF", {4, top, 60, top + 16}, text::kCenter);
  canvas.SetTextBackground({255, 255, 0}, true);
  canvas.DrawText("highlighted", {100, top, 300, top + 16}, text::kLeft);
  // A character outside ASCII takes the plain road in both.
  canvas.DrawText("caf\xe9 50\xb0", {320, top, 620, top + 16}, text::kLeft);
  return image;
}

TEST(QtCanvasTest, GlyphRunsDrawTheFixedFontAsCharacterByCharacterDoes) {
  test::EnsureApplication();
  const QImage runs = Draw(true);
  const QImage plain = Draw(false);
  test::SaveScreenshot(runs, "fixed_font_glyph_runs");
  EXPECT_EQ(runs, plain);
  EXPECT_NE(runs, QImage(runs.size(), runs.format())) << "something was drawn";
}

// Figures drawn from the shape cache against the same figures drawn by QPainter: every size up to
// past the cache's limit, pens of 1 to 3 pixels and none, solid and hollow brushes, overlapping
// one another, cut by the image's edges and by a clip rectangle, and drawn again where the cache
// already holds them. The pictures must be the same pixel for pixel.
struct Figures {
  QImage::Format format = QImage::Format_RGB32;
  // Draws the figures on the canvas; cache null: the plain way.
  std::function<void(QtCanvas&)> draw;
};

QImage Paint(const Figures& figures, ShapeCache* cache) {
  QImage image(700, 420, figures.format);
  image.fill(QColor(250, 240, 230));
  QPainter painter(&image);
  QtCanvas canvas(painter, {image.width(), image.height()});
  canvas.SetShapeCache(cache);
  figures.draw(canvas);
  return image;
}

void ExpectSameAsPlain(const Figures& figures, const QString& name, ShapeCache& cache) {
  const QImage plain = Paint(figures, nullptr);
  const QImage cold = Paint(figures, &cache);
  const QImage warm = Paint(figures, &cache);  // every figure found in the cache
  test::SaveScreenshot(cold, name);
  ASSERT_EQ(plain.size(), cold.size());
  int differing = 0;
  QPoint first(-1, -1);
  for (int y = 0; y < plain.height(); ++y)
    for (int x = 0; x < plain.width(); ++x)
      if (plain.pixel(x, y) != cold.pixel(x, y) || plain.pixel(x, y) != warm.pixel(x, y)) {
        if (differing++ == 0) first = QPoint(x, y);
      }
  EXPECT_EQ(differing, 0) << name.toStdString() << ": first at " << first.x() << "," << first.y();
  EXPECT_NE(plain, QImage(plain.size(), plain.format())) << "something was drawn";
}

// Pen widths 0 (none) to 3 with fills and colours that change from figure to figure.
void SelectStyle(QtCanvas& canvas, int n) {
  const int penWidth = n % 4;
  if (penWidth == 0)
    canvas.SetNullPen();
  else
    canvas.SetPen({static_cast<std::uint8_t>(n * 37), 0, static_cast<std::uint8_t>(255 - n)},
                  penWidth);
  if (n % 5 == 1)
    canvas.SetHollowBrush();
  else
    canvas.SetBrush({0, static_cast<std::uint8_t>(n * 11), 128});
}

TEST(QtCanvasTest, CachedFiguresSetThePixelsQPainterSets) {
  test::EnsureApplication();
  ShapeCache cache;
  // A grid of sizes 1..24 by 1..24 and a few large ones, each shape in each style.
  const auto grid = [](QtCanvas& canvas,
                       const std::function<void(QtCanvas&, const Rect&, int)>& shape) {
    int n = 0;
    for (int h = 1; h <= 24; h += 1)
      for (int w = 1; w <= 24; w += 1) {
        if ((w + h) % 3 != 0 && w > 4 && h > 4) continue;  // fewer of the middle sizes
        const int x = (n * 29) % 720 - 10;                 // some cut by the left and right edges
        const int y = (n * 29) / 720 * 27 - 8;
        SelectStyle(canvas, n);
        shape(canvas, {x, y, x + w, y + h}, n);
        ++n;
      }
    for (const int side : {40, 95, 97, 98, 130}) {
      SelectStyle(canvas, n);
      shape(canvas, {300 + side, 300, 300 + 2 * side, 300 + side / 2}, n++);
    }
  };
  const Figures ellipses{QImage::Format_RGB32, [&](QtCanvas& c) {
                           grid(c, [](QtCanvas& c, const Rect& r, int) { c.DrawEllipse(r); });
                         }};
  ExpectSameAsPlain(ellipses, "cached_ellipses", cache);
  const Figures roundRects{QImage::Format_ARGB32_Premultiplied, [&](QtCanvas& c) {
                             grid(c, [](QtCanvas& c, const Rect& r, int n) {
                               c.DrawRoundRect(r, n % 9 * r.Width() / 8, n % 7 * r.Height() / 6);
                             });
                           }};
  ExpectSameAsPlain(roundRects, "cached_round_rects", cache);
  const Figures chords{QImage::Format_RGB32, [&](QtCanvas& c) {
                         grid(c, [](QtCanvas& c, const Rect& r, int n) {
                           // The half dial's chord, and chords from other radials.
                           const Point ends[] = {{r.right, r.top + r.Height() / 2},
                                                 {r.left, r.top + r.Height() / 2},
                                                 {r.left + r.Width() / 3, r.top},
                                                 {r.right, r.bottom}};
                           c.DrawChord(r, ends[n % 4], ends[(n + 1 + n / 4 % 3) % 4]);
                         });
                       }};
  ExpectSameAsPlain(chords, "cached_chords", cache);
  const Figures rectangles{QImage::Format_ARGB32, [&](QtCanvas& c) {
                             grid(c, [](QtCanvas& c, const Rect& r, int) { c.DrawRectangle(r); });
                           }};
  ExpectSameAsPlain(rectangles, "cached_rectangles", cache);

  // Clipped as a page clips its items, then unclipped; and the same again moved by odd amounts
  // across the clip's edges, with the figures the cache already holds.
  const Figures clipped{QImage::Format_RGB32, [](QtCanvas& c) {
                          for (int pass = 0; pass < 2; ++pass) {
                            c.SetClipRect({35 + pass * 13, 27, 613, 391 - pass * 7});
                            for (int n = 0; n < 400; ++n) {
                              const int x = (n * 53 + pass * 7) % 680 - 4;
                              const int y = (n * 53) / 680 * 20 + 15 + pass * 3;
                              SelectStyle(c, n);
                              const Rect r{x, y, x + 6 + n % 19, y + 3 + n % 17};
                              if (n % 3 == 0) c.DrawEllipse(r);
                              if (n % 3 == 1) c.DrawRoundRect(r, 6, 6);
                              if (n % 3 == 2) c.DrawRectangle(r);
                            }
                            c.ClearClip();
                            c.SetPen({0, 0, 0}, 2);
                            c.SetBrush({255, 255, 0});
                            c.DrawEllipse({2 + pass * 300, 395, 20 + pass * 300, 425});
                          }
                        }};
  ExpectSameAsPlain(clipped, "cached_figures_clipped", cache);
  EXPECT_GT(cache.Size(), 0u);
  EXPECT_LE(cache.Size(), ShapeCache::kMaxFigures);
}

// Text between figures leaves the clip, pen and brush as they were, and a painter that came with
// a clip of its own or a transform is drawn on the plain way.
TEST(QtCanvasTest, CachedFiguresFollowTheClipTextAndTransformLeave) {
  test::EnsureApplication();
  ShapeCache cache;
  const auto draw = [](QtCanvas& c) {
    c.SetClipRect({10, 10, 200, 120});
    for (int n = 0; n < 30; ++n) {
      SelectStyle(c, n + 2);
      c.DrawEllipse({n * 7, n * 4, n * 7 + 15, n * 4 + 11});
      c.SetFont(n % 2 ? FontId::Narrow : FontId::Arial);
      c.SetTextColor({0, 0, 0});
      c.SetTextBackground({255, 255, 255}, n % 3 == 0);
      c.DrawText("Tx", {n * 7, n * 4, n * 7 + 40, n * 4 + 20}, text::kLeft | text::kSingleLine);
      c.DrawRoundRect({n * 7 + 20, n * 4, n * 7 + 35, n * 4 + 12}, 8, 8);
    }
  };
  ExpectSameAsPlain({QImage::Format_RGB32, draw}, "cached_figures_with_text", cache);

  for (const bool transformed : {false, true}) {
    SCOPED_TRACE(transformed ? "transformed" : "clipped before");
    QImage plain(300, 200, QImage::Format_RGB32);
    plain.fill(Qt::white);
    QImage cached = plain;
    for (QImage* image : {&plain, &cached}) {
      QPainter painter(image);
      if (transformed)
        painter.translate(13, 7);
      else
        painter.setClipRect(QRect(20, 20, 100, 100));
      QtCanvas canvas(painter, {300, 200});
      if (image == &cached) canvas.SetShapeCache(&cache);
      for (int n = 0; n < 20; ++n) {
        SelectStyle(canvas, n + 1);
        canvas.DrawEllipse({n * 9, n * 6, n * 9 + 17, n * 6 + 13});
      }
    }
    EXPECT_EQ(plain, cached);
  }

  // Figures at the edge of a small image, then on a larger one where they show whole.
  const auto edge = [](QtCanvas& c) {
    for (int n = 0; n < 12; ++n) {
      SelectStyle(c, n + 1);
      c.DrawEllipse({80 + n % 3 - 10, n * 7, 92 + n % 3, n * 7 + 9});
      c.DrawRoundRect({n * 7, 55 + n % 4, n * 7 + 14, 66 + n % 4}, 6, 4);
    }
  };
  for (const int side : {60, 90, 200}) {
    QImage plain(side, side, QImage::Format_RGB32);
    plain.fill(Qt::white);
    QImage cached = plain;
    for (QImage* image : {&plain, &cached}) {
      QPainter painter(image);
      QtCanvas canvas(painter, {side, side});
      if (image == &cached) canvas.SetShapeCache(&cache);
      edge(canvas);
    }
    EXPECT_EQ(plain, cached) << side;
  }
}

// However many different figures are drawn, the cache holds at most its limit, and what it
// draws after starting over is still right.
TEST(QtCanvasTest, ShapeCacheStaysWithinItsLimit) {
  test::EnsureApplication();
  ShapeCache cache;
  const int count = static_cast<int>(ShapeCache::kMaxFigures) + 700;
  const Figures many{QImage::Format_RGB32, [count](QtCanvas& c) {
                       for (int n = 0; n < count; ++n) {
                         c.SetPen({static_cast<std::uint8_t>(n), 0, 0}, 1 + n % 3);
                         c.SetBrush({0, 0, static_cast<std::uint8_t>(n * 7)});
                         const int x = n * 3 % 691;
                         const int y = n * 3 / 691 * 5 % 410;
                         c.DrawEllipse({x, y, x + 4 + n % 9, y + 4 + n % 11});
                       }
                     }};
  ExpectSameAsPlain(many, "cached_figures_many", cache);
  EXPECT_GT(cache.Size(), 0u);
  EXPECT_LE(cache.Size(), ShapeCache::kMaxFigures);
}

}  // namespace
}  // namespace bl::platform
