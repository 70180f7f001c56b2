#include "tuning/qt/reference_series_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"

namespace bl::tuning {

using platform::FromQt;
using platform::ToQt;

namespace {

void FillList(QComboBox* list, const std::vector<std::string>& items, int selected) {
  const QSignalBlocker quiet(list);
  list->clear();
  for (const std::string& item : items) list->addItem(ToQt(item));
  list->setCurrentIndex(selected);
}

}  // namespace

ReferenceSeriesDialog::ReferenceSeriesDialog(ReferenceSeriesPresenter& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
  setWindowTitle("Create Reference Series");

  seriesList_ = new QComboBox(this);
  seriesList_->setMinimumContentsLength(32);
  auto* seriesRow = new QHBoxLayout;
  seriesRow->addWidget(new QLabel("Series to Modify:", this));
  seriesRow->addWidget(seriesList_, 1);
  connect(seriesList_, &QComboBox::activated, this, [this](int index) {
    presenter_.ChooseSeries(index);
    Fill();
  });

  auto* typeGroup = new QGroupBox("Series Type", this);
  auto* typeLayout = new QVBoxLayout(typeGroup);
  for (int t = 0; t < kReferenceTypeCount; ++t) {
    const auto type = static_cast<ReferenceType>(t);
    auto* button = new QRadioButton(ToQt(ReferenceTypeLabel(type)), typeGroup);
    types_[static_cast<std::size_t>(t)] = button;
    typeLayout->addWidget(button);
    connect(button, &QRadioButton::clicked, this, [this, type] {
      presenter_.ChooseType(type);
      Fill();
    });
  }

  auto* fieldLayout = new QGridLayout;
  for (int f = 0; f < kReferenceFieldCount; ++f) {
    const auto field = static_cast<ReferenceField>(f);
    auto* edit = new QLineEdit(this);
    edit->setMinimumWidth(120);
    fields_[static_cast<std::size_t>(f)] = edit;
    fieldLayout->addWidget(new QLabel(ToQt(ReferenceSeriesPresenter::FieldLabel(field)), this), f,
                           0);
    fieldLayout->addWidget(edit, f, 1);
    connect(edit, &QLineEdit::editingFinished, this, [this, field, edit] {
      presenter_.EditField(field, FromQt(edit->text()));
      Fill();
    });
  }

  auto* middle = new QHBoxLayout;
  middle->addWidget(typeGroup);
  middle->addLayout(fieldLayout, 1);

  create_ = new QPushButton("Create Series Now!", this);
  create_->setAutoDefault(false);
  done_ = new QPushButton("Done", this);
  done_->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(create_);
  buttons->addWidget(done_);
  connect(create_, &QPushButton::clicked, this, [this] {
    presenter_.CreateNow();
    Fill();
  });
  connect(done_, &QPushButton::clicked, this, &QDialog::accept);

  auto* top = new QVBoxLayout(this);
  top->addLayout(seriesRow);
  top->addLayout(middle);
  top->addLayout(buttons);
  Fill();
}

void ReferenceSeriesDialog::Fill() {
  FillList(seriesList_, presenter_.SeriesItems(), presenter_.SeriesIndex());
  for (int t = 0; t < kReferenceTypeCount; ++t) {
    QRadioButton* button = types_[static_cast<std::size_t>(t)];
    const QSignalBlocker quiet(button);
    button->setChecked(t == static_cast<int>(presenter_.Type()));
  }
  for (int f = 0; f < kReferenceFieldCount; ++f)
    fields_[static_cast<std::size_t>(f)]->setText(
        ToQt(presenter_.FieldText(static_cast<ReferenceField>(f))));
}

void RunReferenceSeriesDialog(QWidget* parent, ReferenceSeriesPresenter& presenter) {
  presenter.Open();
  ReferenceSeriesDialog dialog(presenter, parent);
  dialog.exec();
}

}  // namespace bl::tuning
