#include "series/qt/filter_set_controls.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>

#include "platform/qt/qt_fonts.h"

namespace bl::series {

QSlider* NewFilterSlider(QWidget* parent) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setRange(0, kMaxSliderPosition);
  slider->setSingleStep(kSliderLineStep);
  slider->setPageStep(kSliderPageStep);
  slider->setMinimumWidth(200);
  return slider;
}

std::optional<SliderStep> FilterSliderStep(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
      return SliderStep::kLineUp;
    case QAbstractSlider::SliderSingleStepSub:
      return SliderStep::kLineDown;
    case QAbstractSlider::SliderPageStepAdd:
      return SliderStep::kPageUp;
    case QAbstractSlider::SliderPageStepSub:
      return SliderStep::kPageDown;
    case QAbstractSlider::SliderMove:
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum:
      return SliderStep::kDrag;
    default:
      return std::nullopt;
  }
}

void PlaceFilterSlider(QSlider& slider, int position) {
  const QSignalBlocker quiet(&slider);
  slider.setSliderPosition(position);
  slider.setValue(position);
}

void CheckButton(QButtonGroup& group, int id) {
  const QSignalBlocker quiet(&group);
  if (QAbstractButton* button = group.button(id)) {
    button->setChecked(true);
    return;
  }
  group.setExclusive(false);
  for (QAbstractButton* b : group.buttons()) b->setChecked(false);
  group.setExclusive(true);
}

FilterSetControls::FilterSetControls(QWidget* frame,
                                     const std::array<std::string_view, 4>& labels, int radioRows,
                                     KindChosen chosen, SliderMoved moved)
    : kinds_(new QButtonGroup(frame)), radioLayout_(new QGridLayout), rowLayout_(new QGridLayout) {
  for (std::size_t kind = 0; kind < labels.size(); ++kind) {
    auto* radio = new QRadioButton(platform::ToQt(labels[kind]), frame);
    const int k = static_cast<int>(kind);
    kinds_->addButton(radio, k);
    radioLayout_->addWidget(radio, k % radioRows, k / radioRows);
  }
  radioLayout_->setColumnStretch(radioLayout_->columnCount(), 1);
  QObject::connect(kinds_, &QButtonGroup::idClicked, frame,
                   [chosen](int kind) { chosen(static_cast<FilterKind>(kind)); });

  for (int row = 0; row < 2; ++row) {
    SliderRow& r = rows_[Row(row)];
    // The longest captions, so the rows have room for them before the first refresh.
    r.caption = new QLabel(row == 0 ? "Natural Frequency #1:" : "Natural Frequency #2:", frame);
    r.slider = NewFilterSlider(frame);
    r.value = new QLabel(frame);
    r.value->setMinimumWidth(80);
    r.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Hidden rows keep their room, so the designer does not jump as the kinds change.
    for (QWidget* w : {static_cast<QWidget*>(r.caption), static_cast<QWidget*>(r.slider),
                       static_cast<QWidget*>(r.value)}) {
      QSizePolicy policy = w->sizePolicy();
      policy.setRetainSizeWhenHidden(true);
      w->setSizePolicy(policy);
    }
    rowLayout_->addWidget(r.caption, row, 0);
    rowLayout_->addWidget(r.slider, row, 1);
    rowLayout_->addWidget(r.value, row, 2);
    // The action arrives with the slider's new position not yet taken as its value; the
    // designer decides the position, and Show puts the slider there.
    QSlider* slider = r.slider;
    QObject::connect(slider, &QAbstractSlider::actionTriggered, frame,
                     [moved, row, slider](int action) {
                       if (const std::optional<SliderStep> step = FilterSliderStep(action))
                         moved(row, *step, slider->sliderPosition());
                     });
  }
  rowLayout_->setColumnStretch(1, 1);
}

void FilterSetControls::Show(FilterKind kind, const std::array<FilterRowView, 2>& rows) {
  CheckButton(*kinds_, static_cast<int>(kind));
  for (std::size_t row = 0; row < rows.size(); ++row) {
    const FilterRowView& view = rows[row];
    SliderRow& r = rows_[row];
    r.caption->setText(platform::ToQt(view.caption));
    r.value->setText(platform::ToQt(view.value));
    PlaceFilterSlider(*r.slider, view.position);
    for (QWidget* w : {static_cast<QWidget*>(r.caption), static_cast<QWidget*>(r.slider),
                       static_cast<QWidget*>(r.value)})
      w->setVisible(view.visible);
  }
}

}  // namespace bl::series
