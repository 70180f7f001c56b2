#include "series/series_csv.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "series/series_table.h"

namespace bl::series {

namespace {

void AppendText(std::string& out, const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    out += text;
    return;
  }
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendNumber(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "nan";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-inf" : "inf";
    return;
  }
  char buffer[32];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  out.append(buffer, result.ptr);
}

}  // namespace

std::string SeriesCsv(const SeriesTable& table, const std::vector<int>& series) {
  std::vector<const DataSeries*> columns;
  for (int k : series)
    if (k >= 0 && k < kSeriesTableSize) columns.push_back(&table[k]);
  std::string out = "Time (s)";
  std::size_t rows = 0;
  for (const DataSeries* s : columns) {
    out += ',';
    AppendText(out, s->title);
    rows = std::max(rows, s->values.size());
  }
  out += '\n';
  const double period = columns.empty() ? 0.0 : columns.front()->rawDataPeriod;
  for (std::size_t i = 0; i < rows; ++i) {
    AppendNumber(out, static_cast<double>(i) * period);
    for (const DataSeries* s : columns) {
      out += ',';
      if (i < s->values.size()) AppendNumber(out, s->values[i]);
    }
    out += '\n';
  }
  return out;
}

}  // namespace bl::series
