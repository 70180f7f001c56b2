#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "graph/graph_export.h"
#include "platform/geometry.h"

class QSpinBox;

namespace bl::platform {
class Canvas;
}

namespace bl::graph {

// Draws the picture on a canvas of the size it is given.
using GraphPainter = std::function<void(platform::Canvas& canvas)>;

// Writes the picture as a PNG image, an SVG drawing or a one-page PDF of size pixels (points for
// PDF). The file is written beside the old one and renamed over it only when complete; false
// with a sentence in error otherwise.
bool WriteGraphFile(const std::string& path, ExportFormat format, platform::Size size,
                    const GraphPainter& paint, std::string& error);

// "Export Graph" size: width and height of the picture in pixels.
class ExportSizeDialog : public QDialog {
 public:
  ExportSizeDialog(platform::Size initial, QWidget* parent = nullptr);
  QSpinBox& WidthBox() { return *width_; }
  QSpinBox& HeightBox() { return *height_; }
  platform::Size Chosen() const;

 private:
  QSpinBox* width_;
  QSpinBox* height_;
};

// The chosen size, or nothing when cancelled.
std::optional<platform::Size> RunExportSizeDialog(QWidget* parent, platform::Size initial);

}  // namespace bl::graph
