#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string_view>

#include "series/filter_designer.h"

class QButtonGroup;
class QGridLayout;
class QLabel;
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

// Checks the group's button of the id without it reporting a click; none when no button has it.
void CheckButton(QButtonGroup& group, int id);

// One set of a filter designer on screen, as the data sources dialog and the tuning sheet's
// filter page both show it: the kind radio buttons and the two slider rows (caption, slider,
// value). The owner places the two layouts, hands the user's choices on and shows the designer
// again.
class FilterSetControls {
 public:
  using KindChosen = std::function<void(FilterKind kind)>;
  // row 0 or 1; position: where the slider was dragged to, for kDrag.
  using SliderMoved = std::function<void(int row, SliderStep step, int position)>;

  // labels: kinds 0 to 3; the radio buttons are laid out in radioRows rows.
  FilterSetControls(QWidget* frame, const std::array<std::string_view, 4>& labels, int radioRows,
                    KindChosen chosen, SliderMoved moved);

  QGridLayout* RadioLayout() const { return radioLayout_; }
  QGridLayout* RowLayout() const { return rowLayout_; }

  // The kind checked and the rows as the designer has them.
  void Show(FilterKind kind, const std::array<FilterRowView, 2>& rows);

  QButtonGroup& Kinds() { return *kinds_; }
  QSlider& Slider(int row) { return *rows_[Row(row)].slider; }
  QLabel& Caption(int row) { return *rows_[Row(row)].caption; }
  QLabel& Value(int row) { return *rows_[Row(row)].value; }

 private:
  struct SliderRow {
    QLabel* caption = nullptr;
    QSlider* slider = nullptr;
    QLabel* value = nullptr;
  };
  static std::size_t Row(int row) { return static_cast<std::size_t>(row); }

  QButtonGroup* kinds_;
  QGridLayout* radioLayout_;
  QGridLayout* rowLayout_;
  std::array<SliderRow, 2> rows_{};
};

}  // namespace bl::series
