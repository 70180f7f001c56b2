#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

namespace bl::tuning {

// A small plot of a few curves against a common x axis (linear or logarithmic), scaled to fit,
// with a grid, tick values and a legend: the what-if preview's time and frequency responses.
class CurvePlot : public QWidget {
 public:
  struct Curve {
    QString name;
    QColor color;
    std::vector<double> x, y;
    bool dashed = false;
  };
  // A vertical line at x, labelled (a crossover, a margin).
  struct Marker {
    double x = 0.0;
    QString label;
  };

  explicit CurvePlot(QString title, bool logX, QWidget* parent = nullptr);

  void SetCurves(std::vector<Curve> curves, std::vector<Marker> markers = {});
  // Shown instead of curves (an unstable prediction has none).
  void SetMessage(QString message);
  const std::vector<Curve>& Curves() const { return curves_; }

  QSize sizeHint() const override { return {420, 220}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString title_;
  bool logX_;
  std::vector<Curve> curves_;
  std::vector<Marker> markers_;
  QString message_;
};

}  // namespace bl::tuning
