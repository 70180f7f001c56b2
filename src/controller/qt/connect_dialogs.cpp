#include "controller/qt/connect_dialogs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"

namespace bl {

namespace {

// The dialog's picture: a controller card with its connectors and status lamps.
QPixmap ControllerPicture() {
  QPixmap pixmap(120, 80);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(20, 60, 20), 2));
  p.setBrush(QColor(40, 120, 60));
  p.drawRoundedRect(QRectF(4, 10, 112, 60), 4, 4);
  p.setBrush(QColor(30, 30, 30));
  p.drawRect(QRectF(14, 22, 30, 22));
  p.setBrush(QColor(200, 170, 60));
  for (int i = 0; i < 8; ++i) p.drawRect(QRectF(14 + i * 12, 66, 8, 10));
  p.setBrush(QColor(90, 90, 90));
  p.drawRect(QRectF(54, 22, 52, 12));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 220, 0));
  p.drawEllipse(QPointF(60, 50), 4, 4);
  p.setBrush(QColor(255, 60, 0));
  p.drawEllipse(QPointF(74, 50), 4, 4);
  return pixmap;
}

}  // namespace

ConnectDialog::ConnectDialog(ConnectPresenter& presenter, QWidget* parent)
    : QDialog(parent),
      presenter_(presenter),
      status_(new QLabel(this)),
      connect_(new QPushButton("Connect to PMAC", this)),
      disconnect_(new QPushButton("Disconnect from PMAC", this)),
      offline_(new QPushButton("Work Offline", this)) {
  setWindowTitle("Connect to PMAC");
  auto* picture = new QLabel(this);
  picture->setPixmap(ControllerPicture());

  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {connect_, disconnect_, offline_}) {
    b->setAutoDefault(false);
    b->setMinimumWidth(b->fontMetrics().horizontalAdvance("Disconnect from PMAC") + 24);
    buttons->addWidget(b);
  }
  auto* top = new QHBoxLayout;
  top->addWidget(picture);
  top->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(status_);

  connect(connect_, &QPushButton::clicked, this, [this] {
    if (presenter_.Connect() == ConnectPresenter::Outcome::Connected) {
      outcome_ = ConnectPresenter::Outcome::Connected;
      accept();
    } else {
      ShowState();
    }
  });
  connect(disconnect_, &QPushButton::clicked, this, [this] {
    presenter_.Disconnect();
    ShowState();
  });
  connect(offline_, &QPushButton::clicked, this, [this] {
    outcome_ = presenter_.WorkOffline();
    accept();
  });
  ShowState();
}

void ConnectDialog::ShowState() {
  status_->setText(platform::ToQt(presenter_.StatusText()));
  connect_->setEnabled(presenter_.ConnectEnabled());
  disconnect_->setEnabled(presenter_.DisconnectEnabled());
  offline_->setEnabled(presenter_.WorkOfflineEnabled());
  (presenter_.ConnectEnabled() ? connect_ : disconnect_)->setFocus();
}

void ConnectDialog::reject() {
  outcome_ = presenter_.Cancel();
  QDialog::reject();
}

WorkOfflineDialog::WorkOfflineDialog(WorkOfflinePresenter& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
  setWindowTitle("Work Offline");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(WorkOfflinePresenter::kPrompt, this));
  auto* grid = new QGridLayout;
  int column = 0;
  for (const WorkOfflinePresenter::Choice& choice : WorkOfflinePresenter::Choices()) {
    auto* button = new QPushButton(choice.button, this);
    button->setAutoDefault(false);
    const int code = choice.typeCode;
    connect(button, &QPushButton::clicked, this, [this, code] {
      chosen_ = true;
      presenter_.Choose(code);
      accept();
    });
    QStringList boards;
    for (const char* board : choice.boards) boards << board;
    auto* list = new QLabel(boards.join('\n'), this);
    list->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    const int row = (column / 3) * 2;
    grid->addWidget(button, row, column % 3);
    grid->addWidget(list, row + 1, column % 3);
    ++column;
  }
  layout->addLayout(grid);
}

void WorkOfflineDialog::reject() {
  if (!chosen_) presenter_.Cancel();
  QDialog::reject();
}

void RunConnectionDialogs(QWidget* parent, ConnectPresenter& connect,
                          WorkOfflinePresenter& offline) {
  ConnectDialog dialog(connect, parent);
  dialog.exec();
  if (dialog.Outcome() == ConnectPresenter::Outcome::OpenWorkOffline) {
    WorkOfflineDialog choose(offline, parent);
    choose.exec();
  }
}

}  // namespace bl
