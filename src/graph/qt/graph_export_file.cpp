#include "graph/qt/graph_export_file.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSpinBox>
#include <QSvgGenerator>

#include "graph/graph_print.h"
#include "platform/qt/qt_canvas.h"

namespace bl::graph {

namespace {

// Paints on any Qt paint device that has been opened; false when the painter cannot start on it.
bool PaintOn(QPaintDevice& device, platform::Size size, const GraphPainter& paint) {
  QPainter painter;
  if (!painter.begin(&device)) return false;
  painter.fillRect(QRect(0, 0, size.width, size.height), Qt::white);
  platform::QtCanvas canvas(painter, size);
  paint(canvas);
  return painter.end();
}

}  // namespace

bool WriteGraphFile(const std::string& path, ExportFormat format, platform::Size size,
                    const GraphPainter& paint, std::string& error) {
  if (!ExportSizeAllowed(size)) {
    error = "the picture's size is out of range";
    return false;
  }
  QSaveFile file(QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size())));
  if (!file.open(QIODevice::WriteOnly)) {
    error = file.errorString().toStdString();
    return false;
  }
  bool drawn = false;
  switch (format) {
    case ExportFormat::Png: {
      QImage image(size.width, size.height, QImage::Format_RGB32);
      if (image.isNull()) break;
      drawn = PaintOn(image, size, paint) && image.save(&file, "PNG");
      break;
    }
    case ExportFormat::Svg: {
      QSvgGenerator svg;
      svg.setOutputDevice(&file);
      svg.setSize(QSize(size.width, size.height));
      svg.setViewBox(QRect(0, 0, size.width, size.height));
      svg.setTitle(QString::fromLatin1(kGraphDocumentName.data(),
                                       static_cast<qsizetype>(kGraphDocumentName.size())));
      drawn = PaintOn(svg, size, paint);
      break;
    }
    case ExportFormat::Pdf: {
      QPdfWriter pdf(&file);
      // One point a pixel: the page is the picture.
      pdf.setResolution(72);
      pdf.setPageSize(QPageSize(QSizeF(size.width, size.height), QPageSize::Point));
      pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
      pdf.setTitle(QString::fromLatin1(kGraphDocumentName.data(),
                                       static_cast<qsizetype>(kGraphDocumentName.size())));
      drawn = PaintOn(pdf, size, paint);
      break;
    }
  }
  if (!drawn || file.error() != QFileDevice::NoError) {
    error = file.error() != QFileDevice::NoError ? file.errorString().toStdString()
                                                 : "the picture could not be drawn";
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    error = file.errorString().toStdString();
    return false;
  }
  return true;
}

ExportSizeDialog::ExportSizeDialog(platform::Size initial, QWidget* parent)
    : QDialog(parent), width_(new QSpinBox(this)), height_(new QSpinBox(this)) {
  setWindowTitle("Export Graph");
  for (QSpinBox* box : {width_, height_}) {
    box->setRange(kSmallestExportSide, kLargestExportSide);
    box->setSuffix(" px");
  }
  width_->setValue(initial.width);
  height_->setValue(initial.height);
  auto* form = new QFormLayout(this);
  form->addRow("Width:", width_);
  form->addRow("Height:", height_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

platform::Size ExportSizeDialog::Chosen() const { return {width_->value(), height_->value()}; }

std::optional<platform::Size> RunExportSizeDialog(QWidget* parent, platform::Size initial) {
  ExportSizeDialog dialog(initial, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Chosen();
}

}  // namespace bl::graph
