// The fast trace drawing must leave exactly the pixels of the plain one: both are drawn through
// the real Qt canvas into images and compared pixel by pixel.
#include "graph/trace_renderer.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "graph/draw_pane.h"
#include "gui/gui_support.h"
#include "platform/color_palette.h"
#include "platform/qt/qt_canvas.h"
#include "series/series_table.h"

namespace bl::graph {
namespace {

constexpr int kWidth = 260;
constexpr int kHeight = 160;
// The plot leaves room around it so that what crosses its edges would show if not clipped.
constexpr PlotRect kPlot{30, 20, 230, 140};

using Draw = std::function<void(platform::Canvas&, const PlotRect&, const TraceStyle&,
                                std::span<const MappedPoint>)>;

QImage Render(const Draw& draw, const TraceStyle& style, std::span<const MappedPoint> points,
             QImage::Format format = QImage::Format_RGB32) {
  QImage image(kWidth, kHeight, format);
  image.fill(Qt::black);
  QPainter painter(&image);
  platform::QtCanvas canvas(painter, {kWidth, kHeight});
  canvas.SetClipRect({kPlot.left, kPlot.top, kPlot.right, kPlot.bottom});
  draw(canvas, kPlot, style, points);
  return image;
}

struct Data {
  std::string name;
  std::vector<MappedPoint> points;
};

// x sweeps the plot (and a little beyond) at the given density; y from the function.
Data Sweep(std::string name, int count, const std::function<double(int, double)>& y) {
  Data d{std::move(name), {}};
  const double x0 = kPlot.left - 3.0;
  const double step = (kPlot.right - kPlot.left + 6.0) / count;
  for (int i = 0; i < count; ++i) d.points.push_back({x0 + i * step, y(i, x0 + i * step)});
  return d;
}

std::vector<Data> Datasets() {
  std::vector<Data> sets;
  const double mid = (kPlot.top + kPlot.bottom) / 2.0;
  std::mt19937 rng(7);
  std::normal_distribution<double> step(0.0, 1.5);
  double walk = mid;
  sets.push_back(Sweep("dense random walk", 20000, [&](int, double) {
    walk = std::clamp(walk + step(rng), kPlot.top - 10.0, kPlot.bottom + 10.0);
    return walk;
  }));
  sets.push_back(Sweep("dense sine", 12000, [&](int, double x) { return mid + 70 * std::sin(x); }));
  sets.push_back(
      Sweep("slow sine", 3000, [&](int, double x) { return mid + 30 * std::sin(x / 30); }));
  sets.push_back(
      Sweep("sparse sine", 40, [&](int, double x) { return mid + 55 * std::sin(x / 9); }));
  // Whole pixels on and just beyond the edges: the edge is inside, one pixel out breaks the line.
  Data edges{"edges", {}};
  for (int x = kPlot.left - 2; x <= kPlot.right + 2; x += 3)
    for (int y : {kPlot.top - 1, kPlot.top, kPlot.bottom, kPlot.bottom + 1, kPlot.top + 1})
      edges.points.push_back({static_cast<double>(x), static_cast<double>(y)});
  sets.push_back(edges);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  sets.push_back(Sweep("gaps", 5000, [&](int i, double x) {
    if (i % 97 < 3) return nan;
    if (i % 211 == 0) return inf;
    if (i % 301 == 0) return -1e300;
    return mid + 50 * std::sin(x / 5) + (i % 7);
  }));
  // Not ordered in x, as X-Data vs. Y-Data draws: runs on one column come and go.
  Data loops{"lissajous", {}};
  for (int i = 0; i < 4000; ++i)
    loops.points.push_back({130 + 110 * std::sin(i * 0.013), mid + 65 * std::sin(i * 0.031)});
  sets.push_back(loops);
  return sets;
}

int DifferentPixels(const QImage& a, const QImage& b, QPoint& first) {
  int count = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y) && count++ == 0) first = QPoint(x, y);
  return count;
}

TEST(TraceRenderer, DrawsThePixelsOfThePlainDrawingForEveryPenAndMarker) {
  test::EnsureApplication();
  const std::vector<Data> sets = Datasets();
  for (int thickness = 0; thickness <= 3; ++thickness)
    for (int marker = 0; marker <= 4; ++marker) {
      if (thickness == 0 && marker == 0) continue;
      const TraceStyle style{{255, 192, 0}, thickness, marker, 5 + std::max(thickness, 1)};
      for (const Data& d : sets) {
        const QImage plain = Render(DrawTracePlain, style, d.points);
        const QImage fast = Render(DrawTrace, style, d.points);
        QPoint first;
        const int differ = DifferentPixels(plain, fast, first);
        if (differ != 0) {
          const QString name = QString("trace_%1_pen%2_marker%3")
                                   .arg(QString::fromStdString(d.name).replace(' ', '_'))
                                   .arg(thickness)
                                   .arg(marker);
          test::SaveScreenshot(plain, name + "_plain");
          test::SaveScreenshot(fast, name + "_fast");
        }
        EXPECT_EQ(differ, 0) << d.name << ", pen " << thickness << ", marker " << marker
                             << ": first at (" << first.x() << ", " << first.y() << ")";
      }
    }
}

// Markers are drawn once and their pixels set around every point; where they cannot be set
// straight into the image (here a 24-bit one) the layer of them is drawn instead.
TEST(TraceRenderer, MarkersOnAnyImageAreThoseOfThePlainDrawing) {
  test::EnsureApplication();
  const Data walk = Datasets().front();
  for (int thickness = 0; thickness <= 3; ++thickness) {
    const TraceStyle style{{0, 255, 0}, thickness, 4, 5 + std::max(thickness, 1)};
    QPoint first;
    EXPECT_EQ(DifferentPixels(Render(DrawTracePlain, style, walk.points, QImage::Format_RGB888),
                              Render(DrawTrace, style, walk.points, QImage::Format_RGB888), first),
              0)
        << "pen " << thickness << ": first at (" << first.x() << ", " << first.y() << ")";
  }
}

TEST(TraceRenderer, EdgePointsAreDrawnAndOnePixelOutsideBreaksTheLine) {
  const PlotRect plot{10, 10, 20, 20};
  EXPECT_TRUE(PlotPixel(plot, {10.0, 20.0}));
  EXPECT_TRUE(PlotPixel(plot, {20.4, 9.5}));
  EXPECT_FALSE(PlotPixel(plot, {9.0, 15.0}));
  EXPECT_FALSE(PlotPixel(plot, {15.0, 20.5}));
  EXPECT_FALSE(PlotPixel(plot, {std::nan(""), 15.0}));
  EXPECT_FALSE(PlotPixel(plot, {15.0, -std::numeric_limits<double>::infinity()}));

  test::EnsureApplication();
  // Inside, one pixel beyond the right edge, inside again: no line may cross back.
  const MappedPoint points[] = {
      {kPlot.right - 20.0, 50}, {kPlot.right + 1.0, 50}, {kPlot.right - 20.0, 100}};
  const QImage image = Render(DrawTrace, {{255, 0, 0}, 1, 0, 0}, points);
  for (int y = 51; y < 100; ++y) EXPECT_EQ(image.pixel(kPlot.right - 20, y), qRgb(0, 0, 0)) << y;
}


// The pane draws its traces from the series by the shortest way each allows (a pixel column at a
// time, point by point, or in batches through the value functions); each must leave the pixels
// of the plain drawing of the slot's points, mapped one by one.
TEST(TraceRenderer, PaneTracesAreThePlainDrawingOfTheirPoints) {
  test::EnsureApplication();
  constexpr int kPoints = 60000;
  constexpr platform::Rect kPane{0, 0, 420, 260};
  series::SeriesTable table;
  std::mt19937 rng(3);
  std::normal_distribution<double> noise(0.0, 2.0);
  double walk = 0.0;
  for (int k = 1; k <= 2; ++k) {
    series::DataSeries& s = table[k];
    s.Resize(kPoints);
    s.rawDataPeriod = 0.001;
    for (int i = 0; i < kPoints; ++i) {
      walk += noise(rng);
      double v = k == 1 ? walk : 40 * std::sin(i * 0.002);
      if (k == 1 && i % 9000 < 5) v = std::nan("");  // gaps
      if (k == 1 && i % 7001 == 0) v = 1e300;        // far off the window
      s.values[static_cast<std::size_t>(i)] = v;
    }
  }
  // Windows narrower than the data: points leave the plot on every side.
  const auto settingsFor = [](int graphType, int thickness, int marker, bool inverted) {
    GraphSettings g;
    g.slots[0] = {1, 0, 0, 0, marker, 1, thickness};
    g.slots[1] = {1, 2, 1, 0, marker, 5, thickness};  // series 1 - series 2
    const double end = graphType == 0 ? kPoints * 0.001 : kPoints;
    g.bottom = {end, 0.0, end * 0.8, end * 0.1, 0.0, false};
    if (inverted) std::swap(g.bottom.visibleMaximum, g.bottom.visibleMinimum);
    g.axes[kLeft] = {400.0, -400.0, 150.0, -150.0, 0.0, false};
    return g;
  };
  for (int graphType : {0, 1})
    for (int thickness = 0; thickness <= 3; ++thickness)
      for (int marker : {0, 2})
        for (bool inverted : {false, true}) {
          if (thickness == 0 && marker == 0) continue;
          table.graphType = graphType;
          const GraphSettings settings = settingsFor(graphType, thickness, marker, inverted);
          QImage fast(kPane.right, kPane.bottom, QImage::Format_RGB32);
          QImage plain = fast;
          const PaneStyle style;
          {
            QPainter painter(&fast);
            platform::QtCanvas canvas(painter, {kPane.right, kPane.bottom});
            DrawPane(canvas, settings, table, kPane, 0, style);
          }
          {
            // The same pane with its traces hidden, then each slot's points one by one.
            GraphSettings hidden = settings;
            series::SeriesTable empty = table;
            for (int k = 1; k <= 2; ++k)
              std::fill(empty[k].values.begin(), empty[k].values.end(), std::nan(""));
            QPainter painter(&plain);
            platform::QtCanvas canvas(painter, {kPane.right, kPane.bottom});
            const PlotRect p = DrawPane(canvas, hidden, empty, kPane, 0, style);
            canvas.SetClipRect({p.left, p.top, p.right + 1, p.bottom + 1});
            for (int k = 1; k >= 0; --k) {
              const Slot& slot = settings.slots[static_cast<std::size_t>(k)];
              std::vector<MappedPoint> points;
              for (int i = 0; i < kPoints; ++i)
                points.push_back({MapX(p, XValue(settings, table, k, i),
                                       settings.bottom.visibleMinimum,
                                       settings.bottom.visibleMaximum),
                                  MapY(p, YValue(settings, table, k, i),
                                       settings.axes[kLeft].visibleMinimum,
                                       settings.axes[kLeft].visibleMaximum)});
              DrawTracePlain(canvas, p,
                             {platform::SlotColor(slot.color), thickness, marker,
                              style.size / 2 + std::max(thickness, 1)},
                             points);
            }
          }
          QPoint first;
          const int differ = DifferentPixels(plain, fast, first);
          if (differ != 0) {
            test::SaveScreenshot(plain, "pane_plain");
            test::SaveScreenshot(fast, "pane_fast");
          }
          EXPECT_EQ(differ, 0) << "type " << graphType << ", pen " << thickness << ", marker "
                               << marker << (inverted ? ", inverted" : "") << ": first at ("
                               << first.x() << ", " << first.y() << ")";
        }
}

}  // namespace
}  // namespace bl::graph
