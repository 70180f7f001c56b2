#pragma once

#include <optional>

#include "series/filter_designer.h"

class QSlider;
class QWidget;

namespace bl::series {

// A filter designer's slider: horizontal, 0 to 1000, line step 1, page step 20.
QSlider* NewFilterSlider(QWidget* parent);

// The step a slider action (QAbstractSlider::SliderAction) stands for; nothing for the others.
// The action arrives before the slider takes its new position: the designer decides it.
std::optional<SliderStep> FilterSliderStep(int action);

// Puts a slider at a position without it reporting a move.
void PlaceFilterSlider(QSlider& slider, int position);

}  // namespace bl::series
