#include "tuning/reference_series.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "platform/files.h"
#include "platform/settings_file.h"
#include "platform/text_format.h"
#include "series/series_table.h"

namespace bl::tuning {

namespace {

constexpr double kTwoPi = 6.28318530718;
constexpr std::size_t kMaxSettingsBytes = 4096;

constexpr std::string_view kLabels[kReferenceTypeCount] = {"Zeros",
                                                           "Impulse",
                                                           "Sine Wave",
                                                           "Square Wave",
                                                           "Sawtooth Wave (Forward)",
                                                           "Sawtooth Wave (Reverse)"};
constexpr std::string_view kTitles[kReferenceTypeCount] = {
    "Reference Series: Zeros",         "Reference Series: Impulse",
    "Reference Series: Sine Wave",     "Reference Series: Square Wave",
    "Reference Series: Sawtooth Wave", "Reference Series: Sawtooth Wave"};

std::size_t TypeIndex(ReferenceType type) {
  return static_cast<std::size_t>(std::clamp(static_cast<int>(type), 0, kReferenceTypeCount - 1));
}

}  // namespace

std::string_view ReferenceTypeLabel(ReferenceType type) { return kLabels[TypeIndex(type)]; }

std::string_view ReferenceTitle(ReferenceType type) { return kTitles[TypeIndex(type)]; }

double ReferenceValue(const ReferenceSettings& s, int i) {
  switch (s.type) {
    case ReferenceType::kZeros:
      return 0.0;
    case ReferenceType::kImpulse:
      return i == 0 ? 1.0 : 0.0;
    default:
      break;
  }
  const double t = i * s.dataPeriod + s.shift;
  const double p = t / s.period;
  if (!std::isfinite(p)) return s.offset;
  // Truncated toward zero: a negative shift makes f negative for the first points.
  const double f = p - std::trunc(p);
  switch (s.type) {
    case ReferenceType::kSine:
      return s.amplitude * std::sin(kTwoPi * p) + s.offset;
    case ReferenceType::kSquare:
      return f > 0.5 ? s.offset + s.amplitude : s.offset;
    case ReferenceType::kSawtoothForward:
      return f * s.amplitude + s.offset;
    case ReferenceType::kSawtoothReverse:
      return (1.0 - f) * s.amplitude + s.offset;
    default:
      return 0.0;
  }
}

bool CreateReferenceSeries(series::SeriesTable& table, const ReferenceSettings& settings) {
  const int k = settings.series;
  if (settings.length < 1 || k < 1 || k > ChoosableSeriesCount(table)) return false;
  const int length = std::min(settings.length, series::kMaxSampleCount);
  table.ClearSeries(k);
  series::DataSeries& s = table[k];
  s.Resize(length);
  s.rawDataPeriod = settings.dataPeriod;
  s.rawDataAddress = 0;
  s.sourceType = series::SourceType::kL;
  s.address = 0;
  s.scaleFactor = 1.0;
  s.offset = 0.0;
  s.integrationMode = series::IntegrationMode::kNone;
  for (int i = 0; i < length; ++i)
    s.values[static_cast<std::size_t>(i)] = ReferenceValue(settings, i);
  s.SetTitle(ReferenceTitle(settings.type));
  table.EncodeLWords(k);
  // The values are rebuilt from the words, as for every other series: under the frequency graph
  // they become a spectrum, and a filter kept with the series applies to the new signal too.
  table.ProcessSeries(k, series::SpectrumLayout::kMagnitudePhase);
  return true;
}

int ChoosableSeriesCount(const series::SeriesTable& table) {
  return std::clamp(table.seriesCount, 1, series::kMaxSeriesCount);
}

std::vector<std::string> SeriesChoices(const series::SeriesTable& table) {
  std::vector<std::string> items;
  for (int k = 1; k <= ChoosableSeriesCount(table); ++k)
    items.push_back(platform::Format("#%d: ", k) + table[k].title);
  return items;
}

// ---- Settings kept between runs ----

std::string ReferenceSettingsPath() {
  return (std::filesystem::path(platform::ConfigFolder()) / "reference.conf").string();
}

std::string ReferenceSettingsText(const ReferenceSettings& s) {
  std::ostringstream out;
  out << "# Brightlantern reference series generator\n";
  out << "series=" << s.series << "\n";
  out << "type=" << static_cast<int>(s.type) << "\n";
  out << "amplitude=" << platform::DoubleSettingText(s.amplitude) << "\n";
  out << "offset=" << platform::DoubleSettingText(s.offset) << "\n";
  out << "period=" << platform::DoubleSettingText(s.period) << "\n";
  out << "shift=" << platform::DoubleSettingText(s.shift) << "\n";
  return out.str();
}

void ApplyReferenceSettings(std::string_view text, ReferenceSettings& s) {
  for (const platform::SettingLine& line : platform::SettingLines(text, kMaxSettingsBytes)) {
    if (!line.hasValue) continue;
    if (line.name == "series") {
      platform::ParseIntSetting(line.value, 1, series::kMaxSeriesCount, s.series);
    } else if (line.name == "type") {
      int type = 0;
      if (platform::ParseIntSetting(line.value, 0, kReferenceTypeCount - 1, type))
        s.type = static_cast<ReferenceType>(type);
    } else if (line.name == "amplitude") {
      platform::ParseDoubleSetting(line.value, s.amplitude);
    } else if (line.name == "offset") {
      platform::ParseDoubleSetting(line.value, s.offset);
    } else if (line.name == "period") {
      platform::ParseDoubleSetting(line.value, s.period);
    } else if (line.name == "shift") {
      platform::ParseDoubleSetting(line.value, s.shift);
    }
  }
}

bool LoadReferenceSettings(ReferenceSettings& settings, std::string& error) {
  std::string text;
  if (!platform::ReadSettingsFile(ReferenceSettingsPath(), kMaxSettingsBytes, text, error))
    return false;
  ApplyReferenceSettings(text, settings);
  return true;
}

bool SaveReferenceSettings(const ReferenceSettings& settings, std::string& error) {
  return platform::WriteSettingsFile(ReferenceSettingsPath(), ReferenceSettingsText(settings),
                                     error);
}

}  // namespace bl::tuning
