#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bl::series {

class SeriesTable;

// "Export Selected Data Series as Text": "Data Point", the titles of the active series 1 to
// seriesCount, an empty line, then one row per point: its number ("%10d") and each active
// series' value ("%19.3lf ") or 20 blanks where the series is shorter. Lines end with CR LF.
std::string SeriesTextExport(const SeriesTable& table);

// A plot file of the controller maker's plotting tool, as far as it was read.
struct PlotFile {
  std::optional<std::string> topTitle, bottomTitle, leftTitle, rightTitle;
  std::array<std::optional<std::string>, 4> seriesTitles;  // SerLeg0..SerLeg3
  std::array<std::optional<int>, 4> slotAxis;              // Yaxis lines: 0 left, 1 right
  bool dataFound = false;                                  // "[Data]" ended the header
  int seriesCount = 0;                                     // S of "number_sers="
  int pointCount = 0;                                      // P of "number_pts="
  // The rows that were read whole or in part: the time, then up to S values. Reading stops at
  // the first text that is not a number, at the end of the file or after P rows.
  std::vector<std::vector<double>> rows;
};

// Header lines are cut at kPlotLineLimit characters; a character below 32 or 127 ends a line.
inline constexpr std::size_t kPlotLineLimit = 249;
PlotFile ParsePlotFile(std::string_view text);
// Whether S and P allow an import (1..4 series, 1..kMaxSampleCount points).
bool PlotFileImportable(const PlotFile& plot);

}  // namespace bl::series
