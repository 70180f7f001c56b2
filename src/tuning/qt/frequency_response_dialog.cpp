#include "tuning/qt/frequency_response_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"

namespace bl::tuning {

using platform::ToQt;

FrequencyResponseDialog::FrequencyResponseDialog(FrequencyResponsePresenter& presenter,
                                                 QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
  setWindowTitle("Create Frequency Response");

  auto* lists = new QGridLayout;
  const char* labels[] = {"Commanded Data:", "Actual Data:", "Frequency Response:"};
  QComboBox** boxes[] = {&commanded_, &actual_, &result_};
  for (int row = 0; row < 3; ++row) {
    auto* box = new QComboBox(this);
    box->setMinimumContentsLength(32);
    *boxes[row] = box;
    lists->addWidget(new QLabel(labels[row], this), row, 0);
    lists->addWidget(box, row, 1);
  }
  lists->addWidget(
      new QLabel("(This series will be overwritten by the frequency response data.)", this), 3, 1);

  create_ = new QPushButton("Create Frequency Response Now!", this);
  create_->setAutoDefault(false);
  done_ = new QPushButton("Done", this);
  done_->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(create_);
  buttons->addWidget(done_);
  connect(create_, &QPushButton::clicked, this, [this] {
    presenter_.CreateNow(commanded_->currentIndex(), actual_->currentIndex(),
                         result_->currentIndex());
    Fill();
  });
  connect(done_, &QPushButton::clicked, this, &QDialog::accept);

  auto* top = new QVBoxLayout(this);
  top->addLayout(lists);
  top->addLayout(buttons);
  Fill();
}

void FrequencyResponseDialog::Fill() {
  const std::vector<std::string> items = presenter_.SeriesItems();
  const std::pair<QComboBox*, int> lists[] = {{commanded_, presenter_.CommandedIndex()},
                                              {actual_, presenter_.ActualIndex()},
                                              {result_, presenter_.ResultIndex()}};
  for (const auto& [box, selected] : lists) {
    const QSignalBlocker quiet(box);
    box->clear();
    for (const std::string& item : items) box->addItem(ToQt(item));
    box->setCurrentIndex(selected);
  }
}

void RunFrequencyResponseDialog(QWidget* parent, FrequencyResponsePresenter& presenter) {
  presenter.Open();
  FrequencyResponseDialog dialog(presenter, parent);
  dialog.exec();
}

}  // namespace bl::tuning
