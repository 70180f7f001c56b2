#include "platform/qt/qt_print_job.h"

#include <QFontMetrics>
#include <QPrinter>

#include "platform/qt/qt_fonts.h"

namespace bl::platform {

QtPrintJob::QtPrintJob(std::unique_ptr<QPrinter> printer) : printer_(std::move(printer)) {}

QtPrintJob::~QtPrintJob() {
  canvas_.reset();
  if (painter_.isActive()) painter_.end();
}

PageMetrics QtPrintJob::Page() const {
  const QRect px = printer_->pageLayout().paintRectPixels(printer_->resolution());
  const QRectF mm = printer_->pageLayout().paintRect(QPageLayout::Millimeter);
  return {px.width(), px.height(), mm.width(), mm.height()};
}

int QtPrintJob::TextWidth(std::string_view text, int fontHeightPx, bool fixedPitch) const {
  const QFontMetrics metrics(MakeQtFontByHeight(fontHeightPx, fixedPitch, false), printer_.get());
  return metrics.horizontalAdvance(ToQt(text));
}

Canvas& QtPrintJob::BeginPage() {
  canvas_.reset();
  if (pages_++ == 0) {
    if (!painter_.begin(printer_.get())) {
      failed_ = true;
      sink_ = QImage(1, 1, QImage::Format_RGB32);
      painter_.begin(&sink_);
    }
  } else if (!failed_) {
    printer_->newPage();
  }
  const PageMetrics m = Page();
  canvas_ = std::make_unique<QtCanvas>(painter_, Size{m.widthPx, m.heightPx});
  return *canvas_;
}

void QtPrintJob::EndPage() { canvas_.reset(); }

bool QtPrintJob::Finish() {
  canvas_.reset();
  if (pages_ == 0) return true;
  const bool ended = painter_.isActive() && painter_.end();
  return ended && !failed_;
}

}  // namespace bl::platform
