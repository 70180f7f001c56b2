#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bl::series {

class SeriesTable;

// The series as comma-separated values for spreadsheets and scripts: a header row ("Time (s)"
// and the series' titles), then one row per sample with the time (sample index × the first
// series' period) and each series' value. A series shorter than the longest leaves its cells
// empty. Numbers are written with a decimal point whatever the locale, to 15 significant
// digits; texts are quoted when they hold a comma, a quote or a line end. Lines end with LF.
std::string SeriesCsv(const SeriesTable& table, const std::vector<int>& series);

// The active series 1..seriesCount as the graph shows them: under the frequency graph the
// first column is "Frequency (Hz)" (k / (n·T) of the first series) and each series gives its
// magnitude half only; otherwise as SeriesCsv.
std::string ActiveSeriesCsv(const SeriesTable& table);

// Text beyond this is not read as CSV.
inline constexpr std::size_t kMaxCsvBytes = std::size_t{256} << 20;

// Reads CSV as SeriesCsv writes it, or as a spreadsheet saves it, into series 1..n, all or
// nothing (false with a sentence in error and the table untouched):
// - The first row is the header: the time column's title, then a series title per column.
//   Column c fills series c; more series columns than seriesCount are refused.
// - The separator is ';' when the header row holds a ';' outside quotes (as spreadsheets write
//   in locales with a decimal comma), else ','. Numbers take a decimal point, or a decimal comma
//   where it cannot be a separator (';' files, quoted cells). Blanks around cells are ignored.
// - Rows may be ragged: a series is as long as its last non-empty cell; empty or missing cells
//   before that read as 0. Rows of nothing but blanks are skipped.
// - The period of every series is the difference of the first two times when it is above 0,
//   else 1.0.
// - Each series becomes an active L series (no scaling, integration or filter) whose words are
//   the values' L encoding, its values as read. At most kMaxSampleCount rows.
bool ReadSeriesCsv(std::string_view text, SeriesTable& table, std::string& error);

}  // namespace bl::series
