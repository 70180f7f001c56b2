#pragma once

#include <QImage>
#include <QPainter>
#include <memory>

#include "platform/desktop.h"
#include "platform/qt/qt_canvas.h"

class QPrinter;

namespace bl::platform {

// A print job on a Qt printer (a real printer or a PDF file). The printer is started with the
// first page, so a job without pages, or dropped before them, leaves no output at all.
class QtPrintJob final : public PrintJob {
 public:
  explicit QtPrintJob(std::unique_ptr<QPrinter> printer);
  ~QtPrintJob() override;

  PageMetrics Page() const override;
  int TextWidth(std::string_view text, int fontHeightPx, bool fixedPitch) const override;
  Canvas& BeginPage() override;
  void EndPage() override;
  bool Finish() override;

 private:
  std::unique_ptr<QPrinter> printer_;
  QPainter painter_;
  // Pages go here when the printer cannot start (a PDF file that cannot be written): the job
  // runs to its end and reports the failure then.
  QImage sink_;
  std::unique_ptr<QtCanvas> canvas_;
  int pages_ = 0;
  bool failed_ = false;
};

}  // namespace bl::platform
