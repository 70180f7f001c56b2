#include "shell/qt/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace bl {

namespace {

QPixmap Lantern(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  const QColor blue(0, 0, 192);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(32, 48, 128));
  p.drawRoundedRect(QRectF(20, 6, 24, 8), 4, 4);
  p.setBrush(blue);
  p.drawRoundedRect(QRectF(16, 14, 32, 6), 2, 2);
  QRadialGradient glow(QPointF(32, 35), 18);
  glow.setColorAt(0, QColor(255, 247, 176));
  glow.setColorAt(0.6, QColor(255, 200, 0));
  glow.setColorAt(1, QColor(224, 112, 0));
  QPainterPath body;
  body.moveTo(18, 20);
  body.lineTo(46, 20);
  body.lineTo(43, 50);
  body.lineTo(21, 50);
  body.closeSubpath();
  p.setBrush(glow);
  p.setPen(QPen(blue, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(body);
  p.setPen(Qt::NoPen);
  p.setBrush(blue);
  p.drawRoundedRect(QRectF(14, 50, 36, 8), 2, 2);
  return pixmap;
}

}  // namespace

QIcon MakeAppIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) icon.addPixmap(Lantern(size));
  return icon;
}

}  // namespace bl
