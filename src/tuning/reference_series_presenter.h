#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tuning/reference_series.h"

namespace bl::tuning {

// The edit fields of "Create Reference Series", in the order of the dialog.
enum class ReferenceField : int {
  kAmplitude = 0,
  kOffset,
  kPeriod,
  kShift,
  kDataPeriod,
  kLength,
};
inline constexpr int kReferenceFieldCount = 6;

// "Create Reference Series" without its widgets. The fields always show the settings; an edit
// that does not hold a number leaves its setting as it was.
class ReferenceSeriesPresenter {
 public:
  // seriesChanged: the series lists and the graph follow a new series.
  ReferenceSeriesPresenter(ReferenceSettings& settings, series::SeriesTable& table,
                           std::function<void()> seriesChanged);

  static std::string_view FieldLabel(ReferenceField field);

  // Opening, and again after each creation: the chosen series (1 when it no longer exists)
  // gives the length and the data period.
  void Open();

  std::vector<std::string> SeriesItems() const { return SeriesChoices(table_); }
  int SeriesIndex() const { return settings_.series - 1; }  // in SeriesItems
  ReferenceType Type() const { return settings_.type; }
  std::string FieldText(ReferenceField field) const;

  // A field left after typing.
  void EditField(ReferenceField field, std::string_view text);
  // A choice in the series list (0-based).
  void ChooseSeries(int index);
  void ChooseType(ReferenceType type);
  // "Create Series Now!".
  void CreateNow();

 private:
  void TakeFromSeries();

  ReferenceSettings& settings_;
  series::SeriesTable& table_;
  std::function<void()> seriesChanged_;
};

}  // namespace bl::tuning
