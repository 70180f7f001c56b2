#include "platform/qt/qt_canvas.h"

#include <QFontMetrics>
#include <QPolygon>
#include <cmath>
#include <numbers>
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

}  // namespace

QtCanvas::QtCanvas(QPainter& painter, Size size) : painter_(painter), size_(size) {
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  painter_.setPen(QPen(Qt::black, 1));
  painter_.setBrush(Qt::white);
  SetFont(FontId::Fixed);
}

void QtCanvas::SetPen(Rgb color, int width) {
  QPen pen(ToQColor(color), std::max(1, width), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
  painter_.setPen(pen);
}

void QtCanvas::SetNullPen() { painter_.setPen(Qt::NoPen); }
void QtCanvas::SetBrush(Rgb color) { painter_.setBrush(ToQColor(color)); }
void QtCanvas::SetHollowBrush() { painter_.setBrush(Qt::NoBrush); }

QRect QtCanvas::OutlineRect(const Rect& r) {
  return QRect(r.left, r.top, std::max(0, r.Width() - 1), std::max(0, r.Height() - 1));
}

void QtCanvas::DrawRectangle(const Rect& r) {
  if (r.Empty()) return;
  if (painter_.pen().style() == Qt::NoPen) {
    if (painter_.brush().style() != Qt::NoBrush) painter_.fillRect(ToQRect(r), painter_.brush());
    return;
  }
  painter_.drawRect(OutlineRect(r));
}

void QtCanvas::DrawRoundRect(const Rect& r, int cornerWidth, int cornerHeight) {
  if (r.Empty()) return;
  painter_.drawRoundedRect(OutlineRect(r), cornerWidth / 2.0, cornerHeight / 2.0);
}

void QtCanvas::DrawEllipse(const Rect& r) {
  if (r.Empty()) return;
  painter_.drawEllipse(OutlineRect(r));
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
  painter_.drawChord(OutlineRect(r), static_cast<int>(std::lround(a0 * 16)),
                     static_cast<int>(std::lround(span * 16)));
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
  font_ = font;
  painter_.setFont(MakeQtFont(font));
  gridText_ = font == FontId::Fixed;
}

void QtCanvas::SetFontByHeight(int heightPx, bool fixedPitch, bool bold) {
  font_ = fixedPitch ? FontId::Fixed : FontId::Arial;
  painter_.setFont(MakeQtFontByHeight(heightPx, fixedPitch, bold));
  gridText_ = false;
}

void QtCanvas::SetRotatedFontByHeight(int heightPx) {
  font_ = FontId::ArialRotated;
  painter_.setFont(MakeQtFontByHeight(heightPx, false, false));
  gridText_ = false;
}

void QtCanvas::SetTextBackground(Rgb color, bool opaque) {
  textBackground_ = opaque ? std::optional<Rgb>(color) : std::nullopt;
}

int QtCanvas::TextWidth(std::string_view text) const {
  if (gridText_) return static_cast<int>(text.size()) * kFixedCellWidth;
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
  for (int i = first; i < last; ++i) {
    const char c = text[static_cast<std::size_t>(i)];
    if (c == ' ') continue;
    painter_.drawText(QPointF(x + i * kFixedCellWidth + glyphOffset, baseline),
                      QString(QLatin1Char(c)));
  }
  painter_.setPen(oldPen);
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
    if (textBackground_) {
      const QRect bounds = painter_.boundingRect(ToQRect(box), align, s);
      painter_.fillRect(bounds, ToQColor(*textBackground_));
    }
    painter_.setPen(ToQColor(textColor_));
    painter_.drawText(ToQRect(box), align, s);
  }
  painter_.restore();
}

void QtCanvas::SetClipRect(const Rect& r) { painter_.setClipRect(ToQRect(r)); }
void QtCanvas::ClearClip() { painter_.setClipping(false); }

void QtCanvas::InvertRect(const Rect& r, Rgb color) {
  if (r.Empty()) return;
  const auto mode = painter_.compositionMode();
  painter_.setCompositionMode(QPainter::RasterOp_SourceOrNotDestination);
  painter_.fillRect(ToQRect(r), ToQColor(color));
  painter_.setCompositionMode(mode);
}

}  // namespace bl::platform
