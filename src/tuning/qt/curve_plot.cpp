#include "tuning/qt/curve_plot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>

namespace bl::tuning {

namespace {

// Round steps of 1, 2 or 5 times a power of ten, about count of them over the range.
double TickStep(double range, int count) {
  const double raw = range / std::max(1, count);
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0})
    if (raw <= m * power) return m * power;
  return 10.0 * power;
}

QString TickText(double v) {
  if (v != 0.0 && (std::fabs(v) >= 1e5 || std::fabs(v) < 1e-3)) return QString::number(v, 'g', 3);
  return QString::number(v, 'g', 6);
}

}  // namespace

CurvePlot::CurvePlot(QString title, bool logX, QWidget* parent)
    : QWidget(parent), title_(std::move(title)), logX_(logX) {
  setMinimumSize(320, 180);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  setPalette(p);
}

void CurvePlot::SetCurves(std::vector<Curve> curves, std::vector<Marker> markers) {
  curves_ = std::move(curves);
  markers_ = std::move(markers);
  message_.clear();
  update();
}

void CurvePlot::SetMessage(QString message) {
  curves_.clear();
  markers_.clear();
  message_ = std::move(message);
  update();
}

void CurvePlot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QFontMetrics metrics = painter.fontMetrics();
  const int line = metrics.height();
  const QRect area = rect().adjusted(8 + metrics.horizontalAdvance("-00000.0"), line + 6, -10,
                                     -(2 * line + 6));
  painter.setPen(Qt::black);
  painter.drawText(QRect(0, 2, width(), line), Qt::AlignHCenter, title_);
  if (!message_.isEmpty() || curves_.empty()) {
    painter.setPen(QColor(160, 0, 0));
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, message_);
    return;
  }

  const auto fx = [this](double x) { return logX_ ? std::log10(x) : x; };
  double x0 = std::numeric_limits<double>::max(), x1 = -x0, y0 = x0, y1 = -x0;
  for (const Curve& c : curves_) {
    for (std::size_t k = 0; k < c.x.size() && k < c.y.size(); ++k) {
      if (!std::isfinite(c.y[k]) || (logX_ && !(c.x[k] > 0.0))) continue;
      x0 = std::min(x0, fx(c.x[k]));
      x1 = std::max(x1, fx(c.x[k]));
      y0 = std::min(y0, c.y[k]);
      y1 = std::max(y1, c.y[k]);
    }
  }
  if (!(x1 > x0)) x1 = x0 + 1.0;
  if (!(y1 > y0)) {
    y0 -= 1.0;
    y1 += 1.0;
  }
  const double margin = 0.05 * (y1 - y0);
  y0 -= margin;
  y1 += margin;
  const auto px = [&](double x) { return area.left() + (fx(x) - x0) / (x1 - x0) * area.width(); };
  const auto py = [&](double y) { return area.bottom() - (y - y0) / (y1 - y0) * area.height(); };

  // Grid and ticks.
  painter.setPen(QColor(225, 225, 225));
  const QColor tickColor(90, 90, 90);
  const double yStep = TickStep(y1 - y0, 5);
  for (double y = std::ceil(y0 / yStep) * yStep; y <= y1; y += yStep) {
    painter.setPen(QColor(225, 225, 225));
    painter.drawLine(QPointF(area.left(), py(y)), QPointF(area.right(), py(y)));
    painter.setPen(tickColor);
    painter.drawText(QRectF(0, py(y) - line / 2.0, area.left() - 4, line),
                     Qt::AlignRight | Qt::AlignVCenter, TickText(std::fabs(y) < yStep * 1e-9 ? 0 : y));
  }
  std::vector<double> xs;
  if (logX_) {
    for (double d = std::floor(x0); d <= x1; d += 1.0)
      if (d >= x0) xs.push_back(std::pow(10.0, d));
  } else {
    const double xStep = TickStep(x1 - x0, 6);
    for (double x = std::ceil(x0 / xStep) * xStep; x <= x1; x += xStep) xs.push_back(x);
  }
  for (double x : xs) {
    painter.setPen(QColor(225, 225, 225));
    painter.drawLine(QPointF(px(x), area.top()), QPointF(px(x), area.bottom()));
    painter.setPen(tickColor);
    painter.drawText(QRectF(px(x) - 40, area.bottom() + 2, 80, line), Qt::AlignHCenter,
                     TickText(x));
  }
  painter.setPen(Qt::black);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(area);

  painter.save();
  painter.setClipRect(area);
  // Labels go down a line each, so that markers close together keep theirs apart.
  int row = 0;
  for (const Marker& m : markers_) {
    if (logX_ && !(m.x > 0.0)) continue;
    painter.setPen(QPen(QColor(120, 120, 120), 1, Qt::DotLine));
    painter.drawLine(QPointF(px(m.x), area.top()), QPointF(px(m.x), area.bottom()));
    painter.setPen(QColor(80, 80, 80));
    painter.drawText(QPointF(px(m.x) + 3, area.top() + line * (1 + row++ % 3)), m.label);
  }
  for (const Curve& c : curves_) {
    QPainterPath path;
    bool pen = false;
    // At most two points per pixel column are needed to draw the curve.
    const std::size_t n = std::min(c.x.size(), c.y.size());
    const std::size_t stride = std::max<std::size_t>(1, n / static_cast<std::size_t>(4 * area.width() + 1));
    for (std::size_t k = 0; k < n; k += stride) {
      if (!std::isfinite(c.y[k]) || (logX_ && !(c.x[k] > 0.0))) {
        pen = false;
        continue;
      }
      const QPointF p(px(c.x[k]), py(c.y[k]));
      if (pen)
        path.lineTo(p);
      else
        path.moveTo(p);
      pen = true;
    }
    painter.setPen(QPen(c.color, 1.5, c.dashed ? Qt::DashLine : Qt::SolidLine));
    painter.drawPath(path);
  }
  painter.restore();

  // Legend under the plot.
  int x = area.left();
  const int y = area.bottom() + line + 4;
  for (const Curve& c : curves_) {
    painter.setPen(QPen(c.color, 2, c.dashed ? Qt::DashLine : Qt::SolidLine));
    painter.drawLine(x, y + line / 2, x + 18, y + line / 2);
    painter.setPen(Qt::black);
    painter.drawText(x + 22, y + metrics.ascent(), c.name);
    x += 30 + metrics.horizontalAdvance(c.name);
  }
}

}  // namespace bl::tuning
