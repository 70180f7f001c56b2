#include "series/gather_preferences_presenter.h"

#include <algorithm>
#include <climits>

#include "platform/text_format.h"

namespace bl::series {

namespace {

// The field's number within int, or nothing when it holds none.
std::optional<int> FieldInt(std::string_view text) {
  const std::optional<long long> n = platform::ParseNumberField(text, true);
  if (!n) return std::nullopt;
  return static_cast<int>(std::clamp<long long>(*n, INT_MIN, INT_MAX));
}

}  // namespace

GatherPreferencesPresenter::GatherPreferencesPresenter(GatherBuffer& buffer, double servoPeriod,
                                                       GatherPreferencesActions actions)
    : buffer_(buffer), servoPeriod_(servoPeriod), actions_(std::move(actions)) {
  FillFields();
}

void GatherPreferencesPresenter::FillFields() {
  periodText_ = platform::Format("%d", buffer_.period);
  bufferSizeText_ = platform::Format("%d", buffer_.bufferSize);
}

std::string GatherPreferencesPresenter::ServoFrequencyText() const {
  // Offline the servo period is 0: show no rate rather than "inf", as the terminal does.
  return platform::Format("%.2lf", servoPeriod_ > 0.0 ? 1.0 / servoPeriod_ : 0.0);
}

std::string GatherPreferencesPresenter::GatherFrequencyText() const {
  const double product = buffer_.period * servoPeriod_;
  if (product == 0.0) return "0";
  return platform::Format("%.2lf", 1.0 / product);
}

void GatherPreferencesPresenter::EditPeriod(std::string_view text) {
  periodText_ = std::string(text);
  // Text that is no number yet (an emptied field) counts as 0 and so as the least period.
  buffer_.period = std::max(1, FieldInt(text).value_or(0));
}

void GatherPreferencesPresenter::SetWrapAround(bool on) {
  buffer_.mode = on ? buffer_.mode | 1 : buffer_.mode & ~1;
}

void GatherPreferencesPresenter::SetToDpram(bool on) {
  buffer_.mode = on ? buffer_.mode | 2 : buffer_.mode & ~2;
}

void GatherPreferencesPresenter::TakeBufferSize() {
  if (const std::optional<int> size = FieldInt(bufferSizeText_); size && *size >= 0)
    buffer_.bufferSize = *size;
}

void GatherPreferencesPresenter::DownloadSettings() {
  TakeBufferSize();
  if (actions_.defineGather) actions_.defineGather();
}

void GatherPreferencesPresenter::UploadSettings() {
  if (actions_.readGatherSettings) actions_.readGatherSettings();
  FillFields();
}

void GatherPreferencesPresenter::Close() {
  if (const std::optional<int> period = FieldInt(periodText_); period && *period > 0)
    buffer_.period = *period;
  TakeBufferSize();
}

}  // namespace bl::series
