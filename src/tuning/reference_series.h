#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bl::series {
class SeriesTable;
}

namespace bl::tuning {

// The synthetic signals a series can be overwritten with, in the order of the radio buttons.
enum class ReferenceType : int {
  kZeros = 0,
  kImpulse = 1,
  kSine = 2,
  kSquare = 3,
  kSawtoothForward = 4,
  kSawtoothReverse = 5,
};
inline constexpr int kReferenceTypeCount = 6;

// The generator's settings, kept for the run (and between runs, all but the two that are taken
// from the chosen series whenever it is chosen).
struct ReferenceSettings {
  int series = 1;  // 1-based
  ReferenceType type = ReferenceType::kZeros;
  double amplitude = 100.0;
  double offset = 0.0;
  double period = 25.0;      // seconds
  double shift = 0.0;        // seconds
  double dataPeriod = 0.05;  // seconds between points
  int length = 1024;
};

// The radio button's label and the title a generated series gets.
std::string_view ReferenceTypeLabel(ReferenceType type);
std::string_view ReferenceTitle(ReferenceType type);

// Point i of the signal. A phase that is not finite (a period of 0) gives no signal: the offset.
double ReferenceValue(const ReferenceSettings& settings, int i);

// Overwrites series settings.series with settings.length points of the signal, as L words that
// decode to the values, and processes it for the current graph type. A length below 1 or a
// series outside 1..seriesCount leaves the table alone and returns false. Lengths above the
// series limit are cut to it.
bool CreateReferenceSeries(series::SeriesTable& table, const ReferenceSettings& settings);

// The series lists of the tuning dialogs: "#%d: " and the title for series 1..seriesCount.
std::vector<std::string> SeriesChoices(const series::SeriesTable& table);
// The table's series count, within 1..48.
int ChoosableSeriesCount(const series::SeriesTable& table);

// The settings kept between runs in the user's config folder ("reference.conf").
std::string ReferenceSettingsPath();
std::string ReferenceSettingsText(const ReferenceSettings& settings);
// Takes what it understands from the text and leaves everything else as it was.
void ApplyReferenceSettings(std::string_view text, ReferenceSettings& settings);
bool LoadReferenceSettings(ReferenceSettings& settings, std::string& error);
bool SaveReferenceSettings(const ReferenceSettings& settings, std::string& error);

}  // namespace bl::tuning
