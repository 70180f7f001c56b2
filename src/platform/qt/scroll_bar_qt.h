#pragma once

#include <QAbstractSlider>
#include <QScrollBar>
#include <algorithm>
#include <optional>

#include "platform/scroll_bar.h"

namespace bl::platform {

// A Qt slider action as a scroll action; nothing for actions the views ignore.
inline std::optional<ScrollAction> ToScrollAction(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      return ScrollAction::LineBack;
    case QAbstractSlider::SliderSingleStepAdd:
      return ScrollAction::LineForward;
    case QAbstractSlider::SliderPageStepSub:
      return ScrollAction::PageBack;
    case QAbstractSlider::SliderPageStepAdd:
      return ScrollAction::PageForward;
    case QAbstractSlider::SliderToMinimum:
      return ScrollAction::Start;
    case QAbstractSlider::SliderToMaximum:
      return ScrollAction::End;
    case QAbstractSlider::SliderMove:
      return ScrollAction::Thumb;
    default:
      return std::nullopt;
  }
}

// Qt's maximum is the last position the thumb's start can take; ours is the range's end.
inline void ApplyScrollBar(QScrollBar& bar, const ScrollBarSettings& s) {
  bar.setRange(s.minimum, std::max(s.minimum, s.maximum - s.page + 1));
  bar.setPageStep(std::max(1, s.page));
  bar.setValue(s.position);
  bar.setEnabled(s.Enabled());
}

}  // namespace bl::platform
