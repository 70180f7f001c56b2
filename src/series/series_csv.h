#pragma once

#include <string>
#include <vector>

namespace bl::series {

class SeriesTable;

// The series as comma-separated values for spreadsheets and scripts: a header row ("Time (s)"
// and the series' titles), then one row per sample with the time (sample index × the first
// series' period) and each series' value. A series shorter than the longest leaves its cells
// empty. Numbers are written with a decimal point whatever the locale, to 15 significant
// digits; texts are quoted when they hold a comma, a quote or a line end. Lines end with LF.
std::string SeriesCsv(const SeriesTable& table, const std::vector<int>& series);

}  // namespace bl::series
