#include "link/qt/progress_meter_dialog.h"

#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

#include "platform/qt/canvas_widget.h"
#include "platform/ui_thread.h"

namespace bl {

namespace {
constexpr int kBarWidth = 360;
constexpr int kBarHeight = 24;
}  // namespace

ProgressMeterDialog::ProgressMeterDialog(ProgressMeter& meter, platform::UiThread& ui,
                                         QWidget* parent)
    : QDialog(parent), meter_(meter), ui_(ui), self_(this) {
  setWindowTitle(QString::fromLatin1(kProgressMeterTitle.data(),
                                     static_cast<int>(kProgressMeterTitle.size())));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setModal(true);

  caption_ = new QLabel(QString::fromStdString(meter_.caption), this);
  bar_ = new platform::CanvasWidget(this);
  bar_->setFixedSize(kBarWidth, kBarHeight);
  bar_->SetPainter([this](platform::Canvas& canvas) {
    const platform::Size size = canvas.PixelSize();
    PaintProgressBar(canvas, {0, 0, size.width, size.height}, meter_.progressPercent.load());
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(caption_);
  layout->addWidget(bar_);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &ProgressMeterDialog::OnTimer);
}

ProgressMeterDialog::~ProgressMeterDialog() {
  if (worker_.joinable()) worker_.join();
  meter_.view = {};
}

void ProgressMeterDialog::RunModal() {
  meter_.view.startTimer = [this](int milliseconds) { timer_.start(milliseconds); };
  meter_.view.repaintBar = [this] { RequestRepaint(); };
  meter_.view.close = [this](ProgressResult result) {
    timer_.stop();
    done(result == ProgressResult::Ok ? QDialog::Accepted : QDialog::Rejected);
  };
  caption_->setText(QString::fromStdString(meter_.caption));
  meter_.Open();
  if (meter_.IsOpen()) exec();
  if (worker_.joinable()) worker_.join();
  meter_.view = {};
}

void ProgressMeterDialog::OnTimer() {
  if (meter_.progressTask == ProgressTask::Download) {
    StartDownload();
  } else {
    meter_.TimerFired();
  }
}

void ProgressMeterDialog::StartDownload() {
  downloading_ = true;
  worker_ = std::thread([this, self = self_] {
    meter_.RunDownload();
    // Posted after every repaint and message line of the download, so it is handled last.
    ui_.Post([self] {
      if (!self) return;
      self->worker_.join();
      self->downloading_ = false;
      self->meter_.DownloadReturned();
    });
  });
}

void ProgressMeterDialog::RequestRepaint() {
  if (ui_.IsUiThread()) {
    bar_->update();
    return;
  }
  // Progress may come once a line; one repaint request at a time is enough.
  if (repaintQueued_.exchange(true)) return;
  ui_.Post([self = self_] {
    if (!self) return;
    self->repaintQueued_ = false;
    self->bar_->update();
  });
}

void ProgressMeterDialog::reject() {
  // Closing while the library is still downloading would leave it calling into a closed meter.
  if (downloading_) return;
  meter_.Command(ProgressResult::Cancel);
}

ProgressMeter::ModalHost ProgressMeterDialogHost(platform::UiThread& ui, QWidget* owner) {
  return [&ui, owner](ProgressMeter& meter) {
    ProgressMeterDialog dialog(meter, ui, owner);
    dialog.RunModal();
  };
}

}  // namespace bl
