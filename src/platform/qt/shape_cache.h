#pragma once

#include <QRgb>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

class QImage;
class QRect;

namespace bl::platform {

// Small figures as QPainter drew them without antialiasing, kept as runs of one colour per row,
// so that drawing one again is filling its runs. The raster engine takes curves and pens wider
// than a pixel through its general path stroker, which costs microseconds a figure; a diagnostic
// page draws a thousand small lamps, dials and buttons on every refresh, the same ones in the
// same places each time.
//
// A figure is kept for its place as well as its shape: the raster engine's edges are computed
// from the figure's coordinates on the page, and the same figure moved by whole pixels can come
// out a pixel different.
class ShapeCache {
 public:
  enum class Shape : std::uint8_t { kEllipse, kRoundRect, kChord, kRectangle };

  // What QPainter is asked to draw: the shape in an outline rectangle at (x, y) of w x h (QRect's
  // width and height, one less than the pixels it spans), with a solid square-capped, mitred pen
  // of penWidth (0: none) and a solid brush (alpha 0: none). a and b are the round rectangle's
  // corner width and height, or the chord's start angle and span in sixteenths of a degree.
  struct Key {
    Shape shape = Shape::kEllipse;
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    int a = 0;
    int b = 0;
    int penWidth = 0;
    QRgb pen = 0;
    QRgb brush = 0;
    friend bool operator==(const Key&, const Key&) = default;
  };

  // length pixels of color from (x, y) on the page.
  struct Run {
    int x = 0;
    int y = 0;
    int length = 0;
    QRgb color = 0;
  };

  // A figure QPainter drew with partly covered pixels (which blend, so cannot be copied) has
  // drawable false and is drawn the plain way.
  struct Figure {
    bool drawable = false;
    std::vector<Run> runs;
  };

  // Figures larger than this either way are drawn the plain way: few of them fit on a screen.
  static constexpr int kMaxSide = 128;
  // The cache starts over when it holds this many figures; a page of a thousand items with a
  // lamp row each stays well below, and the cache below a few megabytes.
  static constexpr std::size_t kMaxFigures = 16384;

  const Figure* Find(const Key& key) const {
    const auto found = figures_.find(key);
    return found == figures_.end() ? nullptr : &found->second;
  }
  const Figure& Add(const Key& key, Figure figure);
  std::size_t Size() const { return figures_.size(); }

  // The runs of the opaque pixels of an image (32-bit pixels) in area; drawable false when a
  // pixel there is neither clear nor opaque.
  static Figure RunsOf(const QImage& image, const QRect& area);

 private:
  struct Hash {
    std::size_t operator()(const Key& key) const;
  };
  std::unordered_map<Key, Figure, Hash> figures_;
};

}  // namespace bl::platform
