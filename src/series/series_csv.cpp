#include "series/series_csv.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "platform/text_format.h"

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

// One CSV row's cells, unquoted; at tells where the next row starts.
std::vector<std::string> NextRow(std::string_view text, std::size_t& at, char separator) {
  std::vector<std::string> cells(1);
  bool quoted = false;
  while (at < text.size()) {
    const char c = text[at++];
    if (quoted) {
      if (c != '"') {
        cells.back() += c;
      } else if (at < text.size() && text[at] == '"') {
        cells.back() += '"';
        ++at;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == separator) {
      cells.emplace_back();
    } else if (c == '\n') {
      break;
    } else if (c != '\r') {
      cells.back() += c;
    }
  }
  return cells;
}

std::string_view Trim(std::string_view cell) {
  const std::size_t first = cell.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return cell.substr(first, cell.find_last_not_of(" \t") - first + 1);
}

// A number with a decimal point or a decimal comma; nothing when the cell is no number.
std::optional<double> CellNumber(std::string_view cell) {
  std::string text(Trim(cell));
  if (text.empty()) return std::nullopt;
  std::replace(text.begin(), text.end(), ',', '.');
  const char* begin = text.data();
  if (*begin == '+') ++begin;
  double value = 0.0;
  const auto [end, ec] = std::from_chars(begin, text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Beyond a double: an infinity, or zero for a vanishing exponent (the L words take both).
    const bool tiny = text.find("e-") != std::string::npos || text.find("E-") != std::string::npos;
    value = tiny ? 0.0 : (text[0] == '-' ? -HUGE_VAL : HUGE_VAL);
  } else if (ec != std::errc()) {
    return std::nullopt;
  }
  if (end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool SeparatorIsSemicolon(std::string_view text) {
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (c == '\n' && !quoted) return false;
    if (c == ';' && !quoted) return true;
  }
  return false;
}

}  // namespace

std::string ActiveSeriesCsv(const SeriesTable& table) {
  std::vector<int> active;
  for (int k = 1; k <= std::min(table.seriesCount, kMaxSeriesCount); ++k)
    if (table[k].active) active.push_back(k);
  if (table.graphType != kFrequencyGraph) return SeriesCsv(table, active);
  std::string out = "Frequency (Hz)";
  std::size_t rows = 0;
  for (int k : active) {
    out += ',';
    AppendText(out, table[k].title);
    rows = std::max(rows, table[k].values.size() / 2);
  }
  out += '\n';
  const double n = active.empty() ? 0.0 : static_cast<double>(table[active.front()].values.size());
  const double period = active.empty() ? 0.0 : table[active.front()].rawDataPeriod;
  for (std::size_t i = 0; i < rows; ++i) {
    AppendNumber(out, static_cast<double>(i) / (n * period));
    for (int k : active) {
      out += ',';
      if (i < table[k].values.size() / 2) AppendNumber(out, table[k].values[i]);
    }
    out += '\n';
  }
  return out;
}

bool ReadSeriesCsv(std::string_view text, SeriesTable& table, std::string& error) {
  if (text.size() > kMaxCsvBytes) {
    error = "The CSV text is larger than any series table holds; nothing was read.";
    return false;
  }
  const char separator = SeparatorIsSemicolon(text) ? ';' : ',';
  std::size_t at = 0;
  const std::vector<std::string> header = NextRow(text, at, separator);
  const int columns = static_cast<int>(header.size()) - 1;
  const int limit = std::min(table.seriesCount, kMaxSeriesCount);
  if (columns < 1) {
    error = "The CSV text has no series column after the time; nothing was read.";
    return false;
  }
  if (columns > limit) {
    error = platform::Format(
        "The CSV text has %d series columns; this controller's table holds %d. Nothing was read.",
        columns, limit);
    return false;
  }
  std::vector<double> times;
  std::vector<std::vector<double>> values(static_cast<std::size_t>(columns));
  int row = 1;
  while (at < text.size()) {
    ++row;
    const std::vector<std::string> cells = NextRow(text, at, separator);
    if (std::all_of(cells.begin(), cells.end(),
                    [](const std::string& c) { return Trim(c).empty(); }))
      continue;
    if (times.size() >= static_cast<std::size_t>(kMaxSampleCount)) {
      error = platform::Format("The CSV text has more than %d rows; nothing was read.",
                               kMaxSampleCount);
      return false;
    }
    if (cells.size() > header.size()) {
      error = platform::Format(
          "Row %d of the CSV text has more cells than the header; nothing "
          "was read.",
          row);
      return false;
    }
    const std::size_t r = times.size();
    for (std::size_t c = 0; c < cells.size(); ++c) {
      if (Trim(cells[c]).empty()) continue;
      const auto number = CellNumber(cells[c]);
      if (!number) {
        error = platform::Format(
            "Row %d, column %zu of the CSV text is not a number; nothing was read.", row, c + 1);
        return false;
      }
      if (c == 0) {
        times.resize(r + 1);
        times[r] = *number;
      } else {
        values[c - 1].resize(r + 1);
        values[c - 1][r] = *number;
      }
    }
    times.resize(r + 1);
  }
  const double period = times.size() > 1 && times[1] > times[0] ? times[1] - times[0] : 1.0;
  for (int c = 1; c <= columns; ++c) {
    DataSeries& s = table[c];
    s = DataSeries();
    s.SetTitle(Trim(header[static_cast<std::size_t>(c)]));
    s.active = true;
    s.sourceType = SourceType::kL;
    s.wordLength = 48;
    s.rawDataPeriod = period;
    std::vector<double>& read = values[static_cast<std::size_t>(c - 1)];
    s.Resize(static_cast<int>(read.size()));
    s.values = std::move(read);
    table.EncodeLWords(c);
  }
  return true;
}

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
