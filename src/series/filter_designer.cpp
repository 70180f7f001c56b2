#include "series/filter_designer.h"

#include <algorithm>
#include <cstdlib>

#include "platform/text_format.h"

namespace bl::series {

FilterDesigner::FilterDesigner(FilterKind initialKind) {
  for (Set& s : sets_) s.kind = initialKind;
}

void FilterDesigner::Show(const std::array<FilterSection, 2>& sections, double period,
                          int context) {
  for (std::size_t i = 0; i < 2; ++i) {
    FilterAnalysis a = AnalyzeFilterSection(period, sections[i].c1, sections[i].c2);
    Set& s = sets_[i];
    const Designed& d = s.designed;
    if (d.context == context && d.section.c1 == sections[i].c1 && d.section.c2 == sections[i].c2 &&
        d.kind == a.kind && std::abs(d.position1 - a.position1) <= 1 &&
        std::abs(d.position2 - a.position2) <= 1) {
      a.position1 = d.position1;
      a.position2 = d.position2;
    }
    s.kind = a.kind;
    FilterRowView& row1 = s.rows[0];
    row1.visible = a.kind != FilterKind::kOff;
    row1.caption = "Natural Frequency #1:";
    row1.value = platform::Format("%.0lf Hz", a.value1);
    row1.position = a.position1;
    FilterRowView& row2 = s.rows[1];
    row2.visible = a.kind == FilterKind::kRealPair || a.kind == FilterKind::kComplexPair;
    if (a.kind == FilterKind::kComplexPair) {
      row2.caption = "Damping Ratio:";
      row2.value = platform::Format("%lf", a.value2);
    } else {
      row2.caption = "Natural Frequency #2:";
      row2.value = platform::Format("%.0lf Hz", a.value2);
    }
    row2.position = a.position2;
  }
}

FilterSection FilterDesigner::Design(std::size_t set, FilterKind kind, int position1, int position2,
                                     double period, int context) {
  const FilterSection section = DesignFilterSection(kind, period, position1, position2);
  // The slider shows what the design took: a complex pair keeps off both ends.
  const int low = kind == FilterKind::kComplexPair ? 1 : 0;
  const int high = kind == FilterKind::kComplexPair ? kMaxSliderPosition - 1 : kMaxSliderPosition;
  sets_[set].designed = {context, section, kind, std::clamp(position1, low, high),
                         std::clamp(position2, low, high)};
  return section;
}

FilterSection FilterDesigner::ChooseKind(FilterSet set, FilterKind kind, double period,
                                         int context) {
  const std::array<FilterRowView, 2>& rows = Rows(set);
  return Design(Index(set), kind, rows[0].position, rows[1].position, period, context);
}

bool FilterDesigner::MoveSlider(FilterSet set, int row, SliderStep step, int dragged, double period,
                                std::array<FilterSection, 2>& sections, int context) {
  if (row < 0 || row > 1) return false;
  std::array<std::array<int, 2>, 2> positions;
  for (std::size_t i = 0; i < 2; ++i)
    positions[i] = {sets_[i].rows[0].position, sets_[i].rows[1].position};
  int& p = positions[Index(set)][static_cast<std::size_t>(row)];
  switch (step) {
    case SliderStep::kLineDown:
      p -= kSliderLineStep;
      break;
    case SliderStep::kLineUp:
      p += kSliderLineStep;
      break;
    case SliderStep::kPageDown:
      p -= kSliderPageStep;
      break;
    case SliderStep::kPageUp:
      p += kSliderPageStep;
      break;
    case SliderStep::kDrag:
      p = dragged;
      break;
  }
  p = std::clamp(p, 0, kMaxSliderPosition);
  for (std::size_t i = 0; i < 2; ++i)
    sections[i] = Design(i, sets_[i].kind, positions[i][0], positions[i][1], period, context);
  return true;
}

}  // namespace bl::series
