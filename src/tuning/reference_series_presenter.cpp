#include "tuning/reference_series_presenter.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

#include "platform/text_format.h"
#include "series/series_table.h"

namespace bl::tuning {

namespace {

constexpr std::size_t kFieldChars = 64;

// "%lf" of the field; not-a-number and infinities are no number for a signal's setting.
std::optional<double> FieldDouble(std::string_view text) {
  double value = 0.0;
  if (platform::Scan(text, kFieldChars, "%lf", &value) != 1 || !std::isfinite(value))
    return std::nullopt;
  return value;
}

}  // namespace

ReferenceSeriesPresenter::ReferenceSeriesPresenter(ReferenceSettings& settings,
                                                   series::SeriesTable& table,
                                                   std::function<void()> seriesChanged)
    : settings_(settings), table_(table), seriesChanged_(std::move(seriesChanged)) {}

std::string_view ReferenceSeriesPresenter::FieldLabel(ReferenceField field) {
  static constexpr std::string_view kLabels[kReferenceFieldCount] = {
      "Amplitude:",
      "Offset:",
      "Period (Seconds):",
      "Shift (Seconds):",
      "Data Period (Seconds):",
      "Series Length (Data Points):"};
  return kLabels[static_cast<std::size_t>(field)];
}

void ReferenceSeriesPresenter::Open() {
  if (settings_.series < 1 || settings_.series > ChoosableSeriesCount(table_)) settings_.series = 1;
  TakeFromSeries();
}

void ReferenceSeriesPresenter::TakeFromSeries() {
  const series::DataSeries& s = table_[settings_.series];
  settings_.length = s.sampleCount;
  settings_.dataPeriod = s.rawDataPeriod;
}

std::string ReferenceSeriesPresenter::FieldText(ReferenceField field) const {
  switch (field) {
    case ReferenceField::kAmplitude:
      return platform::Format("%lf", settings_.amplitude);
    case ReferenceField::kOffset:
      return platform::Format("%lf", settings_.offset);
    case ReferenceField::kPeriod:
      return platform::Format("%lf", settings_.period);
    case ReferenceField::kShift:
      return platform::Format("%lf", settings_.shift);
    case ReferenceField::kDataPeriod:
      return platform::Format("%lf", settings_.dataPeriod);
    case ReferenceField::kLength:
      return platform::Format("%d", settings_.length);
  }
  return {};
}

void ReferenceSeriesPresenter::EditField(ReferenceField field, std::string_view text) {
  if (field == ReferenceField::kLength) {
    // A length the series table cannot hold would only exhaust the memory: the field is cut to
    // the longest series there may be.
    if (const std::optional<long long> n = platform::ParseNumberField(text, false))
      settings_.length =
          static_cast<int>(std::clamp<long long>(*n, INT_MIN, series::kMaxSampleCount));
    return;
  }
  const std::optional<double> value = FieldDouble(text);
  if (!value) return;
  switch (field) {
    case ReferenceField::kAmplitude:
      settings_.amplitude = *value;
      break;
    case ReferenceField::kOffset:
      settings_.offset = *value;
      break;
    case ReferenceField::kPeriod:
      settings_.period = *value;
      break;
    case ReferenceField::kShift:
      settings_.shift = *value;
      break;
    case ReferenceField::kDataPeriod:
      settings_.dataPeriod = *value;
      break;
    default:
      break;
  }
}

void ReferenceSeriesPresenter::ChooseSeries(int index) {
  const int k = index + 1;
  settings_.series = k >= 1 && k <= ChoosableSeriesCount(table_) ? k : 1;
  TakeFromSeries();
}

void ReferenceSeriesPresenter::ChooseType(ReferenceType type) {
  if (static_cast<int>(type) >= 0 && static_cast<int>(type) < kReferenceTypeCount)
    settings_.type = type;
}

void ReferenceSeriesPresenter::CreateNow() {
  CreateReferenceSeries(table_, settings_);
  // The lists and the graph are refreshed even when nothing was made.
  if (seriesChanged_) seriesChanged_();
  Open();
}

}  // namespace bl::tuning
