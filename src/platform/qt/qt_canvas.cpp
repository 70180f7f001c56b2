#include "platform/qt/qt_canvas.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QImage>
#include <QPolygon>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numbers>
#include <utility>
#include <vector>

#include "platform/qt/qt_fonts.h"

namespace bl::platform {

namespace {

QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

int QtAlignment(unsigned flags) {
  int a = 0;
  if (flags & text::kCenter)
    a |= Qt::AlignHCenter;
  else if (flags & text::kRight)
    a |= Qt::AlignRight;
  else
    a |= Qt::AlignLeft;
  if (flags & text::kVCenter)
    a |= Qt::AlignVCenter;
  else if (flags & text::kBottom)
    a |= Qt::AlignBottom;
  else
    a |= Qt::AlignTop;
  if (flags & text::kWordBreak) a |= Qt::TextWordWrap;
  if (flags & text::kSingleLine) a |= Qt::TextSingleLine;
  return a;
}

// Whether a pixel of the ring of pixels just outside area (within the image) is not clear.
bool AnyPixelAround(const QImage& image, const QRect& area) {
  const QRect ring = area.adjusted(-1, -1, 1, 1) & image.rect();
  for (int y = ring.top(); y <= ring.bottom(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    if (y < area.top() || y > area.bottom()) {
      for (int x = ring.left(); x <= ring.right(); ++x)
        if (line[x] != 0) return true;
    } else if ((ring.left() < area.left() && line[ring.left()] != 0) ||
               (ring.right() > area.right() && line[ring.right()] != 0)) {
      return true;
    }
  }
  return false;
}

}  // namespace

QtCanvas::QtCanvas(QPainter& painter, Size size)
    : painter_(painter), size_(size), clipKnown_(!painter.hasClipping()) {
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  painter_.setPen(QPen(Qt::black, 1));
  painter_.setBrush(Qt::white);
  SetFont(FontId::Fixed);
}

void QtCanvas::SetPen(Rgb color, int width) {
  width = std::max(1, width);
  const QColor c = ToQColor(color);
  // Pages select the same pen item after item; a new QPen each time costs more than drawing.
  const QPen& current = painter_.pen();
  if (current.style() == Qt::SolidLine && current.width() == width && current.widthF() == width &&
      current.capStyle() == Qt::SquareCap && current.joinStyle() == Qt::MiterJoin &&
      current.brush().style() == Qt::SolidPattern && current.color() == c && !current.isCosmetic())
    return;
  painter_.setPen(QPen(c, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
}

void QtCanvas::SetNullPen() {
  if (painter_.pen().style() != Qt::NoPen) painter_.setPen(Qt::NoPen);
}

void QtCanvas::SetBrush(Rgb color) {
  const QColor c = ToQColor(color);
  const QBrush& current = painter_.brush();
  if (current.style() == Qt::SolidPattern && current.color() == c &&
      current.transform().isIdentity())
    return;
  painter_.setBrush(c);
}

void QtCanvas::SetHollowBrush() { painter_.setBrush(Qt::NoBrush); }

QRect QtCanvas::OutlineRect(const Rect& r) {
  return QRect(r.left, r.top, std::max(0, r.Width() - 1), std::max(0, r.Height() - 1));
}

void QtCanvas::DrawRectangle(const Rect& r) {
  if (r.Empty()) return;
  const QPen& pen = painter_.pen();
  if (pen.style() == Qt::NoPen) {
    if (painter_.brush().style() != Qt::NoBrush) painter_.fillRect(ToQRect(r), painter_.brush());
    return;
  }
  const QRect outline = OutlineRect(r);
  // A one-pixel outline is QPainter's own fast case; wider ones go through its stroker.
  if (pen.width() > 1 && DrawCached(ShapeCache::Shape::kRectangle, outline, 0, 0,
                                    [](QPainter& p, const QRect& o) { p.drawRect(o); }))
    return;
  painter_.drawRect(outline);
}

void QtCanvas::DrawRoundRect(const Rect& r, int cornerWidth, int cornerHeight) {
  if (r.Empty()) return;
  const QRect outline = OutlineRect(r);
  const auto draw = [cornerWidth, cornerHeight](QPainter& p, const QRect& o) {
    p.drawRoundedRect(o, cornerWidth / 2.0, cornerHeight / 2.0);
  };
  if (DrawCached(ShapeCache::Shape::kRoundRect, outline, cornerWidth, cornerHeight, draw)) return;
  draw(painter_, outline);
}

void QtCanvas::DrawEllipse(const Rect& r) {
  if (r.Empty()) return;
  const QRect outline = OutlineRect(r);
  if (DrawCached(ShapeCache::Shape::kEllipse, outline, 0, 0,
                 [](QPainter& p, const QRect& o) { p.drawEllipse(o); }))
    return;
  painter_.drawEllipse(outline);
}

void QtCanvas::DrawChord(const Rect& r, Point start, Point end) {
  if (r.Empty()) return;
  const double cx = (r.left + r.right) / 2.0;
  const double cy = (r.top + r.bottom) / 2.0;
  auto angle = [&](Point p) {
    double deg = std::atan2(-(p.y - cy), p.x - cx) * 180.0 / std::numbers::pi;
    return deg < 0 ? deg + 360.0 : deg;
  };
  const double a0 = angle(start);
  double span = angle(end) - a0;
  if (span <= 0) span += 360.0;
  const int startAngle = static_cast<int>(std::lround(a0 * 16));
  const int spanAngle = static_cast<int>(std::lround(span * 16));
  const QRect outline = OutlineRect(r);
  const auto draw = [startAngle, spanAngle](QPainter& p, const QRect& o) {
    p.drawChord(o, startAngle, spanAngle);
  };
  if (DrawCached(ShapeCache::Shape::kChord, outline, startAngle, spanAngle, draw)) return;
  draw(painter_, outline);
}

void QtCanvas::DrawPolygon(std::span<const Point> points) {
  QPolygon poly;
  for (const Point& p : points) poly << QPoint(p.x, p.y);
  painter_.drawPolygon(poly);
}

void QtCanvas::DrawPolyline(std::span<const Point> points) {
  QPolygon poly;
  for (const Point& p : points) poly << QPoint(p.x, p.y);
  painter_.drawPolyline(poly);
}

void QtCanvas::DrawLine(Point from, Point to) {
  painter_.drawLine(QPoint(from.x, from.y), QPoint(to.x, to.y));
}

void QtCanvas::FillRect(const Rect& r, Rgb color) {
  if (!r.Empty()) painter_.fillRect(ToQRect(r), ToQColor(color));
}

void QtCanvas::SetFont(FontId font) {
  // Pages set the font of every text item; making the same QFont again costs more than the text.
  if (screenFont_ && font_ == font) return;
  font_ = font;
  screenFont_ = true;
  rawFont_.reset();
  narrowSqueeze_.reset();
  painter_.setFont(MakeQtFont(font));
  gridText_ = font == FontId::Fixed;
}

void QtCanvas::SetFontByHeight(int heightPx, bool fixedPitch, bool bold) {
  screenFont_ = false;
  narrowSqueeze_.reset();
  rawFont_.reset();
  font_ = fixedPitch ? FontId::Fixed : FontId::Arial;
  painter_.setFont(MakeQtFontByHeight(heightPx, fixedPitch, bold));
  gridText_ = false;
}

void QtCanvas::SetRotatedFontByHeight(int heightPx) {
  screenFont_ = false;
  narrowSqueeze_.reset();
  rawFont_.reset();
  font_ = FontId::ArialRotated;
  painter_.setFont(MakeQtFontByHeight(heightPx, false, false));
  gridText_ = false;
}

void QtCanvas::SetTextBackground(Rgb color, bool opaque) {
  textBackground_ = opaque ? std::optional<Rgb>(color) : std::nullopt;
}

int QtCanvas::TextWidth(std::string_view text) const {
  if (gridText_) return static_cast<int>(text.size()) * kFixedCellWidth;
  if (font_ == FontId::Narrow) return static_cast<int>(text.size()) * kNarrowCellWidth;
  return QFontMetrics(painter_.font()).horizontalAdvance(ToQt(text));
}

int QtCanvas::TextHeight() const {
  if (gridText_) return kFixedCellHeight;
  return QFontMetrics(painter_.font()).height();
}

void QtCanvas::DrawGridText(std::string_view text, const Rect& box, unsigned flags) {
  const int width = TextWidth(text);
  int x = box.left;
  if (flags & text::kCenter)
    x = box.left + (box.Width() - width) / 2;
  else if (flags & text::kRight)
    x = box.right - width;
  int top = box.top;
  if (flags & text::kVCenter)
    top = box.top + (box.Height() - kFixedCellHeight) / 2;
  else if (flags & text::kBottom)
    top = box.bottom - kFixedCellHeight;

  // Only the characters that can show are drawn: a long line scrolled far left costs nothing.
  int first = 0;
  if (!(flags & text::kNoClip) && x < box.left)
    first = std::min<int>(static_cast<int>(text.size()), (box.left - x) / kFixedCellWidth);
  int last = static_cast<int>(text.size());
  if (!(flags & text::kNoClip)) {
    const int visible = (box.right - x + kFixedCellWidth - 1) / kFixedCellWidth;
    last = std::clamp(visible, first, last);
  }
  if (first >= last) return;

  const QFontMetrics metrics(painter_.font());
  const int baseline = top + (kFixedCellHeight - metrics.height()) / 2 + metrics.ascent();
  const QPen oldPen = painter_.pen();
  if (textBackground_) {
    QRect cell(x + first * kFixedCellWidth, top, (last - first) * kFixedCellWidth,
               kFixedCellHeight);
    if (!(flags & text::kNoClip)) cell = cell.intersected(ToQRect(box));
    painter_.fillRect(cell, ToQColor(*textBackground_));
  }
  painter_.setPen(ToQColor(textColor_));
  // Each glyph centred in its 8-pixel cell.
  const qreal glyphOffset = (kFixedCellWidth - metrics.horizontalAdvance(QLatin1Char('M'))) / 2.0;
  const QPointF origin(x + glyphOffset, baseline);
  if (!glyphRuns_ || !DrawGlyphRun(text, first, last, origin)) {
    for (int i = first; i < last; ++i) {
      const char c = text[static_cast<std::size_t>(i)];
      if (c == ' ') continue;
      painter_.drawText(origin + QPointF(i * kFixedCellWidth, 0), QString(QLatin1Char(c)));
    }
  }
  painter_.setPen(oldPen);
}

bool QtCanvas::DrawGlyphRun(std::string_view text, int first, int last, QPointF origin) {
  const std::string_view shown =
      text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first));
  if (std::any_of(shown.begin(), shown.end(),
                  [](char c) { return static_cast<unsigned char>(c) >= 0x80 || c < ' '; }))
    return false;
  if (!rawFont_) rawFont_ = QRawFont::fromFont(painter_.font());
  if (!rawFont_->isValid()) return false;
  const QList<quint32> glyphs = rawFont_->glyphIndexesForString(
      QString::fromLatin1(shown.data(), static_cast<qsizetype>(shown.size())));
  if (glyphs.size() != static_cast<qsizetype>(shown.size())) return false;
  QList<QPointF> positions;
  positions.reserve(glyphs.size());
  for (qsizetype i = 0; i < glyphs.size(); ++i)
    positions.append(origin + QPointF((first + static_cast<int>(i)) * kFixedCellWidth, 0));
  QGlyphRun run;
  run.setRawFont(*rawFont_);
  run.setGlyphIndexes(glyphs);
  run.setPositions(positions);
  painter_.drawGlyphRun(QPointF(0, 0), run);
  return true;
}

void QtCanvas::DrawRotatedText(std::string_view text, const Rect& box, unsigned flags) {
  // Reads upwards: the box's height is the line's length.
  painter_.save();
  painter_.translate(box.left + box.Width() / 2.0, box.top + box.Height() / 2.0);
  painter_.rotate(-90);
  const QRectF rotated(-box.Height() / 2.0, -box.Width() / 2.0, box.Height(), box.Width());
  painter_.setPen(ToQColor(textColor_));
  painter_.drawText(rotated, QtAlignment(flags) | Qt::AlignHCenter | Qt::AlignVCenter, ToQt(text));
  painter_.restore();
}

void QtCanvas::DrawText(std::string_view text, const Rect& box, unsigned flags) {
  if (text.empty()) return;
  if (font_ == FontId::ArialRotated) {
    DrawRotatedText(text, box, flags);
    return;
  }
  const bool clip = !(flags & text::kNoClip);
  painter_.save();
  if (clip) painter_.setClipRect(ToQRect(box), Qt::IntersectClip);
  if (gridText_ && !(flags & text::kWordBreak)) {
    DrawGridText(text, box, flags);
  } else {
    const QString s = ToQt(text);
    const int align = QtAlignment(flags);
    QRect place = ToQRect(box);
    if (font_ == FontId::Narrow) {
      // The face is drawn squeezed sideways to its 5-pixel advance: laid out in a box widened
      // by the same factor, so that alignment and word wrap work on the narrow widths.
      const qreal squeeze = NarrowSqueeze();
      painter_.scale(squeeze, 1.0);
      place =
          QRect(qRound(box.left / squeeze), box.top, qRound(box.Width() / squeeze), box.Height());
    }
    if (textBackground_) {
      const QRect bounds = painter_.boundingRect(place, align, s);
      painter_.fillRect(bounds, ToQColor(*textBackground_));
    }
    painter_.setPen(ToQColor(textColor_));
    painter_.drawText(place, align, s);
  }
  painter_.restore();
}

qreal QtCanvas::NarrowSqueeze() {
  if (!narrowSqueeze_) {
    const qreal advance = QFontMetricsF(painter_.font()).horizontalAdvance(QLatin1Char('M'));
    narrowSqueeze_ = advance > 0 ? kNarrowCellWidth / advance : 1.0;
  }
  return *narrowSqueeze_;
}

void QtCanvas::SetClipRect(const Rect& r) {
  painter_.setClipRect(ToQRect(r));
  clipKnown_ = true;
  clip_ = ToQRect(r);
}

void QtCanvas::ClearClip() {
  painter_.setClipping(false);
  clipKnown_ = true;
  clip_.reset();
}

bool QtCanvas::DrawCached(ShapeCache::Shape shape, const QRect& outline, int a, int b,
                          const std::function<void(QPainter&, const QRect&)>& draw) {
  if (shapes_ == nullptr || outline.width() < 0 || outline.height() < 0 ||
      outline.width() > ShapeCache::kMaxSide || outline.height() > ShapeCache::kMaxSide)
    return false;
  // The runs are copied only where that is what QPainter would do: 32-bit pixels in the
  // painter's own coordinates, opaque colours painted over, and the clip this canvas set.
  QImage* target = PlainImageTarget();
  if (target == nullptr || painter_.testRenderHint(QPainter::Antialiasing) || !clipKnown_ ||
      painter_.hasClipping() != clip_.has_value())
    return false;
  QImage& image = *target;

  ShapeCache::Key key{
      shape, outline.x(), outline.y(), outline.width(), outline.height(), a, b, 0, 0, 0};
  const QPen& pen = painter_.pen();
  if (pen.style() == Qt::SolidLine) {
    if (pen.capStyle() != Qt::SquareCap || pen.joinStyle() != Qt::MiterJoin ||
        pen.widthF() != pen.width() || pen.width() < 1 || pen.width() > 8 || pen.isCosmetic() ||
        pen.miterLimit() != 2 || pen.brush().style() != Qt::SolidPattern ||
        pen.color().alpha() != 255)
      return false;
    key.penWidth = pen.width();
    key.pen = pen.color().rgba();
  } else if (pen.style() != Qt::NoPen) {
    return false;
  }
  const QBrush& brush = painter_.brush();
  if (brush.style() == Qt::SolidPattern) {
    if (brush.color().alpha() != 255) return false;
    key.brush = brush.color().rgba();
  } else if (brush.style() != Qt::NoBrush) {
    return false;
  }
  // The pen is centred on the outline and its mitres reach out as far as its width. A figure
  // cut by the image's edge is drawn the plain way: on a larger image it would show more.
  const int margin = 2 * key.penWidth + 2;
  const QRect reach = outline.adjusted(-margin, -margin, margin, margin);
  if (!image.rect().contains(reach)) return false;

  const ShapeCache::Figure* figure = shapes_->Find(key);
  if (figure == nullptr) {
    if (scratch_.size() != image.size()) {
      scratchPainter_.reset();
      scratch_ = QImage(image.size(), QImage::Format_ARGB32_Premultiplied);
      scratch_.fill(Qt::transparent);
    }
    if (!scratchPainter_) {
      scratchPainter_ = std::make_unique<QPainter>(&scratch_);
      scratchPainter_->setRenderHint(QPainter::Antialiasing, false);
    }
    scratchPainter_->setPen(pen);
    scratchPainter_->setBrush(brush);
    draw(*scratchPainter_, outline);
    const QRect& area = reach;  // within the image
    ShapeCache::Figure made = ShapeCache::RunsOf(scratch_, area);
    // Anything drawn beyond the area would stay on the scratch image: start that one over.
    const bool spilled = AnyPixelAround(scratch_, area);
    if (spilled) {
      scratch_.fill(Qt::transparent);
      made = {};
    } else {
      for (int y = area.top(); y <= area.bottom(); ++y)
        std::fill_n(reinterpret_cast<QRgb*>(scratch_.scanLine(y)) + area.left(), area.width(),
                    QRgb{0});
    }
    figure = &shapes_->Add(key, std::move(made));
  }
  if (!figure->drawable) return false;
  QRect area = image.rect();
  if (clip_) area &= *clip_;
  if (area.isEmpty()) return true;
  uchar* const bits = image.bits();
  const qsizetype stride = image.bytesPerLine();
  for (const ShapeCache::Run& run : figure->runs) {
    if (run.y < area.top() || run.y > area.bottom()) continue;
    const int x0 = std::max(area.left(), run.x);
    const int x1 = std::min(area.right(), run.x + run.length - 1);
    if (x0 > x1) continue;
    auto* line = reinterpret_cast<QRgb*>(bits + run.y * stride);
    std::fill(line + x0, line + x1 + 1, run.color);
  }
  return true;
}

void QtCanvas::InvertRect(const Rect& r, Rgb color) {
  if (r.Empty()) return;
  const auto mode = painter_.compositionMode();
  painter_.setCompositionMode(QPainter::RasterOp_SourceOrNotDestination);
  painter_.fillRect(ToQRect(r), ToQColor(color));
  painter_.setCompositionMode(mode);
}

void QtCanvas::DrawFigures(std::span<const Point> at, int extent,
                           const std::function<void(Canvas&, Point)>& draw) {
  // Below a few figures, or for a figure wider than a word of bits, drawing each is as good; and
  // a printer or a vector file keeps its figures as figures.
  constexpr std::size_t kFewFigures = 16;
  const int side = 2 * extent + 1;
  const QPaintDevice* device = painter_.device();
  if (at.size() < kFewFigures || extent < 0 || side > 64 ||
      std::endian::native != std::endian::little || device == nullptr ||
      device->devType() != QInternal::Image) {
    Canvas::DrawFigures(at, extent, draw);
    return;
  }
  // The figure once, centred in a clear image, with this canvas' pen and brush.
  QImage figure(side, side, QImage::Format_ARGB32_Premultiplied);
  figure.fill(Qt::transparent);
  QColor color = Qt::black;
  {
    QPainter painter(&figure);
    QtCanvas canvas(painter, {side, side});
    painter.setPen(painter_.pen());
    painter.setBrush(painter_.brush());
    color = painter_.pen().style() != Qt::NoPen ? painter_.pen().color() : painter_.brush().color();
    draw(canvas, {extent, extent});
  }
  std::vector<std::uint64_t> rows(static_cast<std::size_t>(side), 0);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x)
      if (qAlpha(figure.pixel(x, y)) != 0) rows[static_cast<std::size_t>(y)] |= 1ULL << x;

  // The layer spans the figures, with a word to spare at the right for the shifted rows.
  int left = at[0].x;
  int top = at[0].y;
  int right = at[0].x;
  int bottom = at[0].y;
  for (Point p : at) {
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  left -= extent;
  top -= extent;
  const long long width = static_cast<long long>(right) + extent - left + 1;
  const long long height = static_cast<long long>(bottom) + extent - top + 1;
  if (width * height > 64LL * 1024 * 1024) {  // figures spread over more than any screen
    Canvas::DrawFigures(at, extent, draw);
    return;
  }
  // One bit per pixel, the first pixel in the lowest bit: on a little-endian machine eight
  // bytes of a row read as one word hold pixels 0..63 from the word's first byte on.
  QImage layer(static_cast<int>(width) + 128, static_cast<int>(height), QImage::Format_MonoLSB);
  layer.setColorTable({qRgba(0, 0, 0, 0), color.rgba()});
  layer.fill(0);
  uchar* const bits0 = layer.bits();
  const qsizetype stride = layer.bytesPerLine();
  for (Point p : at) {
    const int x = p.x - extent - left;
    const int shift = x % 8;
    for (int y = 0; y < side; ++y) {
      const std::uint64_t bits = rows[static_cast<std::size_t>(y)];
      if (bits == 0) continue;
      uchar* line = bits0 + (p.y - extent - top + y) * stride + x / 8;
      std::uint64_t word;
      std::memcpy(&word, line, sizeof word);
      word |= bits << shift;
      std::memcpy(line, &word, sizeof word);
      if (shift != 0) {
        std::memcpy(&word, line + 8, sizeof word);
        word |= bits >> (64 - shift);
        std::memcpy(line + 8, &word, sizeof word);
      }
    }
  }
  if (!SetPixelsDirectly(layer, static_cast<int>(width), QPoint(left, top), color))
    painter_.drawImage(QPoint(left, top), layer);
}

QImage* QtCanvas::PlainImageTarget() {
  QPaintDevice* device = painter_.device();
  if (device == nullptr || device->devType() != QInternal::Image) return nullptr;
  auto* image = static_cast<QImage*>(device);
  const QImage::Format format = image->format();
  if ((format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
       format != QImage::Format_ARGB32_Premultiplied) ||
      !painter_.deviceTransform().isIdentity() ||
      painter_.compositionMode() != QPainter::CompositionMode_SourceOver)
    return nullptr;
  return image;
}

bool QtCanvas::SetPixelsDirectly(const QImage& layer, int width, QPoint at, QColor color) {
  // Only where the result is plainly the same as drawing: an image of 32-bit pixels in its own
  // coordinates, an opaque colour painted over, and no clip or one rectangle.
  QImage* target = PlainImageTarget();
  if (target == nullptr || color.alpha() != 255) return false;
  QImage& image = *target;
  QRect area = image.rect() & QRect(at, QSize(width, layer.height()));
  if (painter_.hasClipping()) {
    const QRegion clip = painter_.clipRegion();
    if (clip.rectCount() != 1) return false;
    area &= clip.boundingRect();
  }
  const QRgb pixel = color.rgba();
  const int words = (width + 63) / 64;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    const uchar* bits = layer.constScanLine(y - at.y());
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int w = 0; w < words; ++w) {
      std::uint64_t word;
      std::memcpy(&word, bits + 8 * w, sizeof word);
      while (word != 0) {
        const int x = at.x() + 64 * w + std::countr_zero(word);
        word &= word - 1;
        if (x >= area.left() && x <= area.right()) line[x] = pixel;
      }
    }
  }
  return true;
}

}  // namespace bl::platform
