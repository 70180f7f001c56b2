#include "series/qt/edit_sources_dialog.h"

#include <QAbstractSlider>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"
#include "series/qt/filter_set_controls.h"

namespace bl::series {

namespace {

using platform::FromQt;
using platform::ToQt;

void SetText(QLineEdit* field, const std::string& text) {
  const QString q = ToQt(text);
  if (field->text() != q) field->setText(q);
}

}  // namespace

EditSourcesDialog::EditSourcesDialog(SeriesTable& table, std::function<void()> redraw,
                                     ChooseSource chooseSource, QWidget* parent)
    : QDialog(parent),
      presenter_(table, std::move(redraw)),
      chooseSourceAction_(std::move(chooseSource)) {
  setWindowTitle("Edit Data Sources");

  title_ = new QLineEdit(this);
  title_->setMaxLength(static_cast<int>(kTitleLimit));
  seriesLabel_ = new QLabel(this);
  auto* previous = new QPushButton("Previous", this);
  next_ = new QPushButton("Next", this);
  auto* topLine = new QHBoxLayout;
  topLine->addWidget(title_, 1);
  topLine->addWidget(seriesLabel_);
  topLine->addWidget(previous);
  topLine->addWidget(next_);

  auto* left = new QVBoxLayout;
  left->addWidget(BuildSourceGroup());
  left->addWidget(BuildScalingGroup());
  left->addWidget(BuildIntegrationGroup());
  removeDc_ = new QCheckBox("Remove D.C. Offset", this);
  left->addWidget(removeDc_);
  left->addStretch();

  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(ok);

  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addWidget(BuildFilterGroup(), 1);
  auto* top = new QVBoxLayout(this);
  top->addLayout(topLine);
  top->addLayout(columns);
  top->addLayout(bottom);

  for (QPushButton* button : findChildren<QPushButton*>())
    if (button != ok) button->setAutoDefault(false);

  OnEdited(title_, &EditSourcesPresenter::EditTitle);
  OnEdited(address_, &EditSourcesPresenter::EditAddress);
  OnEdited(startingBit_, &EditSourcesPresenter::EditStartingBit);
  OnEdited(length_, &EditSourcesPresenter::EditLength);
  OnEdited(scale_, &EditSourcesPresenter::EditScaleFactor);
  OnEdited(offset_, &EditSourcesPresenter::EditOffset);
  connect(previous, &QPushButton::clicked, this, [this] {
    presenter_.Previous();
    Render();
  });
  connect(next_, &QPushButton::clicked, this, [this] {
    presenter_.Next();
    Render();
  });
  connect(sources_, &QButtonGroup::idClicked, this, [this](int id) {
    presenter_.ChooseSource(id);
    Render();
  });
  connect(signed_, &QCheckBox::clicked, this, [this](bool on) {
    presenter_.SetSigned(on);
    Render();
  });
  connect(chooseSource_, &QPushButton::clicked, this, [this] {
    if (chooseSourceAction_ && chooseSourceAction_(this)) presenter_.Refresh();
    Render();
  });
  connect(integration_, &QButtonGroup::idClicked, this, [this](int id) {
    presenter_.ChooseIntegration(id);
    Render();
  });
  connect(removeDc_, &QCheckBox::clicked, this, [this](bool on) {
    presenter_.SetRemoveDcOffset(on);
    Render();
  });
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  Render();
}

QWidget* EditSourcesDialog::BuildSourceGroup() {
  auto* group = new QGroupBox("Data Source", this);
  sources_ = new QButtonGroup(group);
  auto* radios = new QHBoxLayout;
  const char* labels[] = {"X-Memory", "Y-Memory", "D-Memory", "L-Memory"};
  for (int type = 1; type <= 4; ++type) {
    auto* radio = new QRadioButton(labels[type - 1], group);
    sources_->addButton(radio, type);
    radios->addWidget(radio);
  }
  address_ = new QLineEdit(group);
  startingBit_ = new QLineEdit(group);
  length_ = new QLineEdit(group);
  signed_ = new QCheckBox("Signed:", group);
  signed_->setLayoutDirection(Qt::RightToLeft);
  float_ = new QCheckBox("Float:", group);
  float_->setLayoutDirection(Qt::RightToLeft);
  float_->setEnabled(false);  // shows the L format; nothing to choose
  chooseSource_ = new QPushButton("Get Data Source from P, Q, or M Variable", group);

  auto* fields = new QGridLayout;
  fields->addWidget(new QLabel("Address:", group), 0, 0);
  fields->addWidget(address_, 0, 1);
  fields->addWidget(signed_, 0, 2);
  fields->addWidget(new QLabel("Starting Bit:", group), 1, 0);
  fields->addWidget(startingBit_, 1, 1);
  fields->addWidget(float_, 1, 2);
  fields->addWidget(new QLabel("Length:", group), 2, 0);
  fields->addWidget(length_, 2, 1);
  auto* layout = new QVBoxLayout(group);
  layout->addLayout(radios);
  layout->addLayout(fields);
  layout->addWidget(chooseSource_);
  return group;
}

QWidget* EditSourcesDialog::BuildScalingGroup() {
  auto* group = new QGroupBox("Scaling and Offsets", this);
  scale_ = new QLineEdit(group);
  offset_ = new QLineEdit(group);
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel("Scale Factor:", group), 0, 0);
  grid->addWidget(scale_, 0, 1);
  grid->addWidget(new QLabel("Offset:", group), 1, 0);
  grid->addWidget(offset_, 1, 1);
  return group;
}

QWidget* EditSourcesDialog::BuildIntegrationGroup() {
  auto* group = new QGroupBox("Integration/Differenciation", this);
  integration_ = new QButtonGroup(group);
  auto* layout = new QVBoxLayout(group);
  for (std::size_t mode = 0; mode < kIntegrationLabels.size(); ++mode) {
    auto* radio = new QRadioButton(ToQt(kIntegrationLabels[mode]), group);
    integration_->addButton(radio, static_cast<int>(mode));
    layout->addWidget(radio);
  }
  return group;
}

QWidget* EditSourcesDialog::BuildFilterGroup() {
  auto* group = new QGroupBox("2nd Order Digital Filter", this);
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(BuildFilterSet(FilterSet::kNumerator, "N"));
  layout->addWidget(BuildFilterSet(FilterSet::kDenominator, "D"));
  layout->addStretch();
  return group;
}

QWidget* EditSourcesDialog::BuildFilterSet(FilterSet set, const char* letter) {
  auto* frame = new QGroupBox(this);
  const std::size_t s = Index(set);
  const auto& labels = set == FilterSet::kNumerator ? kNumeratorKindLabels : kDenominatorKindLabels;
  filterSets_[s] = std::make_unique<FilterSetControls>(
      frame, labels, 2,
      [this, set](FilterKind kind) {
        presenter_.ChooseFilterKind(set, kind);
        Render();
      },
      [this, set](int row, SliderStep step, int position) {
        presenter_.MoveSlider(set, row, step, position);
        Render();
      });

  auto* coefficients = new QGridLayout;
  for (int i = 0; i < 2; ++i) {
    coefficients->addWidget(new QLabel(QString("%1%2:").arg(letter).arg(i + 1), frame), 0, 2 * i);
    auto* value = new QLabel(frame);
    value->setFrameShape(QFrame::StyledPanel);
    value->setMinimumWidth(90);
    value->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    coefficients_[s][Row(i)] = value;
    coefficients->addWidget(value, 0, 2 * i + 1);
  }

  auto* layout = new QVBoxLayout(frame);
  layout->addLayout(filterSets_[s]->RadioLayout());
  layout->addLayout(filterSets_[s]->RowLayout());
  layout->addLayout(coefficients);
  return frame;
}

void EditSourcesDialog::OnEdited(QLineEdit* field,
                                 void (EditSourcesPresenter::*edit)(std::string_view)) {
  connect(field, &QLineEdit::editingFinished, this, [this, field, edit] {
    // Only what the user typed: a field also finishes when its window loses the focus, which
    // may come after the series has changed beneath it (a source taken from a variable).
    if (!field->isModified()) return;
    field->setModified(false);
    (presenter_.*edit)(FromQt(field->text()));
    Render();
  });
}

void EditSourcesDialog::Render() {
  const EditSourcesView& v = presenter_.View();
  SetText(title_, v.title);
  seriesLabel_->setText(ToQt(v.seriesLabel));
  CheckButton(*sources_, v.sourceRadio);
  SetText(address_, v.address);
  SetText(startingBit_, v.startingBit);
  SetText(length_, v.length);
  startingBit_->setEnabled(v.bitFieldsEnabled);
  length_->setEnabled(v.bitFieldsEnabled);
  signed_->setEnabled(v.bitFieldsEnabled);
  signed_->setChecked(v.signedChecked);
  float_->setChecked(v.floatChecked);
  SetText(scale_, v.scaleFactor);
  SetText(offset_, v.offset);
  CheckButton(*integration_, v.integrationMode);
  removeDc_->setChecked(v.removeDcOffset);
  for (std::size_t s = 0; s < 2; ++s) {
    const FilterSetView& f = v.filter[s];
    filterSets_[s]->Show(f.kind, f.rows);
    coefficients_[s][0]->setText(ToQt(f.coefficients[0]));
    coefficients_[s][1]->setText(ToQt(f.coefficients[1]));
  }
}

void RunEditSourcesDialog(QWidget* parent, SeriesTable& table, std::function<void()> redraw,
                          EditSourcesDialog::ChooseSource chooseSource) {
  EditSourcesDialog dialog(table, std::move(redraw), std::move(chooseSource), parent);
  dialog.exec();
}

}  // namespace bl::series
