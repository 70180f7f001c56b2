#include "tools/qt/encoder_table_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"
#include "tuning/qt/leave_field.h"

namespace bl::tools {

using platform::FromQt;
using platform::ToQt;

namespace {

constexpr std::array<const char*, 3> kHeadings = {"Setup Variable", "Description",
                                                  "Result Address"};
// The headings' columns over the fixed-pitch lines: the setup word, its description, and the
// address at the end of a Turbo line.
constexpr std::array<int, 3> kHeadingColumns = {0, 14, 81};
constexpr int kListColumns = 96;

}  // namespace

EncoderTableDialog::EncoderTableDialog(EncoderTablePresenter& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
  setWindowTitle(kEctTitle);
  const QFont fixed = platform::MakeQtFont(platform::FontId::Fixed);
  const int cell = QFontMetrics(fixed).horizontalAdvance('0');

  auto* headings = new QWidget(this);
  headings->setFixedHeight(QFontMetrics(fixed).height() + 2);
  for (std::size_t h = 0; h < kHeadings.size(); ++h) {
    auto* label = new QLabel(kHeadings[h], headings);
    label->move(4 + kHeadingColumns[h] * cell, 0);
  }

  list_ = new QListWidget(this);
  list_->setFont(fixed);
  list_->setMinimumWidth(kListColumns * cell + 24);
  list_->setMinimumHeight(16 * QFontMetrics(fixed).height());
  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (filling_ || row < 0) return;
    presenter_.SelectLine(row);
    FillGroup();
  });

  auto* group = new QGroupBox("Selected ECT Entry", this);
  auto* grid = new QGridLayout(group);
  type_ = new QComboBox(group);
  type_->setFont(fixed);
  for (int t = 0; t < kEctTypeCount; ++t)
    type_->addItem(ToQt(EctTypeText(t, presenter_.Table().Turbo())));
  connect(type_, &QComboBox::activated, this, [this](int index) {
    if (filling_) return;
    presenter_.ChooseType(index);
    Fill();
  });
  for (int f = 0; f < kEctFieldCount; ++f) {
    const auto field = static_cast<EctField>(f);
    labels_[static_cast<std::size_t>(f)] = new QLabel(group);
    fields_[static_cast<std::size_t>(f)] = new tuning::LeaveField(
        [this, field](const QString& text) {
          if (filling_) return;
          presenter_.EditField(field, FromQt(text));
          Fill();
        },
        group);
    fields_[static_cast<std::size_t>(f)]->setMinimumWidth(110);
  }
  for (int b = 0; b < kEctBoxCount; ++b) {
    auto* box = new QCheckBox(group);
    boxes_[static_cast<std::size_t>(b)] = box;
    connect(box, &QCheckBox::clicked, this, [this, b](bool checked) {
      if (filling_) return;
      presenter_.SetBox(b, checked);
      Fill();
    });
  }
  secondLine_ = new QLabel("2nd Line of ECT Entry:", group);
  thirdLine_ = new QLabel("3rd Line of ECT Entry:", group);

  grid->addWidget(new QLabel("1st Line of ECT Entry:", group), 0, 0);
  grid->addWidget(type_, 0, 1, 1, 4);
  grid->addWidget(labels_[kEctFirstField], 1, 1);
  grid->addWidget(fields_[kEctFirstField], 1, 2);
  grid->addWidget(labels_[kEctSecondEntry], 1, 3);
  grid->addWidget(fields_[kEctSecondEntry], 1, 4);
  auto* boxRow = new QHBoxLayout;
  for (QCheckBox* box : boxes_) boxRow->addWidget(box);
  boxRow->addStretch();
  grid->addLayout(boxRow, 2, 1, 1, 4);
  grid->addWidget(secondLine_, 3, 0);
  grid->addWidget(labels_[kEctSecondLine], 3, 1);
  grid->addWidget(fields_[kEctSecondLine], 3, 2);
  grid->addWidget(labels_[kEctOffset], 3, 3);
  grid->addWidget(fields_[kEctOffset], 3, 4);
  grid->addWidget(thirdLine_, 4, 0);
  grid->addWidget(labels_[kEctThirdLine], 4, 1);
  grid->addWidget(fields_[kEctThirdLine], 4, 2);
  grid->setColumnStretch(5, 1);
  // The group keeps its height whichever controls the type shows.
  const int rowHeight = fields_[0]->sizeHint().height();
  for (int row = 1; row <= 4; ++row) grid->setRowMinimumHeight(row, rowHeight);

  insert_ = new QPushButton("Insert Line at Cursor", this);
  delete_ = new QPushButton("Delete ECT Entry at Cursor", this);
  ok_ = new QPushButton("OK", this);
  auto* cancel = new QPushButton("Cancel", this);
  for (QPushButton* button : {insert_, delete_, ok_, cancel}) button->setAutoDefault(false);
  connect(insert_, &QPushButton::clicked, this, [this] {
    presenter_.InsertLine();
    Fill();
  });
  connect(delete_, &QPushButton::clicked, this, [this] {
    presenter_.DeleteEntry();
    Fill();
  });
  connect(ok_, &QPushButton::clicked, this, [this] {
    presenter_.Accept();
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(insert_);
  buttons->addWidget(delete_);
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);

  auto* top = new QVBoxLayout(this);
  top->addWidget(headings);
  top->addWidget(list_, 1);
  top->addWidget(group);
  top->addLayout(buttons);
  Fill();
}

void EncoderTableDialog::Fill() {
  filling_ = true;
  {
    const QSignalBlocker quiet(list_);
    const std::vector<std::string> lines = presenter_.ListLines();
    if (list_->count() != static_cast<int>(lines.size())) {
      list_->clear();
      for (const std::string& line : lines) list_->addItem(ToQt(line));
    } else {
      for (int i = 0; i < list_->count(); ++i)
        list_->item(i)->setText(ToQt(lines[static_cast<std::size_t>(i)]));
    }
    list_->setCurrentRow(presenter_.Selected());
  }
  filling_ = false;
  FillGroup();
}

void EncoderTableDialog::FillGroup() {
  filling_ = true;
  const EctPanel panel = presenter_.Panel();
  {
    const QSignalBlocker quiet(type_);
    type_->setCurrentIndex(panel.type);
  }
  for (std::size_t f = 0; f < fields_.size(); ++f) {
    const bool shown = !panel.labels[f].empty();
    labels_[f]->setText(ToQt(panel.labels[f]));
    labels_[f]->setVisible(shown);
    fields_[f]->setText(ToQt(panel.texts[f]));
    fields_[f]->setVisible(shown);
  }
  for (std::size_t b = 0; b < boxes_.size(); ++b) {
    const QSignalBlocker quiet(boxes_[b]);
    boxes_[b]->setText(ToQt(panel.boxLabels[b]));
    boxes_[b]->setChecked(panel.boxChecked[b]);
    boxes_[b]->setVisible(!panel.boxLabels[b].empty());
  }
  secondLine_->setVisible(panel.secondLine);
  thirdLine_->setVisible(panel.thirdLine);
  filling_ = false;
}

void RunEncoderTableDialog(QWidget* parent, EncoderTablePresenter& presenter) {
  presenter.Open();
  EncoderTableDialog dialog(presenter, parent);
  dialog.exec();
}

}  // namespace bl::tools
