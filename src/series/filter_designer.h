#pragma once

#include <array>
#include <string>

#include "series/filter_design.h"

namespace bl::series {

// The two halves of a filter designer: the zeros (N1, N2) and the poles (D1, D2).
enum class FilterSet : int { kNumerator = 0, kDenominator = 1 };

// How a slider was moved: a line (1) or a page (20) either way, or dragged to a position.
enum class SliderStep { kLineDown, kLineUp, kPageDown, kPageUp, kDrag };

inline constexpr int kSliderLineStep = 1;
inline constexpr int kSliderPageStep = 20;

// One slider row of a designer: caption, slider and value text.
struct FilterRowView {
  bool visible = false;
  std::string caption;
  std::string value;
  int position = 0;
};

// The radio buttons and slider rows that design a filter's numerator and denominator sections,
// as the data sources dialog and the tuning sheet's filter page both show them. It keeps, for
// each set, the kind and slider positions on show and the section last designed with the
// positions it came from; the sections themselves belong to the caller.
class FilterDesigner {
 public:
  explicit FilterDesigner(FilterKind initialKind = FilterKind::kOff);

  // Shows the sections (numerator, denominator) at sample period T. Kinds and positions follow
  // what the coefficients really are; only a slider whose section is exactly the one last
  // designed from it stays where it was put, since the analysis truncates a first-order
  // frequency and a line step up could otherwise never move it. context says whose sections
  // these are (a series number, say): a design made for another context is not used.
  void Show(const std::array<FilterSection, 2>& sections, double period, int context = 0);

  FilterKind Kind(FilterSet set) const { return sets_[Index(set)].kind; }
  const std::array<FilterRowView, 2>& Rows(FilterSet set) const { return sets_[Index(set)].rows; }

  // A radio button: the set's section of that kind, designed from the positions on show.
  FilterSection ChooseKind(FilterSet set, FilterKind kind, double period, int context = 0);

  // A slider of row 0 or 1 moved (dragged: its position for kDrag): the position is kept within
  // 0 to 1000 and both sections are designed again from their kinds and positions. False, with
  // nothing designed, for another row.
  bool MoveSlider(FilterSet set, int row, SliderStep step, int dragged, double period,
                  std::array<FilterSection, 2>& sections, int context = 0);

 private:
  struct Designed {
    int context = -1;
    FilterSection section;
    FilterKind kind = FilterKind::kOff;
    int position1 = 0;
    int position2 = 0;
  };
  struct Set {
    FilterKind kind = FilterKind::kOff;
    std::array<FilterRowView, 2> rows;
    Designed designed;
  };
  static std::size_t Index(FilterSet set) { return static_cast<std::size_t>(set); }
  FilterSection Design(std::size_t set, FilterKind kind, int position1, int position2,
                       double period, int context);

  std::array<Set, 2> sets_;
};

}  // namespace bl::series
