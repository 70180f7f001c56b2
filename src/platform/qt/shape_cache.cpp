#include "platform/qt/shape_cache.h"

#include <QImage>
#include <QRect>
#include <utility>

namespace bl::platform {

std::size_t ShapeCache::Hash::operator()(const Key& key) const {
  std::size_t h = static_cast<std::size_t>(key.shape);
  for (const std::size_t v :
       {static_cast<std::size_t>(key.x), static_cast<std::size_t>(key.y),
        static_cast<std::size_t>(key.w), static_cast<std::size_t>(key.h),
        static_cast<std::size_t>(key.a), static_cast<std::size_t>(key.b),
        static_cast<std::size_t>(key.penWidth), static_cast<std::size_t>(key.pen),
        static_cast<std::size_t>(key.brush)})
    h = h * 0x9E3779B97F4A7C15ULL + v;
  return h ^ (h >> 29);
}

const ShapeCache::Figure& ShapeCache::Add(const Key& key, Figure figure) {
  if (figures_.size() >= kMaxFigures) figures_.clear();
  return figures_.insert_or_assign(key, std::move(figure)).first->second;
}

ShapeCache::Figure ShapeCache::RunsOf(const QImage& image, const QRect& area) {
  Figure figure;
  figure.drawable = true;
  const QRect inside = area & image.rect();
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    int x = inside.left();
    while (x <= inside.right()) {
      const QRgb pixel = line[x];
      if (qAlpha(pixel) == 0) {
        ++x;
        continue;
      }
      if (qAlpha(pixel) != 255) return {};
      int end = x + 1;
      while (end <= inside.right() && line[end] == pixel) ++end;
      figure.runs.push_back({x, y, end - x, pixel});
      x = end;
    }
  }
  return figure;
}

}  // namespace bl::platform
