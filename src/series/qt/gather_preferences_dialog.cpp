#include "series/qt/gather_preferences_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"

namespace bl::series {

using platform::FromQt;
using platform::ToQt;

GatherPreferencesDialog::GatherPreferencesDialog(GatherBuffer& buffer, double servoPeriod,
                                                 GatherPreferencesActions actions, QWidget* parent)
    : QDialog(parent),
      presenter_(buffer, servoPeriod, std::move(actions)),
      period_(new QLineEdit(this)),
      bufferSize_(new QLineEdit(this)),
      servoFrequency_(new QLabel(this)),
      gatherFrequency_(new QLabel(this)),
      wrap_(new QCheckBox("Enable Wrap-Around", this)),
      dpram_(new QCheckBox("Gather to DPRAM", this)),
      download_(new QPushButton("Download Settings to PMAC", this)),
      upload_(new QPushButton("Upload Settings From PMAC", this)) {
  setWindowTitle("Data Gathering Preferences");
  for (QLabel* value : {servoFrequency_, gatherFrequency_}) {
    value->setFrameShape(QFrame::StyledPanel);
    value->setMinimumWidth(100);
  }

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Gather Period:", this), 0, 0);
  grid->addWidget(period_, 0, 1);
  grid->addWidget(new QLabel("Servo Frequency (Hz):", this), 1, 0);
  grid->addWidget(servoFrequency_, 1, 1);
  grid->addWidget(new QLabel("Gather Frequency (Hz):", this), 2, 0);
  grid->addWidget(gatherFrequency_, 2, 1);
  grid->addWidget(new QLabel("Buffer Size:", this), 3, 0);
  grid->addWidget(bufferSize_, 3, 1);
  auto* note = new QLabel(ToQt(kBufferSizeNote), this);
  note->setWordWrap(true);
  grid->addWidget(note, 4, 0, 1, 2);
  grid->addWidget(wrap_, 5, 0, 1, 2);
  grid->addWidget(dpram_, 6, 0, 1, 2);

  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  download_->setAutoDefault(false);
  upload_->setAutoDefault(false);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok);
  buttons->addWidget(download_);
  buttons->addWidget(upload_);
  buttons->addStretch();

  auto* top = new QHBoxLayout(this);
  top->addLayout(grid);
  top->addLayout(buttons);

  connect(period_, &QLineEdit::textEdited, this, [this](const QString& text) {
    presenter_.EditPeriod(FromQt(text));
    gatherFrequency_->setText(ToQt(presenter_.GatherFrequencyText()));
  });
  connect(bufferSize_, &QLineEdit::textEdited, this,
          [this](const QString& text) { presenter_.EditBufferSize(FromQt(text)); });
  connect(wrap_, &QCheckBox::toggled, this, [this](bool on) { presenter_.SetWrapAround(on); });
  connect(dpram_, &QCheckBox::toggled, this, [this](bool on) { presenter_.SetToDpram(on); });
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(download_, &QPushButton::clicked, this, [this] {
    presenter_.DownloadSettings();
    QDialog::accept();
  });
  connect(upload_, &QPushButton::clicked, this, [this] {
    presenter_.UploadSettings();
    Fill();
  });
  Fill();
}

void GatherPreferencesDialog::Fill() {
  period_->setText(ToQt(presenter_.PeriodText()));
  bufferSize_->setText(ToQt(presenter_.BufferSizeText()));
  servoFrequency_->setText(ToQt(presenter_.ServoFrequencyText()));
  gatherFrequency_->setText(ToQt(presenter_.GatherFrequencyText()));
  for (auto [box, on] :
       {std::pair{wrap_, presenter_.WrapAround()}, std::pair{dpram_, presenter_.ToDpram()}}) {
    const QSignalBlocker quiet(box);
    box->setChecked(on);
  }
}

void GatherPreferencesDialog::accept() {
  presenter_.Close();
  QDialog::accept();
}

void GatherPreferencesDialog::reject() {
  presenter_.Close();
  QDialog::reject();
}

void RunGatherPreferencesDialog(QWidget* parent, GatherBuffer& buffer, double servoPeriod,
                                GatherPreferencesActions actions) {
  GatherPreferencesDialog dialog(buffer, servoPeriod, std::move(actions), parent);
  dialog.exec();
}

}  // namespace bl::series
