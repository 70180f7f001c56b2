#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "series/gather.h"

namespace bl::series {

// What the preferences dialog asks of the controller: send the definition as the settings now
// stand, or read them back into the settings and the series table.
struct GatherPreferencesActions {
  std::function<void()> defineGather;
  std::function<void()> readGatherSettings;
};

inline constexpr std::string_view kBufferSizeNote =
    "(Set to zero to use all of PMAC's available memory for gathering.)";

// "Data Gathering Preferences" without its widgets. The period, the wrap-around and the DPRAM
// check boxes change the settings at once; the buffer size is taken when the dialog closes.
class GatherPreferencesPresenter {
 public:
  // servoPeriod: the controller's, in seconds (0 while offline).
  GatherPreferencesPresenter(GatherBuffer& buffer, double servoPeriod,
                             GatherPreferencesActions actions);

  const std::string& PeriodText() const { return periodText_; }
  const std::string& BufferSizeText() const { return bufferSizeText_; }
  std::string ServoFrequencyText() const;
  std::string GatherFrequencyText() const;
  bool WrapAround() const { return buffer_.WrapAround(); }
  bool ToDpram() const { return buffer_.ToDualPortedRam(); }

  // Each edit of "Gather Period:" sets the period at once, at least 1.
  void EditPeriod(std::string_view text);
  void EditBufferSize(std::string_view text) { bufferSizeText_ = std::string(text); }
  void SetWrapAround(bool on);
  void SetToDpram(bool on);

  // "Download Settings to PMAC": the buffer size, then the definition; the dialog closes.
  void DownloadSettings();
  // "Upload Settings From PMAC": the controller's settings, and the fields show them.
  void UploadSettings();
  // OK or Esc: the period and the buffer size as typed, where they make sense.
  void Close();

 private:
  void FillFields();
  void TakeBufferSize();

  GatherBuffer& buffer_;
  double servoPeriod_;
  GatherPreferencesActions actions_;
  std::string periodText_;
  std::string bufferSizeText_;
};

}  // namespace bl::series
