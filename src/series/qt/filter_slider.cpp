#include "series/qt/filter_slider.h"

#include <QSignalBlocker>
#include <QSlider>

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

}  // namespace bl::series
